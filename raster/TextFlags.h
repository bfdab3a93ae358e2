#pragma once

#include <cstdint>

namespace kelvo {

// Format flags of the classic formatted-text call, with their system values.
enum DrawTextFlag : uint32_t {
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_WORDBREAK = 0x10,
    DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
};

}  // namespace kelvo
