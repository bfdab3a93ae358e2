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

// One clean for scripts and timers, as the settings file says (size or automatic sizing with its
// minimum, the pause at full processor load; the safety rule always). No window and no instance
// lock. Progress goes to `out`: a bar redrawn in place on a terminal, a line every 10 % otherwise;
// then the result in figures. The memory is given back however it ends. Returns the exit code.
int runCleanCommand(Platform& platform, const std::function<void(const QByteArray&)>& out,
                    bool terminal);

}  // namespace kelvo
