#include "components/novellabel/NovelLbl.h"
#include "tests/clean/CleanFixture.h"

namespace kelvo::test {
namespace {

constexpr int64_t kSecond = 10000000;

class CpuSample : public CleanFixture {
  protected:
    QString label() { return u().nlblCpuUsePer->Caption(); }
    void sampleAt(int64_t seconds, int64_t idleSeconds, uint32_t processors = 2) {
        platform.cpuTimes = CpuTimes{processors, seconds * kSecond, idleSeconds * kSecond};
        form->timSubTimer();
    }
};

TEST_F(CpuSample, TheFirstSampleReads100ThenTheIntervalsUsage) {
    start("ShowCpuUsePer=1\n");
    sampleAt(100, 50);
    EXPECT_EQ(form->CpuUsePercent(), 100);
    EXPECT_EQ(label(), "CPU:100%");
    // 2 s on two processors with 1 s idle: 75 % busy.
    sampleAt(102, 51);
    EXPECT_EQ(form->CpuUsePercent(), 75);
    EXPECT_EQ(label(), "CPU: 75%");
    EXPECT_FALSE(u().nlblCpuUsePer->isHidden());
}

// The first figure is measured from start to the first tick, so that neither the label, nor the
// pause, nor the triggers see a made-up 100 for the first two seconds.
TEST_F(CpuSample, TheFirstTickShowsAFigureMeasuredSinceStart) {
    platform.cpuTimes = CpuTimes{2, 100 * kSecond, 50 * kSecond};
    start("ShowCpuUsePer=1\n");
    platform.cpuTimes = CpuTimes{2, 101 * kSecond, 52 * kSecond};  // both processors idle
    MainFormSeam::FirstTick(*form) = true;
    form->timMainTimer();
    EXPECT_EQ(form->CpuUsePercent(), 0);
    EXPECT_EQ(label(), "CPU:  0%");
    sampleAt(103, 53);
    EXPECT_EQ(form->CpuUsePercent(), 75) << "the two-second tick goes on from there";
}

TEST_F(CpuSample, AHiddenLabelKeepsItsTextWhileTheFigureMovesOn) {
    start("ShowCpuUsePer=1\n");
    sampleAt(100, 50);
    s().ckbCpuPer->setChecked(false);
    sampleAt(102, 51);
    EXPECT_TRUE(u().nlblCpuUsePer->isHidden());
    EXPECT_EQ(form->CpuUsePercent(), 75);
    EXPECT_EQ(label(), "CPU:100%");
}

TEST_F(CpuSample, InSmallModeNothingIsSampled) {
    start("ShowCpuUsePer=1\n");
    sampleAt(100, 50);
    MainFormSeam::SmallMode(*form) = true;
    sampleAt(102, 102);
    EXPECT_EQ(form->CpuUsePercent(), 100);
    MainFormSeam::SmallMode(*form) = false;
    // The interval reaches back to the last sample before small mode.
    sampleAt(104, 52);
    EXPECT_EQ(form->CpuUsePercent(), 75);
}

TEST_F(CpuSample, OnlyFiguresAbove100AreLimitedNegativeOnesShowTheirSign) {
    start("ShowCpuUsePer=1\n");
    sampleAt(100, 50, 1);
    sampleAt(101, 49, 1);  // the idle time went back: 200 %
    EXPECT_EQ(form->CpuUsePercent(), 100);
    sampleAt(102, 50, 1);
    sampleAt(103, 52, 1);  // 2 s idle in 1 s
    EXPECT_EQ(form->CpuUsePercent(), -99);
    EXPECT_EQ(label(), "CPU:-99%");
}

TEST_F(CpuSample, AFailedQueryReads100) {
    start("ShowCpuUsePer=1\n");
    sampleAt(100, 50);
    sampleAt(102, 51);
    platform.cpuTimes.reset();
    form->timSubTimer();
    EXPECT_EQ(form->CpuUsePercent(), 100);
}

TEST_F(CpuSample, TheWindows95FamilyReadsTheKernelsCounter) {
    platform.winNT = false;
    start("ShowCpuUsePer=1\n");
    const std::string stat = "PerfStats\\StatData|KERNEL\\CPUUsage";
    platform.dynData[stat] = 37;
    form->timSubTimer();
    EXPECT_EQ(form->CpuUsePercent(), 37);
    EXPECT_EQ(label(), "CPU: 37%");
    // A statistic that cannot be read is no new sample.
    platform.dynData.erase(stat);
    platform.dynData["PerfStats\\StatData|KERNEL\\CPUUsage2"] = 5;
    form->timSubTimer();
    EXPECT_EQ(form->CpuUsePercent(), 37);
    EXPECT_EQ(label(), "CPU: 37%");
}

TEST_F(CpuSample, TheWindows95FamilyStartsAndStopsTheStatistic) {
    platform.winNT = false;
    start();
    form->FormCreate();
    form->FormDestroy();
    EXPECT_EQ(platform.dynDataReads,
              (std::vector<std::string>{"PerfStats\\StartStat|KERNEL\\CPUUsage",
                                        "PerfStats\\StopStat|KERNEL\\CPUUsage"}));
}

TEST_F(CpuSample, TheNtFamilyHasNoStatisticToStart) {
    start();
    form->FormCreate();
    form->FormDestroy();
    EXPECT_TRUE(platform.dynDataReads.empty());
}

}  // namespace
}  // namespace kelvo::test
