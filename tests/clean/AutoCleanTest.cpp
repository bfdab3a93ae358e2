#include <QApplication>
#include <QTimer>
#include <functional>

#include "tests/clean/CleanFixture.h"
#include "tests/settings/ModalDriver.h"

namespace kelvo::test {
namespace {

// Each clean that gets past the re-entry guard opens one memory probe.
class AutoClean : public CleanFixture {
  protected:
    int cleans() const { return platform.probesOpened; }
    // One automatic-cleaning step on a sample with this load and free memory.
    void tick(uint32_t load, uint64_t freeBytes = 3072 * MiB) {
        MainFormSeam::MemStat(*form).dwMemoryLoad = load;
        MainFormSeam::MemStat(*form).dwAvailPhys = freeBytes;
        form->AutoCleanStep();
    }
};

// The dialog's options and the window's state reach the trigger: each condition holds a due clean
// back, and the clean starts at the first step after the condition went.
TEST_F(AutoClean, AConditionHoldsADueCleanUntilItGoes) {
    const std::string due = "AutoMemClear=1\nAutoMemMin=1\nAutoExeSize=100\n";
    struct Case {
        const char* what;
        std::string defaults;
        std::function<void(bool)> hold;
        uint32_t load;
        uint64_t freeBytes;
    } cases[] = {
        {"switched off", "AutoMemClear=0\nAutoMemMin=1\nAutoExeSize=100\n",
         [&](bool on) { s().chkbAuto->setChecked(!on); }, 70, 1},
        {"full load with the Not100 option", due + "Not100Per=1\n",
         [&](bool on) { s().chkbNot100Per->setChecked(on); }, 100, MiB},
        {"a fully busy processor", due + "StopCpuUsePer=1\n",
         [&](bool on) { MainFormSeam::CpuUsePer(*form) = on ? 100 : 99; }, 60, MiB},
        {"the menu or dialog open", due, [&](bool on) { MainFormSeam::ModalOpen(*form) = on; }, 95,
         MiB},
        {"a clean running", due, [&](bool on) { MainFormSeam::Cleaning(*form) = on; }, 90, MiB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform.probesOpened = 0;
        start(c.defaults);
        c.hold(true);
        tick(c.load, c.freeBytes);
        EXPECT_EQ(cleans(), 0);
        c.hold(false);
        tick(c.load, c.freeBytes);
        EXPECT_EQ(cleans(), 1);
    }
}

TEST_F(AutoClean, EveryMainTickEndsWithTheStepOnTheLoadDropOptions) {
    start("AutoMemClear=1\nAutoMemUsed=1\nAutoMemUsePer=3\n");
    for (const uint32_t load : {70u, 68u, 67u}) {
        EXPECT_EQ(cleans(), 0) << load;
        platform.memory.dwMemoryLoad = load;
        form->timMainTimer();
    }
    EXPECT_EQ(cleans(), 1);
}

const QString kRefusedNotice = QStringLiteral("メモリ不足のため自動掃除をしませんでした");

// Automatic cleaning on a fake machine whose memory sample and safety figures are scripted
// together, through whole main ticks; notifications go to standard error (no tray).
class AutoCleanOnAMachine : public CleanFixture {
  protected:
    AutoCleanOnAMachine() { platform.systemTray = false; }
    void SetUp() override {
        testing::internal::CaptureStderr();
        // A modal box would stop the test in its own loop: close it and say so.
        boxGuard_.setInterval(5);
        QObject::connect(&boxGuard_, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "a modal window appeared";
                modal->close();
            }
        });
        boxGuard_.start();
    }
    void TearDown() override {
        boxGuard_.stop();
        if (!stderrTaken_)
            testing::internal::GetCapturedStderr();
    }
    QString notices() {
        stderrTaken_ = true;
        return QString::fromStdString(testing::internal::GetCapturedStderr());
    }

    // Available physical memory, free memory (the rest of the available is page cache) and swap.
    void machine(double availableMB, double swapTotalMB = 0, double swapFreeMB = 0,
                 std::optional<double> freeMB = std::nullopt) {
        const uint32_t load = static_cast<uint32_t>(100 - availableMB * 100 / 4096);
        platform.setMemoryMB(4096, availableMB, load);
        platform.setSwapMB(swapTotalMB, swapFreeMB);
        platform.freeBytes = static_cast<uint64_t>(freeMB.value_or(availableMB) * MiB);
    }
    // A tick at a load of 90, which the peak rises to, then 3000 MB available again.
    void peakAt90() {
        platform.memory.dwMemoryLoad = 90;
        ticks(1);
        machine(3000);
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i)
            form->timMainTimer();
    }
    size_t cleansRun() const { return platform.allocatedSizes.size(); }

