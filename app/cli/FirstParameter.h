#pragma once

#include <string_view>

#include "platform/Companion.h"
#include "platform/Platform.h"

// What the program's first parameter asks for, without the toolkit: the console companion
// decides with it whether to wait for the program.

namespace kelvo {

// The exit code of a usage error (an unknown option, a value an option does not take), as
// sysexits.h has it: apart from --clean's codes, which a script acts on.
constexpr int kUsageErrorExitCode = 64;

// What the first parameter asks for. A first parameter of two dashes that is neither one of
// ours nor one of the toolkit's is Unknown: the usage, and no start. On Windows "/?" asks for
// the help, as it does of the system's own programs. Anything else starts the program as usual.
enum class CommandLineAction { Run, Help, Version, Status, Clean, Unknown };
CommandLineAction actionOfFirstParameter(std::string_view first, SystemFamily system);

// True for "/exec" and "-exec" in any case.
bool isExecuteParameter(std::string_view first);

bool isAutostartParameter(std::string_view first);

// True when the first parameter asks for something that prints and exits (an unknown option's
// usage and --autostart included), false for a start of the window.
bool parameterPrintsAndExits(std::string_view first, SystemFamily system);

// What the console companion waits for: the output of what prints and exits, the end of a
// window that cleans once and closes, nothing for any other start of the window.
ProgramWait companionWaitFor(std::string_view first);

}  // namespace kelvo
