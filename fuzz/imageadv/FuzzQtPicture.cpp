#include "fuzz/imageadv/FuzzInputs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvo::fuzz::runQtPicture(data, size);
    return 0;
}
