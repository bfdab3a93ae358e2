#include "app/cli/Autostart.h"

#include <algorithm>

#include "app/cli/FirstParameter.h"
#include "platform/Platform.h"
#include "profile/FileTrust.h"
#include "profile/ProfileFile.h"

namespace kelvo {
namespace {

constexpr size_t kMaxEntryBytes = 64 * 1024;
// The name an installer writes too: both must agree, or the program would start twice.
constexpr char kLogInName[] = "Kelvo";

QString toQString(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

bool isReserved(QChar c) {
    return QStringLiteral(" \t\"'\\><~|&;$*?#`()").contains(c);
}

// The value of `key` in the entry's main group, or empty.
QString entryValue(const QString& text, const QString& key) {
    bool inMainGroup = false;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (inMainGroup && eq > 0 && line.left(eq).trimmed() == key)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

QString reportState(Platform& platform, int& exitCode, QString& err) {
    const std::string path = autostartEntryPath(platform);
    const QString where = toQString(path);
    const FileTrust trust = trustFile(platform.fileSystem(), path);
    if (!trust.usable()) {
        exitCode = 1;
        err = QStringLiteral("kelvo: %1 was not read: %2\n").arg(where, toQString(trust.refusal));
        return {};
    }
    const FileRead read = platform.fileSystem().readFile(trust.path, kMaxEntryBytes);
    switch (read.status) {
        case FileRead::Status::Missing:
            return QStringLiteral("off: %1 does not exist\n").arg(where);
        case FileRead::Status::TooLarge:
        case FileRead::Status::Failed:
            exitCode = 1;
            err = QStringLiteral("kelvo: cannot read %1\n").arg(where);
            return {};
        case FileRead::Status::Ok:
            break;
    }
    const QString text = toQString(read.bytes);
    // Desktops switch an entry off in place rather than removing it.
    if (entryValue(text, QStringLiteral("Hidden")) == QLatin1String("true"))
        return QStringLiteral("off: %1 is switched off (Hidden=true)\n").arg(where);
    if (entryValue(text, QStringLiteral("X-GNOME-Autostart-enabled")) == QLatin1String("false"))
        return QStringLiteral("off: %1 is switched off (X-GNOME-Autostart-enabled=false)\n")
            .arg(where);
    return QStringLiteral("on: %1 starts %2\n")
        .arg(where, entryValue(text, QStringLiteral("Exec")));
}

std::string saveFailure(SaveResult result, Platform& platform, const std::string& path) {
    switch (result) {
        case SaveResult::Untrusted:
            return trustFile(platform.fileSystem(), path).refusal;
        case SaveResult::ReadOnly:
            return "it is read-only";
        case SaveResult::CreateFailed:
            return "the folder is not writable";
        case SaveResult::WriteFailed:
            return "writing failed (is the disk full?)";
        case SaveResult::RenameFailed:
            return "the new file could not be put in place";
        default:
            return "it could not be saved";
    }
}

AutostartOutcome runWithLogInList(const QString& value, LogInPrograms& list, Platform& platform) {
    AutostartOutcome outcome;
    const QString where = QStringLiteral("%1 in %2").arg(kLogInName, toQString(list.location()));
    const auto fail = [&outcome](const QString& message) {
        outcome.exitCode = 1;
        outcome.err = message;
        return outcome;
    };
    if (value.isEmpty()) {
        const LogInPrograms::Entry entry = list.read(kLogInName);
        switch (entry.state) {
            case LogInPrograms::Entry::State::Missing:
                outcome.out = QStringLiteral("off: %1 does not exist\n").arg(where);
                break;
            case LogInPrograms::Entry::State::SwitchedOff:
                outcome.out =
                    QStringLiteral("off: %1 is switched off in Task Manager's start-up list\n")
                        .arg(where);
                break;
            case LogInPrograms::Entry::State::On:
                outcome.out =
                    QStringLiteral("on: %1 starts %2\n").arg(where, toQString(entry.command));
                break;
            case LogInPrograms::Entry::State::Unreadable:
                return fail(QStringLiteral("kelvo: cannot read %1\n").arg(where));
        }
    } else if (value == QLatin1String("on")) {
        const std::optional<std::string> command = logInCommand(platform.executablePath());
        if (!command)
            return fail(QStringLiteral(
                "kelvo: the program's own path cannot be found or cannot be written into a "
                "command line; nothing was changed\n"));
        if (!list.write(kLogInName, *command))
            return fail(QStringLiteral("kelvo: cannot write %1\n").arg(where));
        outcome.out = QStringLiteral("on: %1 starts %2\n").arg(where, toQString(*command));
    } else if (list.read(kLogInName).state == LogInPrograms::Entry::State::Missing) {
        outcome.out = QStringLiteral("off: %1 does not exist\n").arg(where);
    } else if (list.remove(kLogInName)) {
        outcome.out = QStringLiteral("off: %1 removed\n").arg(where);
    } else {
        return fail(QStringLiteral("kelvo: cannot remove %1\n").arg(where));
    }
    return outcome;
}

}  // namespace

std::optional<std::string> logInCommand(const std::string& path) {
    // A double quote would end the quoted path early; no Windows file name holds one.
    const bool unfit = path.empty() || std::any_of(path.begin(), path.end(), [](char c) {
                           return c == '"' || static_cast<unsigned char>(c) < 0x20;
                       });
    if (unfit)
        return std::nullopt;
    std::string command = '"' + path + '"';
    std::replace(command.begin(), command.end(), '/', '\\');
    return command;
}

std::string autostartEntryPath(Platform& platform) {
    return platform.userConfigDir() + "/autostart/kelvo.desktop";
}

std::optional<QString> desktopExecArgument(const std::string& path) {
    const QString text = toQString(path);
    if (path.empty() || text.toUtf8().toStdString() != path)
        return std::nullopt;
    bool quote = false;
    QString escaped;
    for (const QChar c : text) {
        // A percent sign would have to be written %%, which some desktops look up as such.
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QLatin1Char('%'))
            return std::nullopt;
        quote = quote || isReserved(c);
        // Quoting puts a backslash before these; the file's string escaping then doubles
        // every backslash.
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\\\");
        escaped += c;
    }
    return quote ? QLatin1Char('"') + escaped + QLatin1Char('"') : escaped;
}

QString autostartEntry(const QString& exec) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Kelvo\n"
               "Comment=Memory monitor and cleaner, started at log-in\n"
               "Exec=%1\n"
               "Icon=kelvo\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n")
        .arg(exec);
}

