#pragma once

#include <cstdint>

namespace kelvo {

// The memory sample the readout, the clean and the triggers share. Byte counts are 64-bit:
// 32-bit counts saturate at 4 GiB and every size derived from them goes wrong above that.
struct MEMORYSTATUS {
    uint32_t dwLength = sizeof(MEMORYSTATUS);
    uint32_t dwMemoryLoad = 0;  // percent of physical memory in use, 0..100
    uint64_t dwTotalPhys = 0;
    uint64_t dwAvailPhys = 0;
    uint64_t dwTotalPageFile = 0;
    uint64_t dwAvailPageFile = 0;
    uint64_t dwTotalVirtual = 0;
    uint64_t dwAvailVirtual = 0;
};

}  // namespace kelvo
