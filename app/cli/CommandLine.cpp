#include "app/cli/CommandLine.h"

namespace kelvo {
namespace {

// The toolkit takes these from the command line with one dash or two (some with a value).
bool isToolkitOption(const QString& name) {
    static const QStringList names = {"platform",
                                      "platformpluginpath",
                                      "platformtheme",
                                      "plugin",
                                      "qwindowgeometry",
                                      "qwindowicon",
                                      "qwindowtitle",
                                      "reverse",
                                      "session",
                                      "style",
                                      "stylesheet",
                                      "widgetcount",
                                      "display",
                                      "geometry",
                                      "name",
                                      "title",
                                      "icon",
                                      "visual",
                                      "nograb",
                                      "dograb",
                                      "sync",
                                      "qmljsdebugger",
                                      "testability"};
    return names.contains(name);
}

}  // namespace

bool executeOptionIn(const QStringList& arguments) {
    if (arguments.size() < 2)
        return false;
    const QString first = arguments.at(1).toLower();
    return first == QLatin1String("/exec") || first == QLatin1String("-exec");
}

CommandLineAction commandLineAction(const QStringList& arguments) {
    if (arguments.size() < 2)
        return CommandLineAction::Run;
    const QString& first = arguments.at(1);
    if (first == QLatin1String("--help") || first == QLatin1String("-h"))
        return CommandLineAction::Help;
    if (first == QLatin1String("--version"))
        return CommandLineAction::Version;
    if (first == QLatin1String("--status"))
        return CommandLineAction::Status;
    if (first == QLatin1String("--clean"))
        return CommandLineAction::Clean;
    if (first.startsWith(QLatin1String("--")) && first.size() > 2 &&
        !isToolkitOption(first.mid(2).section('=', 0, 0)))
        return CommandLineAction::Unknown;
    return CommandLineAction::Run;
}

QString helpText() {
    return QStringLiteral(
        "Usage: kelvo [/exec | -exec | --clean | --status | --autostart [on|off] | --help |\n"
        "             --version]\n"
        "\n"
        "A small memory monitor and memory cleaner.\n"
        "\n"
        "  /exec, -exec  run one clean at start, then close (any upper or lower case)\n"
        "  --clean       run one clean as the settings file says, show its progress and\n"
        "                its result, and exit; needs no display and runs beside a running\n"
        "                Kelvo. SIGINT and SIGTERM stop it and give the memory back.\n"
        "                Exit codes: 0 cleaned, 2 refused (the machine cannot spare the\n"
        "                memory), 3 stopped early because memory ran short, 4 stopped by\n"
        "                SIGINT or SIGTERM\n"
        "  --status      print the figures the window shows and exit; needs no display\n"
        "  --autostart on   start Kelvo at log-in: writes\n"
        "                   $XDG_CONFIG_HOME/autostart/kelvo.desktop\n"
        "  --autostart off  no longer start at log-in: removes that file\n"
        "  --autostart      tell whether Kelvo starts at log-in; none of the three needs a\n"
        "                   display, and nothing starts at log-in unless you ask\n"
        "  --help        print this text and exit\n"
        "  --version     print the version and exit\n"
        "\n"
        "Only the first parameter is looked at (with the value after --autostart); any\n"
        "other parameter is ignored. A first parameter of two dashes that is neither one\n"
        "of the above nor one of the toolkit's (-platform, -display, -style…) prints this\n"
        "text on standard error and exits with code 2.\n"
        "\n"
        "Settings: kelvo.ini beside the program where its folder is writable and is not\n"
        "named bin; otherwise $XDG_CONFIG_HOME/kelvo/kelvo.ini (~/.config/kelvo/kelvo.ini).\n"
        "\n"
        "Display: an X server where one answers (Xwayland in a Wayland session), otherwise\n"
        "native Wayland, where the saved position, stay on top, the task-bar option and\n"
        "hiding under the pointer cannot work. QT_QPA_PLATFORM or -platform overrides this.\n");
}

}  // namespace kelvo
