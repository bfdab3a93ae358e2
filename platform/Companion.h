#pragma once

#include <string>

// The console companion of the windowed program (kelvo.com beside kelvo.exe on Windows): a
// console program, which a prompt waits for, that runs the windowed one. It carries no toolkit.

namespace kelvo {

// The first parameter this process was given, as UTF-8; empty where there is none.
std::string companionFirstParameter();

// Runs the windowed program of the same name beside this one (kelvo.exe for kelvo.com) with this
// process's parameters as they were written. With `wait` the program shares this console and the
// standard streams, Ctrl+C and Ctrl+Break are left to it, and its exit code is returned. Otherwise
// it starts on its own and 0 is returned at once. A program that cannot be started is named on
// standard error, and 1 returned.
int runWindowedProgram(bool wait);

}  // namespace kelvo
