#include <gtest/gtest.h>

#include <QList>
#include <QString>

#include "app/clean/CleanCommand.h"
#include "platform/fake/FakePlatform.h"

namespace kelvo {
namespace {

constexpr uint64_t MiB = 1048576;
const std::string kIni = "/opt/kelvo/kelvo.ini";

// `kelvo --clean` on a fake 4 GiB machine with 3 GiB available and a held instance lock.
class CleanCommand : public testing::Test {
  protected:
    CleanCommand() {
        platform.setMemoryMB(4096, 3072, 25);
        platform.heldLocks = {"KELVO_EXE"};  // a window is running: the command does not mind
    }
    int run(const std::string& defaults, CleanProgress progress = CleanProgress::Lines) {
        platform.files.put(kIni, "[DEFAULT]\n" + defaults);
        return runCleanCommand(
            platform, [this](const QByteArray& text) { output += text; }, progress);
    }
    QString text() const { return QString::fromUtf8(output); }
    // Both processors busy until the clean has waited 100 passes, then half idle.
    void busyUntilTheHundredthPass() {
        platform.cpuTimes = CpuTimes{2, 1'000'000'000, 500'000'000};
        platform.onSleep = [this](uint32_t ms) {
            platform.cpuTimes->systemTime += int64_t{ms} * 10'000;  // 100 ns units
            if (ms == 10 && ++passes > 100)
                platform.cpuTimes->idleTime += 2 * int64_t{ms} * 10'000;
        };
    }

    FakePlatform platform;
    QByteArray output;
    int passes = 0;
};

TEST_F(CleanCommand, ACleanAsTheSettingsSayWithALineEveryTenPercentAndTheResult) {
    EXPECT_EQ(run("Memory=10\n"), kCleanExitFinished);
    EXPECT_EQ(platform.allocatedSizes, std::vector<uint64_t>{4096 * MiB / 100 * 10});
    EXPECT_EQ(platform.liveBlocks, 0);
    QByteArray lines;
    for (int p = 10; p <= 100; p += 10)
        lines += "掃除中 " + QByteArray::number(p) + "%\n";
    EXPECT_TRUE(output.startsWith(lines + "掃除しました\n利用可能 3072.0 MB → 3072.0 MB"))
        << output.toStdString();
    EXPECT_FALSE(output.contains('\r'));
}

TEST_F(CleanCommand, OnATerminalOneBarIsRedrawnInPlace) {
    EXPECT_EQ(run("Memory=10\n", CleanProgress::Bar), kCleanExitFinished);
    EXPECT_EQ(output.count("\r掃除中 ["), 100);
    EXPECT_TRUE(output.contains("\r掃除中 [" + QByteArray(40, '#') + "] 100%\x1b[K\n掃除しました"))
        << output.toStdString();
}

TEST_F(CleanCommand, AutomaticSizingWithItsMinimumFitsWhatTheMachineCanSpare) {
    platform.cgroupLevels = {{512 * MiB, 500 * MiB, 450 * MiB}};
    EXPECT_EQ(run("Memory=50\nAutoMemSize=1\nAutoExeSize=100\n"), kCleanExitFinished);
    EXPECT_EQ(platform.allocatedSizes, std::vector<uint64_t>{398 * MiB});
}

// A refusal gives the machine's real figures, not zeros.
TEST_F(CleanCommand, ARefusedCleanHoldsNothingAndSaysWhyWithTheMachinesFigures) {
    platform.setMemoryMB(4096, 300, 93);
    for (const char* defaults : {"Memory=10\n", "Memory=95\n"}) {
        output.clear();
        EXPECT_EQ(run(defaults), kCleanExitRefused) << defaults;
        EXPECT_TRUE(platform.allocatedSizes.empty());
        EXPECT_TRUE(text().startsWith(QStringLiteral("メモリ不足のため掃除しませんでした\n")))
            << output.toStdString();
        EXPECT_TRUE(text().contains(QStringLiteral("利用可能 300.0 MB"))) << output.toStdString();
    }
}

// The plain size is the file's percentage within the track bar's range, said in the result.
TEST_F(CleanCommand, AStoredPercentageOutOfRangeCleansAtItsLimit) {
    EXPECT_EQ(run("Memory=0\n"), kCleanExitFinished);
    EXPECT_EQ(platform.allocatedSizes, std::vector<uint64_t>{4096 * MiB / 100 * 5});
    EXPECT_TRUE(text().endsWith(QStringLiteral("5% として扱いました。\n"))) << output.toStdString();
}

TEST_F(CleanCommand, MemoryRunningShortStopsItWithItsOwnCode) {
    platform.safety = [this] {
        MemorySafetySample s = platform.safetyFromMemory();
        if (platform.safetySamples > 20)
            s.meminfo.memAvailable = 100 * MiB;
        return s;
    };
    EXPECT_EQ(run("Memory=10\n"), kCleanExitSafetyStop);
    EXPECT_EQ(platform.liveBlocks, 0);
    EXPECT_TRUE(
        text().contains(QStringLiteral("メモリが足りなくなったため掃除を途中で止めました")));
}

TEST_F(CleanCommand, ATerminationSignalStopsItAndGivesTheMemoryBack) {
    int liveAtSignal = 0;
    platform.onSleep = [&](uint32_t ms) {
        if (ms == 10 && ++passes == 25) {
            liveAtSignal = platform.liveBlocks;
            platform.terminationHandler();  // SIGTERM, delivered by the event loop
        }
    };
    EXPECT_EQ(run("Memory=10\n"), kCleanExitInterrupted);
    EXPECT_EQ(liveAtSignal, 1);
    EXPECT_EQ(platform.liveBlocks, 0);
    EXPECT_EQ(platform.oomAdj, 0);
    EXPECT_EQ(platform.writes.size(), 25u + 1) << "25 passes and the rest";
    EXPECT_TRUE(text().contains(QStringLiteral("掃除を中断しました")));
}

TEST_F(CleanCommand, AtFullProcessorLoadItPausesUntilTheTwoSecondSampleDrops) {
    busyUntilTheHundredthPass();
    EXPECT_EQ(run("Memory=10\nStopCpuUsePer=1\n"), kCleanExitFinished);
    // The first sample, before the clean, reads 100 %: 200 passes (two seconds) wait, and the
    // next sample, half idle, lets the 100 passes run.
    EXPECT_EQ(passes, 300);
    EXPECT_EQ(platform.writes.size(), 100u + (4096 * MiB / 10 % 100 ? 1 : 0));
    EXPECT_EQ(output.count("掃除中 "), 10) << "a paused number is not printed again";
    // A timer's log tells a wait from a hang: a line when the passes wait and when they go on.
    EXPECT_TRUE(
        output.startsWith("一時停止中（プロセッサ使用率 100%）: 1%\n"
                          "再開（プロセッサ使用率 50%）: 1%\n掃除中 10%\n"))
        << output.toStdString();
}

TEST_F(CleanCommand, OnATerminalThePauseLinesGoAboveTheBar) {
    busyUntilTheHundredthPass();
    EXPECT_EQ(run("Memory=10\nStopCpuUsePer=1\n", CleanProgress::Bar), kCleanExitFinished);
    EXPECT_TRUE(output.contains("\r\x1b[K一時停止中（プロセッサ使用率 100%）: 1%\n掃除中 [") &&
                output.contains("\r\x1b[K再開（プロセッサ使用率 50%）: 1%\n掃除中 ["))
        << output.toStdString();
}

// A console that shows escapes as characters gets none: blanks cover what a longer line left,
// and the wide characters take two cells each.
TEST_F(CleanCommand, WithoutEscapesEachRedrawCoversTheOneBefore) {
    busyUntilTheHundredthPass();
    EXPECT_EQ(run("Memory=10\nStopCpuUsePer=1\n", CleanProgress::PlainBar), kCleanExitFinished);
    EXPECT_FALSE(output.contains('\x1b'));
    // The cells a drawing covers; `text` leaves out the blanks at its end.
    const auto cells = [](QByteArray utf8, bool text) {
        while (text && utf8.endsWith(' '))
            utf8.chop(1);
        int n = 0;
        for (const char32_t c : QString::fromUtf8(utf8).toUcs4())
            n += c >= 0x1100 ? 2 : 1;
        return n;
    };
    for (const QByteArray& line : output.split('\n')) {
        int shown = 0;
        for (const QByteArray& drawn : line.split('\r')) {
            EXPECT_GE(cells(drawn, false), shown) << line.toStdString();
            shown = cells(drawn, true);
        }
    }
    // The paused bar is the longest: the line that says it paused is padded out over it.
    EXPECT_TRUE(output.contains("\r一時停止中（プロセッサ使用率 100%）: 1%" + QByteArray(51, ' ') +
                                "\n掃除中 ["))
        << output.toStdString();
}

TEST_F(CleanCommand, ASignalDuringTheFirstProcessorSampleEndsItWithNothingHeld) {
    platform.onSleep = [&](uint32_t) { platform.terminationHandler(); };
    EXPECT_EQ(run("Memory=10\nStopCpuUsePer=1\n"), kCleanExitInterrupted);
    EXPECT_TRUE(platform.allocatedSizes.empty());
}

TEST_F(CleanCommand, ItDoesNotWriteTheSettingsFile) {
    run("Memory=10\n");
    EXPECT_EQ(platform.files.contents(kIni), "[DEFAULT]\nMemory=10\n");
}

}  // namespace
}  // namespace kelvo
