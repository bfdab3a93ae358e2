// kelvo.com, the console program beside the windowed kelvo.exe. A prompt finds it first for
// "kelvo" and waits for it: the options that print come back in order with their exit code, a
// clean at start (/exec) returns once the window has cleaned and closed, and any other start of
// the window returns at once.
#include "app/cli/FirstParameter.h"
#include "platform/Companion.h"

int main() {
    return kelvo::runWindowedProgram(kelvo::companionWaitFor(kelvo::companionFirstParameter()));
}
