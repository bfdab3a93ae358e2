#pragma once

#include <string>

// The console companion of the windowed program (kelvo.com beside kelvo.exe on Windows): a
// console program, which a prompt waits for, that runs the windowed one. It carries no toolkit.

namespace kelvo {

// What the companion waits for.
enum class ProgramWait {
    None,       // a start of the window: it runs on its own, and 0 is returned at once
    ForOutput,  // an option that prints: the program shares this console and the standard
                // streams, Ctrl+C and Ctrl+Break are left to it, and its exit code is returned
    ForEnd,     // a window that cleans once and closes: it keeps clear of this console as any
                // window does, and its exit code is returned once it has ended
};

// The first parameter this process was given, as UTF-8; empty where there is none.
std::string companionFirstParameter();

// Runs the windowed program of the same name beside this one (kelvo.exe for kelvo.com) with this
// process's parameters as they were written. A program that cannot be started is named on
// standard error, and 1 returned.
int runWindowedProgram(ProgramWait wait);

}  // namespace kelvo
