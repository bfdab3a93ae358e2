#include "components/Scramble.h"

namespace kelvo {
namespace {

constexpr uint32_t kMul = 1103515245u;
constexpr uint32_t kAdd = 12345u;
constexpr int kLanes = 8;

struct Step {
    uint32_t mul, add;
};

// The affine map that advances the state by n bytes at once.
constexpr Step stepOf(int n) {
    Step s{1, 0};
    for (int i = 0; i < n; ++i)
        s = {s.mul * kMul, s.add * kMul + kAdd};
    return s;
}

}  // namespace

void descrambleSimple(uint8_t* data, size_t size, uint32_t seed) {
    uint32_t state = seed;
    for (size_t i = 0; i < size; ++i) {
        state = state * kMul + kAdd;
        data[i] ^= uint8_t(((state >> 16) & 0x7FFF) >> 8);
    }
}

// The state chain is one long dependency; eight lanes, each jumping eight bytes at a time,
// keep the multiplier busy instead of waiting on it.
void descramble(uint8_t* data, size_t size, uint32_t seed) {
    constexpr Step jump = stepOf(kLanes);
    uint32_t lane[kLanes];
    uint32_t state = seed;
    for (int k = 0; k < kLanes; ++k) {
        state = state * kMul + kAdd;
        lane[k] = state;
    }
    size_t i = 0;
    for (; i + kLanes <= size; i += kLanes) {
        for (int k = 0; k < kLanes; ++k) {
            data[i + size_t(k)] ^= uint8_t((lane[k] >> 24) & 0x7F);
            lane[k] = lane[k] * jump.mul + jump.add;
        }
    }
    for (int k = 0; i < size; ++i, ++k)
        data[i] ^= uint8_t((lane[k] >> 24) & 0x7F);
}

}  // namespace kelvo
