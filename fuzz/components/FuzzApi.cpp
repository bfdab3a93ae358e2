#include "fuzz/components/ApiInputs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvo::fuzz::runApi(data, size);
    return 0;
}
