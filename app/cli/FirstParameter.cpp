#include "app/cli/FirstParameter.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace kelvo {
namespace {

// The toolkit takes these from the command line with one dash or two (some with a value).
bool isToolkitOption(std::string_view name) {
    static constexpr std::string_view names[] = {"platform",
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
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

CommandLineAction actionOfFirstParameter(std::string_view first, SystemFamily system) {
    if (first == "--help" || first == "-h" || (system == SystemFamily::Windows && first == "/?"))
        return CommandLineAction::Help;
    if (first == "--version")
        return CommandLineAction::Version;
    if (first == "--status")
        return CommandLineAction::Status;
    if (first == "--clean")
        return CommandLineAction::Clean;
    if (first.size() > 2 && first.starts_with("--")) {
        std::string_view name = first.substr(2);
        name = name.substr(0, name.find('='));
        if (!isToolkitOption(name))
            return CommandLineAction::Unknown;
    }
    return CommandLineAction::Run;
}

bool isExecuteParameter(std::string_view first) {
    std::string lowered(first);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), lowerAscii);
    return lowered == "/exec" || lowered == "-exec";
}

bool isAutostartParameter(std::string_view first) {
    return first == "--autostart";
}

bool parameterPrintsAndExits(std::string_view first, SystemFamily system) {
    return isAutostartParameter(first) ||
           actionOfFirstParameter(first, system) != CommandLineAction::Run;
}

ProgramWait companionWaitFor(std::string_view first) {
    if (parameterPrintsAndExits(first, SystemFamily::Windows))
        return ProgramWait::ForOutput;
    return isExecuteParameter(first) ? ProgramWait::ForEnd : ProgramWait::None;
}

}  // namespace kelvo