bool isAutostartOption(const QStringList& arguments) {
    return arguments.size() >= 2 && isAutostartParameter(arguments.at(1).toStdString());
}

AutostartOutcome runAutostartCommand(const QStringList& arguments, Platform& platform) {
    AutostartOutcome outcome;
    const QString value = arguments.size() >= 3 ? arguments.at(2) : QString();
    if (!value.isEmpty() && value != QLatin1String("on") && value != QLatin1String("off")) {
        outcome.exitCode = kUsageErrorExitCode;
        outcome.err = QStringLiteral(
                          "kelvo: --autostart takes on or off, or nothing to show the state; "
                          "not '%1'\n")
                          .arg(value);
        return outcome;
    }
    if (LogInPrograms* list = platform.logInPrograms())
        return runWithLogInList(value, *list, platform);
    const std::string path = autostartEntryPath(platform);
    const QString where = toQString(path);
    if (value.isEmpty()) {
        outcome.out = reportState(platform, outcome.exitCode, outcome.err);
    } else if (value == QLatin1String("on")) {
        const std::optional<QString> exec = desktopExecArgument(platform.executablePath());
        if (!exec) {
            outcome.exitCode = 1;
            outcome.err = QStringLiteral(
                "kelvo: the program's own path cannot be found or cannot be written into a "
                "desktop entry; nothing was changed\n");
            return outcome;
        }
        const SaveResult saved = replaceFileAtomically(
            platform.fileSystem(), path, autostartEntry(*exec).toUtf8().toStdString());
        if (saved != SaveResult::Saved && saved != SaveResult::FolderSyncFailed) {
            outcome.exitCode = 1;
            outcome.err = QStringLiteral("kelvo: cannot write %1: %2\n")
                              .arg(where, toQString(saveFailure(saved, platform, path)));
            return outcome;
        }
        outcome.out = QStringLiteral("on: %1 starts %2\n").arg(where, *exec);
    } else {
        FileSystem& fs = platform.fileSystem();
        if (!fs.permissions(path)) {
            outcome.out = QStringLiteral("off: %1 does not exist\n").arg(where);
        } else if (fs.remove(path)) {
            outcome.out = QStringLiteral("off: %1 removed\n").arg(where);
        } else {
            outcome.exitCode = 1;
            outcome.err = QStringLiteral("kelvo: cannot remove %1\n").arg(where);
        }
    }
    return outcome;
}

}  // namespace kelvo
