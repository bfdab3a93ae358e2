#include "tests/clean/CleanFixture.h"

namespace kelvo::test {
namespace {

// Each clean that gets past the re-entry guard opens one memory probe.
class AutoClean : public CleanFixture {
  protected:
    int cleans() const { return platform.probesOpened; }
    // One automatic-cleaning step on a sample with this load and free memory.
    void tick(uint32_t load, uint64_t freeBytes = 3072 * MiB) {
        form->MemStat.dwMemoryLoad = load;
        form->MemStat.dwAvailPhys = freeBytes;
        form->AutoCleanStep();
    }
};

TEST_F(AutoClean, WithoutTriggersThePeakIsTrackedAndNothingStarts) {
    start("AutoMemClear=1\nAutoMemMin=0\nAutoMemUsed=0\nNot100Per=1\n");
    tick(70, 1);
    tick(50, 1);
    EXPECT_EQ(form->PeakUsePer, 70);
    EXPECT_EQ(cleans(), 0);
}

TEST_F(AutoClean, OffMeansNoPeakAndNoClean) {
    start("AutoMemClear=0\nAutoMemMin=1\nAutoExeSize=100\n");
    tick(70, 1);
    EXPECT_EQ(form->PeakUsePer, 0);
    EXPECT_EQ(cleans(), 0);
}

TEST_F(AutoClean, TheFreeMemoryThresholdIsComparedUnrounded) {
    start("AutoMemClear=1\nAutoMemMin=1\nAutoExeSize=2\n");
    tick(40, 2097152);
    EXPECT_EQ(cleans(), 0);
    tick(40, 2097151);
    EXPECT_EQ(cleans(), 1);
}

TEST_F(AutoClean, AtFullLoadTheNot100OptionHoldsBothTriggers) {
    start("AutoMemClear=1\nAutoMemMin=1\nAutoExeSize=100\nNot100Per=1\n");
    tick(100, MiB);
    EXPECT_EQ(cleans(), 0);
    s().chkbNot100Per->setChecked(false);
    tick(100, MiB);
    EXPECT_EQ(cleans(), 1);
}

TEST_F(AutoClean, AFullyBusyProcessorHoldsTheStartUntilItDrops) {
    start("AutoMemClear=1\nAutoMemMin=1\nAutoExeSize=100\nStopCpuUsePer=1\n");
    form->CpuUsePer = 100;
    tick(60, MiB);
    EXPECT_EQ(cleans(), 0);
    form->CpuUsePer = 99;
    tick(60, MiB);
    EXPECT_EQ(cleans(), 1);
}

TEST_F(AutoClean, ThePeakOfBeforeSwitchingOffStillCounts) {
    start("AutoMemClear=1\nAutoMemUsed=1\nAutoMemUsePer=3\n");
    tick(90);
    s().chkbAuto->setChecked(false);
    tick(60);
    EXPECT_EQ(form->PeakUsePer, 90);
    s().chkbAuto->setChecked(true);
    tick(60);
    EXPECT_EQ(cleans(), 1);
}

TEST_F(AutoClean, APeakOf70WithThreePointsStartsAt67) {
    start("AutoMemClear=1\nAutoMemUsed=1\nAutoMemUsePer=3\n");
    tick(70);
    tick(69);
    tick(68);
    EXPECT_EQ(cleans(), 0);
    tick(67);
    EXPECT_EQ(cleans(), 1);
    EXPECT_EQ(form->PeakUsePer, 25) << "the load after the clean";
}

TEST_F(AutoClean, NothingWhileTheMenuOrDialogIsOpen) {
    start("AutoMemClear=1\nAutoMemMin=1\nAutoExeSize=100\n");
    form->ModalOpen = true;
    tick(95, MiB);
    EXPECT_EQ(form->PeakUsePer, 0);
    EXPECT_EQ(cleans(), 0);
    form->ModalOpen = false;
    tick(95, MiB);
    EXPECT_EQ(cleans(), 1);
}

TEST_F(AutoClean, TheSecondTriggerSeesTheSampleAfterTheFirstTriggersClean) {
    start("AutoMemClear=1\nAutoMemMin=1\nAutoExeSize=100\nAutoMemUsed=1\nAutoMemUsePer=1\n");
    tick(80);
    platform.memory.dwMemoryLoad = 40;  // after the clean
    tick(50, 50 * MiB);
    EXPECT_EQ(cleans(), 1);
    EXPECT_EQ(form->PeakUsePer, 40);
}

TEST_F(AutoClean, DuringACleanThePeakStandsAndATriggerReturnsAtOnce) {
    start("AutoMemClear=1\nAutoMemMin=1\nAutoExeSize=100\n");
    form->Cleaning = true;
    tick(90, MiB);
    EXPECT_EQ(form->PeakUsePer, 0);
    EXPECT_EQ(cleans(), 0);
}

TEST_F(AutoClean, EveryMainTickEndsWithTheStep) {
    start("AutoMemClear=1\nAutoMemMin=1\nAutoExeSize=100\n");
    const MemorySafetySample roomy = platform.safetyFromMemory();
    platform.safety = [roomy] { return roomy; };
    platform.setMemoryMB(4096, 50, 98);
    form->timMainTimer();
    EXPECT_EQ(cleans(), 1);
}

}  // namespace
}  // namespace kelvo::test
