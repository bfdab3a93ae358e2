#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

namespace kelvo {

class Platform;

// Start at log-in through a freedesktop autostart entry of the user's own
// ($XDG_CONFIG_HOME/autostart/kelvo.desktop), or where the system keeps a list of programs to start
// at log-in (Windows), through the entry "Kelvo" there. Nothing is ever set up for a user who did
// not ask.

std::string autostartEntryPath(Platform& platform);

// The executable as one argument of an entry's Exec key, quoted and escaped where needed; empty
// for a path no entry can hold safely (control characters, a percent sign, not UTF-8).
std::optional<QString> desktopExecArgument(const std::string& path);

// The whole entry that starts `exec` (a value made by desktopExecArgument).
QString autostartEntry(const QString& exec);

// The log-in list's command for the program at `path` (with forward slashes, as the platform
// gives paths): the full path in double quotes with backslashes. Empty for a path that no command
// line can hold.
std::optional<std::string> logInCommand(const std::string& path);

// What `kelvo --autostart [on|off]` prints and returns.
struct AutostartOutcome {
    int exitCode = 0;  // 0 done or reported; 1 the file or the entry could not be read, written
                       // or removed; kUsageErrorExitCode a value other than on and off
    QString out;       // for standard output
    QString err;       // for standard error
};

// True when the first parameter is --autostart.
bool isAutostartOption(const QStringList& arguments);

// Runs `--autostart` with its value (the parameter after it, if any).
AutostartOutcome runAutostartCommand(const QStringList& arguments, Platform& platform);

}  // namespace kelvo
