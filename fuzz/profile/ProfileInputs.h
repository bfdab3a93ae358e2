#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvo::fuzz {

// Arbitrary bytes as the settings file on a disk held in memory: read as a load does, every key
// limited, saved, and read back.
void runProfile(const uint8_t* data, size_t size);

}  // namespace kelvo::fuzz
