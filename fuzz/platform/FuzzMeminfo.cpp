#include "fuzz/platform/PlatformInputs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvo::fuzz::runMeminfo(data, size);
    return 0;
}
