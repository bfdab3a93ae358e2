#pragma once

#include <QByteArray>
#include <functional>

namespace kelvo {

class Platform;

// Exit codes of `kelvo --clean`.
enum CleanExitCode {
    kCleanExitFinished = 0,     // the clean ran to its end
    kCleanExitRefused = 2,      // the machine could not spare the memory: nothing was held
    kCleanExitSafetyStop = 3,   // memory ran short during the clean, which stopped early
    kCleanExitInterrupted = 4,  // SIGINT or SIGTERM stopped it
};

// How the progress shows.
enum class CleanProgress {
    Lines,     // a line every 10 %: a file or a pipe
    Bar,       // a bar redrawn in place on a terminal, which erases what a longer one left
    PlainBar,  // the same on a terminal that takes no escape sequences: blanks erase
};
// The way for standard output as the platform finds it; escapes are turned on where needed.
CleanProgress cleanProgressFor(Platform& platform);

// One clean for scripts and timers, as the settings file says (size or automatic sizing with its
// minimum, the pause at full processor load; the safety rule always). No window and no instance
// lock. Progress goes to `out`, then the result in figures. The memory is given back however it
// ends. Returns the exit code.
int runCleanCommand(Platform& platform, const std::function<void(const QByteArray&)>& out,
                    CleanProgress progress);

}  // namespace kelvo
