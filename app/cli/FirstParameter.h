#pragma once

#include <string_view>

// What the program's first parameter asks for, without the toolkit: the console companion
// decides with it whether to wait for the program.

namespace kelvo {

// What the first parameter asks for. A first parameter of two dashes that is neither one of
// ours nor one of the toolkit's is Unknown: the usage, and no start. Anything else starts the
// program as usual.
enum class CommandLineAction { Run, Help, Version, Status, Clean, Unknown };
CommandLineAction actionOfFirstParameter(std::string_view first);

// True for "/exec" and "-exec" in any case.
bool isExecuteParameter(std::string_view first);

bool isAutostartParameter(std::string_view first);

// True when the first parameter asks for something that prints and exits (an unknown option's
// usage and --autostart included), false for a start of the window.
bool parameterPrintsAndExits(std::string_view first);

}  // namespace kelvo
