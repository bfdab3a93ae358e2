#include "fuzz/profile/ProfileInputs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvo::fuzz::runProfile(data, size);
    return 0;
}
