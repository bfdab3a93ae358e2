#include "app/cli/CommandLine.h"

namespace kelvo {
namespace {

std::string firstParameter(const QStringList& arguments) {
    return arguments.size() < 2 ? std::string() : arguments.at(1).toStdString();
}

}  // namespace

bool executeOptionIn(const QStringList& arguments) {
    return arguments.size() >= 2 && isExecuteParameter(firstParameter(arguments));
}

CommandLineAction commandLineAction(const QStringList& arguments, SystemFamily system) {
    if (arguments.size() < 2)
        return CommandLineAction::Run;
    return actionOfFirstParameter(firstParameter(arguments), system);
}

bool printsAndExits(const QStringList& arguments, SystemFamily system) {
    return arguments.size() >= 2 && parameterPrintsAndExits(firstParameter(arguments), system);
}

QString helpText(SystemFamily system) {
    const bool windows = system == SystemFamily::Windows;
    // A Windows console is often 80 columns wide.
    QString text = windows ? QStringLiteral(
                                 "Usage: kelvo [/exec | -exec | --clean | --status | --autostart "
                                 "[on|off] |\n"
                                 "             --help | /? | --version]\n")
                           : QStringLiteral(
                                 "Usage: kelvo [/exec | -exec | --clean | --status | --autostart "
                                 "[on|off] | --help |\n"
                                 "             --version]\n");
    text += QStringLiteral(
        "\n"
        "A small memory monitor and memory cleaner.\n"
        "\n"
        "  /exec, -exec  run one clean at start, then close (any upper or lower case)\n"
        "  --clean       run one clean as the settings file says, show its progress and\n");
    if (windows)
        text += QStringLiteral(
            "                its result, and exit; runs beside a running Kelvo. Ctrl+C and\n"
            "                Ctrl+Break stop it and give the memory back; closing the console\n"
            "                or logging off ends it, and the memory goes back with it.\n"
            "  --status      print the figures the window shows and exit\n"
            "  --autostart on   start Kelvo at log-in: writes the value Kelvo under\n"
            "                   HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\n"
            "  --autostart off  no longer start at log-in: deletes that value\n"
            "  --autostart      tell whether Kelvo starts at log-in; nothing starts at\n"
            "                   log-in unless you ask\n"
            "  --help, /?    print this text and exit\n");
    else
        text += QStringLiteral(
            "                its result, and exit; needs no display and runs beside a running\n"
            "                Kelvo. SIGINT and SIGTERM stop it and give the memory back.\n"
            "  --status      print the figures the window shows and exit; needs no display\n"
            "  --autostart on   start Kelvo at log-in: writes\n"
            "                   $XDG_CONFIG_HOME/autostart/kelvo.desktop\n"
            "  --autostart off  no longer start at log-in: removes that file\n"
            "  --autostart      tell whether Kelvo starts at log-in; none of the three needs a\n"
            "                   display, and nothing starts at log-in unless you ask\n"
            "  --help        print this text and exit\n");
    text += QStringLiteral(
        "  --version     print the version and exit\n"
        "\n"
        "Only the first parameter is looked at (with the value after --autostart); any\n"
        "other parameter is ignored. A first parameter of two dashes that is neither one\n");
    text += windows ? QStringLiteral(
                          "of the above nor one of the toolkit's (-platform, -style…) prints this "
                          "text on\n"
                          "standard error and exits with code 64.\n")
                    : QStringLiteral(
                          "of the above nor one of the toolkit's (-platform, -display, -style…) "
                          "prints this\n"
                          "text on standard error and exits with code 64.\n");
    text += QStringLiteral(
        "\n"
        "Exit codes:\n"
        "  0   done, or the window closed (also after /exec)\n");
    text += windows ? QStringLiteral(
                          "  1   failed: --autostart could not read or change the Run value, or\n"
                          "      kelvo.com could not start kelvo.exe\n")
                    : QStringLiteral(
                          "  1   failed: --autostart could not read, write or remove its file, or\n"
                          "      no display was found for the window\n");
    text += QStringLiteral(
        "  2   --clean refused: the machine cannot spare the memory\n"
        "  3   --clean stopped early because memory ran short\n");
    text += windows ? QStringLiteral("  4   --clean stopped by Ctrl+C or Ctrl+Break\n")
                    : QStringLiteral("  4   --clean stopped by SIGINT or SIGTERM\n");
    text += QStringLiteral(
        "  64  usage error: an unknown option, or a value --autostart does not take\n");
    if (windows)
        return text +
               QStringLiteral(
                   "\n"
                   "At a prompt, kelvo runs kelvo.com: it waits for the options above that "
                   "print and\n"
                   "passes on their output and exit code; with /exec it waits until the window "
                   "has\n"
                   "cleaned and closed, and returns its exit code; any other start of the "
                   "window it\n"
                   "leaves running and returns at once. kelvo.exe, the windowed program, prints "
                   "into\n"
                   "the console it was started from too, but a prompt does not wait for it. The\n"
                   "window keeps clear of that console: Ctrl+C there or closing it leaves Kelvo\n"
                   "running. Output into a file or a pipe is in the console's code page.\n"
                   "\n"
                   "Settings: kelvo.ini beside kelvo.exe where its folder is writable and is not\n"
                   "named bin; otherwise %APPDATA%\\kelvo\\kelvo.ini.\n");
    return text +
           QStringLiteral(
               "\n"
               "Settings: kelvo.ini beside the program where its folder is writable and is not\n"
               "named bin; otherwise $XDG_CONFIG_HOME/kelvo/kelvo.ini "
               "(~/.config/kelvo/kelvo.ini).\n"
               "\n"
               "Display: an X server where one answers (Xwayland in a Wayland session), otherwise\n"
               "native Wayland, where the saved position, stay on top, the task-bar option and\n"
               "hiding under the pointer cannot work. QT_QPA_PLATFORM or -platform overrides "
               "this.\n");
}

}  // namespace kelvo
