// kelvo.com, the console program beside the windowed kelvo.exe. A prompt finds it first for
// "kelvo" and waits for it: the options that print come back in order with their exit code, and
// a start of the window returns at once.
#include "app/cli/FirstParameter.h"
#include "platform/Companion.h"

int main() {
    return kelvo::runWindowedProgram(
        kelvo::parameterPrintsAndExits(kelvo::companionFirstParameter()));
}
