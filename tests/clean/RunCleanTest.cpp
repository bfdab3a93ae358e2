#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>

#include <QSystemTrayIcon>
#include "components/novellabel/NovelLbl.h"
#include "tests/clean/BlockWalk.h"
#include "tests/clean/CleanFixture.h"
#include "tests/settings/ModalDriver.h"

namespace kelvo::test {
namespace {

const QString kOutOfMemory = QStringLiteral(
    "メモリ不足です。確保量を調整してみてください。\n\n（空きスワップ量などを確認してみてください"
    "）");

class RunClean : public CleanFixture {
  protected:
    // A clean that should have ended is stopped, so that the test ends.
    void stopIfStillPausedAt(int limit) {
        if (messages < limit)
            return;
        ADD_FAILURE() << "still paused after " << messages << " passes";
        form->btnStopClick();
    }
    // Starts a clean that is refused and returns its message box's text.
    QString refusal() {
        QString text;
        acceptNextMessage(&text);
        form->sbtnGetMemClick();
        return text;
    }
    // Memory elsewhere grows past what the machine can give once `afterSamples` safety samples
    // were taken: no swap, 100 MiB available.
    void memoryRunsShort(int afterSamples = 0) {
        platform.safety = [this, afterSamples] {
            MemorySafetySample s = platform.safetyFromMemory();
            if (platform.safetySamples > afterSamples)
                s.meminfo.memAvailable = 100 * MiB;
            return s;
        };
    }
};

// The memory is watched for as long as it is held, not only between passes.
using CleanWatch = RunClean;

QString progress(int n) {
    return QStringLiteral("掃除中 %1% ").arg(n);
}

TEST_F(RunClean, AFullCleanShowsItsProgressInTheTopRowAndPutsEverythingBack) {
    TMainForm& f = start();
    const int64_t size = f.CleanSizeBytes();
    ASSERT_EQ(size, 4096 * MiB / 100 * 10);
    QStringList shown;
    bool topRowTaken = true;
    onMessages = [&] {
        shown << caption();
        topRowTaken = topRowTaken && topButtonsHidden() && u().stcInfo->y() == 0 &&
                      u().btnStop->y() == 0 &&
                      u().stcInfo->palette().color(QPalette::Window) == QColor(Qt::yellow);
        EXPECT_EQ(platform.oomAdj, 1000) << "the cleaner is the OOM killer's first choice";
        platform.memory.dwMemoryLoad = 12;  // what freeing leaves
    };
    f.sbtnGetMemClick();

    EXPECT_TRUE(topRowTaken);
    ASSERT_EQ(shown.size(), 101) << "after every pass, and once more at the end";
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(shown[i], progress(i + 1));
    EXPECT_EQ(platform.sleeps.size(), 101u);
    EXPECT_EQ(platform.sleeps.front(), 10u);
    EXPECT_EQ(platform.sleeps.back(), 100u);

    EXPECT_EQ(platform.allocatedSizes, std::vector<uint64_t>{static_cast<uint64_t>(size)});
    const uint64_t step = static_cast<uint64_t>(size / 100);
    ASSERT_EQ(platform.writes.size(), fullWrites(size));
    for (size_t i = 0; i < 100; ++i) {
        EXPECT_EQ(platform.writes[i].offset, i * step);
        EXPECT_EQ(platform.writes[i].length, step);
    }
    EXPECT_EQ(platform.overshootingWrites, 0);
    EXPECT_EQ(platform.liveBlocks, 0);
    EXPECT_EQ(platform.oomAdjWrites, (std::vector<int>{1000, 0}));

    EXPECT_EQ(f.PeakUsePer(), 12);
    EXPECT_FALSE(MainFormSeam::Cleaning(f));
    EXPECT_TRUE(topButtonsShown());
    EXPECT_EQ(u().stcInfo->y(), f.y() + 80 + 20);
    EXPECT_EQ(u().btnStop->y(), f.y() + 80 + 20);
}

// Back at the window's top on the screen + its height + 20, but never into sight: a window more
// than 20 pixels above the screen's top would otherwise show them in its client area.
TEST_F(RunClean, TheProgressTextGoesTwentyPixelsBelowTheWindowsScreenBottom) {
    TMainForm& f = start();
    for (int top : {300, 0, -20, -21, -200}) {
        f.move(10, top);
        f.sbtnGetMemClick();
        const int expected = std::max(top + 80 + 20, 80);
        EXPECT_EQ(u().stcInfo->y(), expected) << top;
        EXPECT_EQ(u().btnStop->y(), expected) << top;
        EXPECT_EQ(u().stcInfo->x(), 32);
        EXPECT_EQ(u().btnStop->x(), 0);
    }
}

TEST_F(RunClean, ASecondPressOrTheMenuDuringACleanReturnsAtOnce) {
    TMainForm& f = start();
    QAction* menuClean = f.PopupMenu()->findChild<QAction*>("pmClean");
    ASSERT_NE(menuClean, nullptr);
    int nested = 0;
    onMessages = [&] {
        if (messages == 5 || messages == 6) {
            ++nested;
            if (messages == 5)
                f.sbtnGetMemClick();
            else
                menuClean->trigger();
        }
    };
    f.sbtnGetMemClick();
    EXPECT_EQ(nested, 2);
    EXPECT_EQ(platform.probesOpened, 1);
    EXPECT_EQ(platform.allocatedSizes.size(), 1u);
    EXPECT_EQ(messages, 101);
}

TEST_F(RunClean, AStopDuringPass37KeepsItsNumberWritesTheRestThereAndFrees) {
    TMainForm& f = start();
    MainFormSeam::CleanSize(f) = 100 * MiB + 42;
    onMessages = [&] {
        if (caption() == progress(37))
            u().btnStop->click();
    };
    f.sbtnGetMemClick();
    EXPECT_EQ(caption(), progress(37));
    const uint64_t step = static_cast<uint64_t>(f.CleanSizeBytes() / 100);
    ASSERT_EQ(platform.writes.size(), 38u) << "37 passes and the rest";
    EXPECT_EQ(platform.writes.back().offset, 36 * step) << "the rest at the 37th step's start";
    EXPECT_EQ(platform.writes.back().length, 42u);
    EXPECT_EQ(platform.liveBlocks, 0);
    EXPECT_FALSE(MainFormSeam::StopRequest(f));
    EXPECT_TRUE(topButtonsShown());
}

// Every close request (the window's close, which the close button and the menu's exit post; a
// termination signal from outside; the end of the session, which the toolkit delivers as a quit)
// saves before it returns, once; stops a running clean at once, also one held by the settings
// dialog or a menu opened inside it; closes them; and the window closes when the clean has
// returned. The dialog's unconfirmed changes are live, so the save has them. A request taken in
// the first tick's start-up ends it: the window stays hidden and the execute option cleans nothing.
TEST_F(RunClean, EveryCloseRequestSavesOnceStopsTheCleanAndClosesWhatIsOpen) {
    enum class Open { Nothing, Dialog, Menu };
    enum class Path { Window, Signal, SessionEnd };
    struct Case {
        const char* what;
        bool cleaning, paused, small;
        Open open;
        bool firstTick = false;
    } states[] = {
        {"idle", false, false, false, Open::Nothing},
        {"small mode", false, false, true, Open::Nothing},
        {"the dialog open", false, false, false, Open::Dialog},
        {"the menu open", false, false, false, Open::Menu},
        {"cleaning", true, false, false, Open::Nothing},
        {"paused", true, true, false, Open::Nothing},
        {"cleaning in small mode", true, false, true, Open::Nothing},
        {"cleaning, the dialog open", true, false, false, Open::Dialog},
        {"paused, the menu open", true, true, false, Open::Menu},
        {"the first tick, with the execute option", false, false, false, Open::Nothing, true},
    };
    for (const Case& c : states)
        for (const Path path : {Path::Window, Path::Signal, Path::SessionEnd}) {
            SCOPED_TRACE(std::string(c.what) + (path == Path::Window   ? ", the window's"
                                                : path == Path::Signal ? ", a signal"
                                                                       : ", the session's end"));
            messages = 0;
            TMainForm& f = start(c.paused ? kPausing : "Memory=10\n");
            if (!c.firstTick)
                f.show();
            MainFormSeam::SmallMode(f) = c.small;
            MainFormSeam::CpuUsePer(f) = c.paused ? 100 : 0;
            int renamesAtRequest = -1;
            bool openBefore = false;
            const auto request = [&] {
                QWidget* open =
                    c.open == Open::Dialog ? static_cast<QWidget*>(&f.SettingFrm()) : f.PopupMenu();
                openBefore = c.open == Open::Nothing || open->isVisible();
                s().ckbDontCatch->setChecked(true);  // a change the dialog has not confirmed
                const int before = platform.files.renames;
                QEvent quit(QEvent::Quit);
                switch (path) {
                    case Path::Window:
                        f.close();
                        break;
                    case Path::Signal:
                        f.ExternalClose();
                        break;
                    case Path::SessionEnd:
                        QCoreApplication::sendEvent(qApp, &quit);
                        break;
                }
                renamesAtRequest = platform.files.renames - before;
                EXPECT_TRUE(c.open == Open::Nothing || !open->isVisible());
            };
            // The dialog runs its own loop: the request comes from inside it; so does a fallback
            // that closes it, so that a fault fails the test rather than hanging it.
            const auto openThenRequest = [&] {
                if (c.open == Open::Dialog) {
                    onNextModal([&](QWidget*) { request(); });
                    QTimer::singleShot(5000, &f.SettingFrm(), [&] { f.SettingFrm().reject(); });
                    f.sbtnConfigClick();
                } else {
                    if (c.open == Open::Menu)
                        f.PopupMenu()->popup(QPoint(40, 30));
                    request();
                }
            };
            if (c.cleaning) {
                onMessages = [&] {
                    if (messages == 3)
                        openThenRequest();
                    stopIfStillPausedAt(200);
                };
                f.sbtnGetMemClick();
                EXPECT_EQ(caption(), progress(c.paused ? 1 : 3)) << "went on after the request";
                EXPECT_EQ(platform.liveBlocks, 0);
            } else if (c.firstTick) {
                // The request waits among the events the first tick lets the application handle.
                MainFormSeam::FirstTick(f) = true;
                f.SetCommandLine({QStringLiteral("kelvo"), QStringLiteral("/exec")});
                const size_t allocations = platform.allocatedSizes.size();
                QMetaObject::invokeMethod(&f, request, Qt::QueuedConnection);
                f.timMainTimer();
                EXPECT_EQ(platform.allocatedSizes.size(), allocations)
                    << "the execute option cleaned";
            } else {
                openThenRequest();
            }
            EXPECT_TRUE(openBefore);
            EXPECT_EQ(renamesAtRequest, 1);
            const int renames = platform.files.renames;
            QCoreApplication::processEvents();  // the close the clean posted when it returned
            EXPECT_FALSE(f.isVisible());
            EXPECT_EQ(platform.files.renames, renames) << "saved again after the request";
            EXPECT_NE(platform.files.contents(kIni).find("DontCatch=1"), std::string::npos);
            onMessages = nullptr;
        }
}

// In small mode the two-second tick measures nothing; a paused clean would wait for a figure
// that never changes. While a clean is paused the processor is measured in every mode.
TEST_F(RunClean, InSmallModeAPausedCleanStillHasTheProcessorMeasured) {
    constexpr int64_t kSecond = 10000000;
    platform.cpuTimes = CpuTimes{2, 100 * kSecond, 50 * kSecond};
    TMainForm& f = start(kPausing);
    f.timSubTimer();  // the starting point
    MainFormSeam::SmallMode(f) = true;
    MainFormSeam::CpuUsePer(f) = 100;
    int64_t seconds = 100;
    onMessages = [&] {
        if (messages % 200 != 0)
            return;
        // Two seconds, half of them idle: 75 %.
        seconds += 2;
        platform.cpuTimes = CpuTimes{2, seconds * kSecond, (50 + (seconds - 100) / 2) * kSecond};
        f.timSubTimer();
        if (messages >= 2000)
            f.btnStopClick();
    };
    f.sbtnGetMemClick();
    EXPECT_LT(f.CpuUsePercent(), 100);
    EXPECT_EQ(caption(), progress(100));
    EXPECT_EQ(u().nlblCpuUsePer->Caption(), QStringLiteral("CPU:100%"))
        << "in small mode only the figure, not the label";
}

// The progress text keeps its words while the passes wait; its colour and its hint tell that
// the clean waits rather than hangs.
TEST_F(RunClean, AtFullProcessorUsageThePassesWaitShowingItAndGoOnWhenItDrops) {
    TMainForm& f = start(kPausing);
    MainFormSeam::CpuUsePer(f) = 100;
    int pausedPasses = 0;
    onMessages = [&] {
        const QColor colour = u().stcInfo->palette().color(QPalette::Window);
        if (f.CpuUsePercent() < 100) {
            EXPECT_FALSE(f.CleanPaused());
            EXPECT_EQ(colour, QColor(Qt::yellow));
            EXPECT_TRUE(u().stcInfo->toolTip().isEmpty());
            return;
        }
        ++pausedPasses;
        EXPECT_TRUE(f.CleanPaused());
        EXPECT_NE(colour, QColor(Qt::yellow));
        EXPECT_TRUE(u().stcInfo->toolTip().contains(QStringLiteral("一時停止中")));
        EXPECT_EQ(caption(), progress(1)) << "the number stands still";
        EXPECT_TRUE(platform.writes.empty());
        // The two-second tick, nested in the clean, saw the drop.
        if (pausedPasses == 20)
            MainFormSeam::CpuUsePer(f) = 40;
    };
    f.sbtnGetMemClick();
    EXPECT_EQ(pausedPasses, 20);
    EXPECT_EQ(platform.sleeps.size(), 121u);
    EXPECT_EQ(platform.writes.size(), fullWrites(f.CleanSizeBytes()));
    EXPECT_EQ(caption(), progress(100));
    EXPECT_FALSE(f.CleanPaused());
}

TEST_F(RunClean, AStopWhilePausedEndsTheCleanWithNothingWritten) {
    TMainForm& f = start(kPausing);
    MainFormSeam::CleanSize(f) = 100 * MiB + 7;
    MainFormSeam::CpuUsePer(f) = 100;
    onMessages = [&] {
        if (messages == 50)
            f.btnStopClick();
    };
    f.sbtnGetMemClick();
    EXPECT_EQ(caption(), progress(1));
    ASSERT_EQ(platform.writes.size(), 1u) << "only the rest, at the start";
    EXPECT_EQ(platform.writes[0].offset, 0u);
    EXPECT_EQ(platform.liveBlocks, 0);
}

TEST_F(RunClean, SixHundredMebibytesOnTheWindows95FamilyAreThreeBlocks) {
    platform.winNT = false;
    TMainForm& f = start();
    MainFormSeam::CleanSize(f) = 600 * MiB;
    f.sbtnGetMemClick();
    const int64_t step = f.CleanSizeBytes() / 100;
    const int64_t left = f.CleanSizeBytes() - 2 * 0x0FFFFF00;
    EXPECT_EQ(platform.allocatedSizes,
              (std::vector<uint64_t>{0x0FFFFF00, 0x0FFFFF00,
                                     static_cast<uint64_t>((left / step + 1) * step)}));
    EXPECT_EQ(platform.overshootingWrites, 0);
    EXPECT_EQ(platform.liveBlocks, 0);
    std::vector<BlockWrite> walked;
    for (const auto& pass : blockWalk(platform.allocatedSizes, static_cast<uint64_t>(step)))
        for (const BlockWrite& w : pass)
            walked.push_back({w.block + 1, w.offset, w.length});  // the fake counts from 1
    std::vector<BlockWrite> written;
    for (const FakePlatform::Write& w : platform.writes)
        written.push_back({w.block, w.offset, w.length});
    EXPECT_EQ(written, walked);
}

// Nothing to clean, or more than the machine can spare: 3 GiB free on 4 GiB leaves 2458 MiB
// above the 15 % reserve. The message comes before anything is allocated; the peak still resets.
TEST_F(RunClean, ASizeOfZeroOrOneTheMachineCannotSpareIsRefusedBeforeAnythingIsAllocated) {
    for (int64_t size : {int64_t{0}, 2500 * MiB}) {
        SCOPED_TRACE(size);
        TMainForm& f = start();
        MainFormSeam::CleanSize(f) = size;
        EXPECT_EQ(refusal(), kOutOfMemory);
        EXPECT_TRUE(platform.allocatedSizes.empty());
        EXPECT_TRUE(platform.oomAdjWrites.empty());
        EXPECT_EQ(platform.sleeps.size(), 0u);
        EXPECT_EQ(f.PeakUsePer(), 25);
        EXPECT_FALSE(MainFormSeam::Cleaning(f));
        EXPECT_TRUE(topButtonsShown());
    }
}

TEST_F(RunClean, ARefusedBlockGivesTheMessageAndFreesTheOthersUnwritten) {
    platform.winNT = false;
    platform.refusedAllocations = {3};
    TMainForm& f = start();
    MainFormSeam::CleanSize(f) = 600 * MiB;
    EXPECT_EQ(refusal(), kOutOfMemory);
    EXPECT_EQ(platform.allocatedSizes.size(), 3u);
    EXPECT_TRUE(platform.writes.empty());
    EXPECT_EQ(platform.liveBlocks, 0);
    EXPECT_EQ(platform.oomAdjWrites, (std::vector<int>{1000, 0}));
}

// At each clean: the file's share, not the unconfirmed track bar's, which the notice tells of
// when it is out of range; the load of a sample taken for the clean.
TEST_F(RunClean, AutomaticSizingReadsTheStoredShareAndAFreshSample) {
    platform.systemTray = false;
    TMainForm& f = start("Memory=30\nAutoMemSize=1\nAutoExeSize=100\n");
    s().trkberMemPer->setValue(90);
    platform.memory.dwMemoryLoad = 80;
    f.sbtnGetMemClick();
    EXPECT_EQ(platform.allocatedSizes.back(), static_cast<uint64_t>(4096 * MiB / 100 * 20));
    platform.files.put(kIni, "[DEFAULT]\nMemory=0\nAutoMemSize=1\n");
    const QString told = stderrOf([&] { f.sbtnGetMemClick(); });
    EXPECT_EQ(platform.allocatedSizes.back(), static_cast<uint64_t>(4096 * MiB / 100 * 5));
    EXPECT_EQ(f.CleanSizeBytes(), 4096 * MiB / 100 * 5);
    EXPECT_TRUE(
        told.contains(QStringLiteral("Memory=0 は 5〜95 の範囲外のため、5% として扱いました")))
        << told.toStdString();
}

TEST_F(RunClean, WhenMemoryRunsShortMidwayTheCleanStopsAsIfStopped) {
    TMainForm& f = start();
    memoryRunsShort(51);  // the sample before allocating, then one per pass
    f.sbtnGetMemClick();
    EXPECT_EQ(caption(), progress(51));
    EXPECT_EQ(platform.writes.size(), 50u) << "nothing more once the rule said stop";
    EXPECT_EQ(platform.liveBlocks, 0);
    EXPECT_EQ(platform.oomAdj, 0);
    EXPECT_TRUE(topButtonsShown());
}

TEST_F(CleanWatch, APausedCleanStillLetsTheMemoryGoWhenItRunsShort) {
    TMainForm& f = start(kPausing);
    MainFormSeam::CpuUsePer(f) = 100;  // paused from the first pass on
    int pausedPasses = 0;
    onMessages = [&] {
        if (++pausedPasses == 30)
            memoryRunsShort();
    };
    f.sbtnGetMemClick();
    EXPECT_EQ(pausedPasses, 31) << "30 paused passes, then the next one gave the memory back";
    EXPECT_TRUE(platform.writes.empty());
    EXPECT_EQ(platform.liveBlocks, 0);
    EXPECT_EQ(platform.oomAdj, 0);
    EXPECT_EQ(caption(), progress(1));
    EXPECT_TRUE(topButtonsShown());
}

// Runs a real nested event loop, as a menu or a dialog opened during the clean would, until
// `done` or two seconds have passed.
void nestedLoopUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 2000) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

TEST_F(CleanWatch, DuringANestedLoopTheWatchGivesTheMemoryBackWhenItRunsShort) {
    TMainForm& f = start();
    int liveInsideTheLoop = -1;
    onMessages = [&] {
        if (messages != 10)
            return;
        memoryRunsShort();
        nestedLoopUntil([this] { return platform.liveBlocks == 0; });
        liveInsideTheLoop = platform.liveBlocks;
        EXPECT_EQ(platform.oomAdj, 0) << "no longer the OOM killer's first choice";
    };
    f.sbtnGetMemClick();
    EXPECT_EQ(liveInsideTheLoop, 0);
    EXPECT_EQ(caption(), progress(10)) << "the clean ended after the loop returned";
    EXPECT_EQ(platform.writes.size(), 10u);
    QTimer* watch = f.findChild<QTimer*>(QStringLiteral("timCleanWatch"));
    ASSERT_NE(watch, nullptr);
    EXPECT_FALSE(watch->isActive()) << "no watch once nothing is held";
}

TEST_F(CleanWatch, ANestedLoopWithMemoryToSpareKeepsTheClean) {
    TMainForm& f = start();
    onMessages = [&] {
        if (messages == 10) {
            int samples = platform.safetySamples;
            nestedLoopUntil([&] { return platform.safetySamples >= samples + 3; });
            EXPECT_GE(platform.safetySamples, samples + 3) << "watched while in the loop";
            EXPECT_EQ(platform.liveBlocks, 1);
        }
    };
    f.sbtnGetMemClick();
    EXPECT_EQ(caption(), progress(100));
    EXPECT_EQ(platform.writes.size(), fullWrites(f.CleanSizeBytes()));
}

TEST_F(CleanWatch, EveryCleanThatRanTellsItsResultAndARefusedOneOnlyItsBox) {
    platform.systemTray = false;
    TMainForm& f = start();
    QString told = stderrOf([&] { f.sbtnGetMemClick(); });
    EXPECT_TRUE(told.startsWith(QStringLiteral("kelvo: 掃除しました\n利用可能 3072.0 MB")))
        << told.toStdString();

    MainFormSeam::CleanSize(f) = 4000 * MiB;
    QString text;
    told = stderrOf([&] { text = refusal(); });
    EXPECT_EQ(text, kOutOfMemory);
    EXPECT_FALSE(told.contains(QStringLiteral("kelvo:"))) << told.toStdString();
}

// With a tray the result goes to a balloon; but the execute option closes the program right
// after its clean, and a balloon would go with the icon: its result is written where it stays.
TEST_F(CleanWatch, WithATrayTheResultGoesToTheTrayButTheExecuteOptionsToStandardError) {
    TMainForm& f = start();
    f.FormCreate();
    ASSERT_NE(f.TrayIcon(), nullptr);
    ASSERT_TRUE(f.TrayIcon()->isVisible());
    QSignalSpy tray(&f, &TMainForm::noticeShownInTray);
    EXPECT_EQ(stderrOf([&] { f.sbtnGetMemClick(); }), "");
    ASSERT_EQ(tray.count(), 1);
    EXPECT_EQ(tray[0][0].toString(), QStringLiteral("掃除しました"));
    EXPECT_TRUE(tray[0][1].toString().startsWith(QStringLiteral("利用可能 ")))
        << tray[0][1].toString().toStdString();

    f.SetCommandLine({"kelvo", "/exec"});
    MainFormSeam::FirstTick(f) = true;
    const QString told = stderrOf([&] { f.timMainTimer(); });
    QCoreApplication::removePostedEvents(&f, QEvent::MetaCall);  // the close it asked for
    EXPECT_TRUE(told.startsWith(QStringLiteral("kelvo: 掃除しました\n"))) << told.toStdString();
    EXPECT_EQ(tray.count(), 1);
    f.FormDestroy();
}

}  // namespace
}  // namespace kelvo::test