    QTimer boxGuard_;
    bool stderrTaken_ = false;
};

const char* kLowMemory = "Memory=10\nAutoMemClear=1\nAutoMemMin=1\nAutoExeSize=500\n";

int count(const QString& text, const QString& what) {
    return static_cast<int>(text.count(what));
}

TEST_F(AutoCleanOnAMachine, ShortWithoutSwapEveryCleanIsRefusedQuietlyOncePerEpisode) {
    machine(300);  // under the 500 MB threshold, and nothing a clean could push anywhere
    start(kLowMemory);
    ticks(120);  // twelve seconds
    EXPECT_EQ(cleansRun(), 0u);
    EXPECT_TRUE(form->InMemoryShortage());
    EXPECT_FALSE(form->LowMemoryArmed()) << "a refused clean waits for free memory to come back";

    // Memory comes back: the episode ends and the trigger is armed again.
    machine(3000);
    ticks(1);
    EXPECT_FALSE(form->InMemoryShortage());
    EXPECT_TRUE(form->LowMemoryArmed());
    // Short again: a new episode, told once more.
    machine(300);
    ticks(50);
    const QString told = notices();
    EXPECT_EQ(count(told, kRefusedNotice), 2) << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("利用可能 300.0 MB、スワップの空き 0.0 MB")));
    EXPECT_EQ(cleansRun(), 0u);
    EXPECT_EQ(platform.sleeps.size(), 0u) << "the window never waited on a refused clean";
}

TEST_F(AutoCleanOnAMachine, ShortWithSwapOneCleanRunsFreesMemoryAndSaysHowMuch) {
    machine(300, 2048, 2048, 100);
    start(kLowMemory);
    platform.onSleep = [this](uint32_t ms) {
        if (ms == 100)  // the clean's closing sleep: its pages went, idle pages went to swap
            machine(900, 2048, 1548, 700);
    };
    ticks(100);
    EXPECT_EQ(cleansRun(), 1u);
    EXPECT_EQ(platform.allocatedSizes[0], static_cast<uint64_t>(4096 * MiB / 100 * 10));
    EXPECT_TRUE(form->LowMemoryArmed()) << "it lifted free memory over the threshold";
    const QString told = notices();
    EXPECT_EQ(count(told, QStringLiteral("kelvo: 掃除しました")), 1) << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("利用可能 300.0 MB → 900.0 MB（+600.0）")));
    EXPECT_TRUE(told.contains(QStringLiteral("未使用 100.0 MB → 700.0 MB（+600.0）")));
    EXPECT_TRUE(told.contains(QStringLiteral("スワップ使用 0.0 MB → 500.0 MB（+500.0）")));
    EXPECT_TRUE(told.contains(QStringLiteral("かかった時間 1.1 秒")));
    EXPECT_EQ(count(told, kRefusedNotice), 0);
}

// A 512 MiB group holding 500 MiB, 450 of them page cache: 398 MiB of room after the margin.
TEST_F(AutoCleanOnAMachine, AnAutomaticallySizedCleanShrinksToWhatTheMachineCanSpare) {
    machine(3000);
    platform.cgroupLevels = {{512 * MiB, 500 * MiB, 450 * MiB}};
    start(
        "Memory=50\nAutoMemSize=1\nAutoExeSize=100\nAutoMemClear=1\nAutoMemUsed=1\n"
        "AutoMemUsePer=1\n");
    peakAt90();
    ticks(1);
    ASSERT_EQ(cleansRun(), 1u);
    EXPECT_EQ(platform.allocatedSizes[0], 398 * MiB);
    EXPECT_EQ(form->CleanSizeBytes(), 398 * static_cast<int64_t>(MiB));

    // Less room than the 100 MB minimum: refused, quietly.
    platform.cgroupLevels = {{512 * MiB, 500 * MiB, 100 * MiB}};
    peakAt90();
    ticks(1);
    EXPECT_EQ(cleansRun(), 1u);
    EXPECT_TRUE(form->InMemoryShortage());
    // The episode ends once the minimum fits again, not the whole share.
    platform.cgroupLevels = {{512 * MiB, 500 * MiB, 160 * MiB}};
    ticks(1);
    EXPECT_FALSE(form->InMemoryShortage());
}

TEST_F(AutoCleanOnAMachine, ACleanTheUserStartsKeepsItsMessageBox) {
    machine(300);
    start(kLowMemory);
    boxGuard_.stop();
    QString text;
    acceptNextMessage(&text);
    form->sbtnGetMemClick();
    EXPECT_TRUE(text.startsWith(QStringLiteral("メモリ不足です。")));
    EXPECT_FALSE(form->InMemoryShortage()) << "the user's refusal is no automatic episode";
}

}  // namespace
}  // namespace kelvo::test
