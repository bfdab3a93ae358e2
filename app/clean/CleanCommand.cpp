#include "app/clean/CleanCommand.h"

#include <QCoreApplication>
#include <algorithm>

#include "app/clean/CleanEngine.h"
#include "app/clean/CleanNotice.h"
#include "app/clean/CleanRequest.h"
#include "app/clean/CpuUsage.h"
#include "app/settings/IniPath.h"
#include "platform/Platform.h"
#include "profile/ProfileFile.h"
#include "profile/SettingsKeys.h"

namespace kelvo {
namespace {

constexpr int64_t kCpuSampleNs = 2'000'000'000;
constexpr int kBarWidth = 40;

// The processor usage every two seconds of the clean, as the window's two-second timer does.
class CpuWatch {
  public:
    explicit CpuWatch(Platform& platform) : platform_(platform) {
        usage_.sample(platform_.queryCpuTimes());  // the starting point only
        last_ = platform_.monotonicNs();
    }
    void tick() {
        const int64_t now = platform_.monotonicNs();
        if (now - last_ < kCpuSampleNs)
            return;
        last_ = now;
        percent_ = cappedCpuUsage(usage_.sample(platform_.queryCpuTimes()));
    }
    int percent() const { return percent_; }

  private:
    Platform& platform_;
    NtCpuUsage usage_;
    int64_t last_ = 0;
    int percent_ = 0;  // no sample yet: not busy
};

QByteArray bar(int number, bool paused) {
    const int filled = number * kBarWidth / 100;
    QByteArray line = "掃除中 [" + QByteArray(filled, '#') + QByteArray(kBarWidth - filled, '-') +
                      "] " + QByteArray::number(number).rightJustified(3, ' ') + "%";
    if (paused)
        line += " 一時停止中（プロセッサ使用率 100%）";
    return line;
}

// Terminal cells: the wide Japanese characters take two.
int cellsOf(const QByteArray& utf8) {
    int cells = 0;
    for (const char32_t c : QString::fromUtf8(utf8).toUcs4())
        cells += c >= 0x1100 ? 2 : 1;
    return cells;
}

// The bar's line on a terminal, redrawn from its start.
class BarLine {
  public:
    explicit BarLine(bool escapes) : escapes_(escapes) {}
    QByteArray draw(const QByteArray& text) { return "\r" + text + erasedAfter(text); }
    // `line` (ending in a new line) goes above the bar, which is drawn again below it.
    QByteArray above(const QByteArray& line, const QByteArray& text) {
        if (escapes_)
            return "\r\x1b[K" + line + text + erasedAfter(text);
        const QByteArray over = "\r" + line.chopped(1) + erasedAfter(line.chopped(1)) + "\n";
        width_ = 0;
        return over + text + erasedAfter(text);
    }

  private:
    // What a longer line left behind `text`, cleared.
    QByteArray erasedAfter(const QByteArray& text) {
        if (escapes_)
            return "\x1b[K";
        const int width = cellsOf(text);
        const QByteArray blanks(std::max(0, width_ - width), ' ');
        width_ = width;
        return blanks;
    }

    bool escapes_;
    int width_ = 0;  // of what the line shows now
};

int exitCodeOf(CleanOutcome outcome) {
    switch (outcome) {
        case CleanOutcome::Finished:
            return kCleanExitFinished;
        case CleanOutcome::Stopped:
            return kCleanExitInterrupted;
        case CleanOutcome::SafetyStop:
            return kCleanExitSafetyStop;
        case CleanOutcome::OutOfMemory:
            break;
    }
    return kCleanExitRefused;
}

}  // namespace

CleanProgress cleanProgressFor(Platform& platform) {
    if (!platform.standardOutputIsTerminal())
        return CleanProgress::Lines;
    return platform.enableTerminalEscapes() ? CleanProgress::Bar : CleanProgress::PlainBar;
}

int runCleanCommand(Platform& platform, const std::function<void(const QByteArray&)>& out,
                    CleanProgress progress) {
    const bool terminal = progress != CleanProgress::Lines;
    BarLine barLine(progress == CleanProgress::Bar);
    const IniLocation ini = IniPath(platform);
    if (!ini.notice.empty())
        qWarning("%s", ini.notice.c_str());
    const Profile settings = readProfileFile(platform.fileSystem(), ini.path);
    MEMORYSTATUS memory;
    platform.GlobalMemoryStatus(memory);
    CleanSettings wanted;
    wanted.storedPercent = readSetting(settings, keys::Memory);
    wanted.plainSize =
        limits::cleanSize(limits::memoryPercent(wanted.storedPercent), memory.dwTotalPhys);
    wanted.autoSize = readSetting(settings, keys::AutoMemSize) != 0;
    // The minimum as the settings dialog's up-down holds it.
    wanted.minimumMB =
        std::clamp<int32_t>(readSetting(settings, keys::AutoExeSize), limits::kUpDownMin,
                            limits::upDownMaximum(memory.dwTotalPhys));
    const CleanRequest request = requestClean(wanted, memory);
    const bool pauseAtFullCpu = readSetting(settings, keys::StopCpuUsePer) != 0;

    bool stop = false;
    platform.onTerminationRequest([&stop] { stop = true; });
    CpuWatch cpu(platform);
    const auto pauseWanted = [&] { return pausesForProcessor(pauseAtFullCpu, cpu.percent()); };
    const auto processMessages = [&cpu] {
        // The signals arrive through the event loop.
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        cpu.tick();
    };
    // The window has measured the processor long before a clean; here the pause needs one
    // two-second sample first, or it could never act on a clean that lasts about a second.
    if (pauseAtFullCpu) {
        for (int i = 0; i < 20 && !stop; ++i) {
            platform.Sleep(100);
            processMessages();
        }
        if (stop) {
            out("掃除を中断しました\n");
            return kCleanExitInterrupted;
        }
    }
    int shown = 0;
    bool pausedShown = false;
    CleanHooks hooks;
    hooks.showProgress = [&](int number) {
        const bool paused = pauseWanted();
        if (terminal) {
            if (number != shown || paused != pausedShown)
                out(barLine.draw(bar(number, paused)));
        } else if (number != shown && number % 10 == 0) {
            out("掃除中 " + QByteArray::number(number) + "%\n");
        }
        shown = number;
        pausedShown = paused;
    };
    // A line of its own on each change, also into a file: a timer's log must not look hung.
    hooks.pauseChanged = [&](bool paused) {
        const QByteArray line =
            paused ? "一時停止中（プロセッサ使用率 100%）: " + QByteArray::number(shown) + "%\n"
                   : "再開（プロセッサ使用率 " + QByteArray::number(cpu.percent()) +
                         "%）: " + QByteArray::number(shown) + "%\n";
        out(terminal ? barLine.above(line, bar(shown, paused)) : line);
    };
    hooks.processMessages = processMessages;
    hooks.pauseWanted = pauseWanted;
    hooks.stopRequested = [&stop] { return stop; };
    hooks.outOfMemory = [] {};
    const CleanResult result = runClean(platform, request.size, hooks, request.fitDownTo);
    if (terminal && shown > 0)
        out("\n");
    const CleanNotice notice = describeClean(result);
    out(notice.title.toUtf8() + "\n" + notice.body.toUtf8() +
        memorySettingNote(wanted.storedPercent).toUtf8());
    return exitCodeOf(result.outcome);
}

}  // namespace kelvo
