#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "components/imageadv/ColorEffects.h"
#include "components/imageadv/Scramble.h"
#include "components/splpaint/LevelBytes.h"
#include "raster/kernels/InstructionSet.h"
#include "tests/support/EveryInstructionSet.h"

// The byte kernels of the components on every instruction set this machine can take, each
// against its one-byte-at-a-time reference.
namespace kelvo {
namespace {

using raster::InstructionSet;

class ByteKernels : public testsupport::EveryInstructionSet {};
KELVO_ON_EVERY_INSTRUCTION_SET(ByteKernels);

using testsupport::noiseBytes;

// Sizes around every block length, so that each lane and the hand-over to the tail is seen.
TEST_P(ByteKernels, DescrambleMatchesTheSimpleStream) {
    std::mt19937_64 rng(11);
    std::vector<size_t> sizes = {0, 1, 15, 16, 17, 31, 32, 33, 47, 63, 64, 65, 640, 4099};
    for (int n = 0; n < 20; ++n)
        sizes.push_back(rng() % 300);
    for (size_t size : sizes) {
        for (uint32_t seed : {0u, 1u, 0xFFFFFFFFu, uint32_t(rng())}) {
            const auto original = noiseBytes(rng, size);
            auto fast = original, simple = original;
            descramble(fast.data(), size, seed);
            descrambleSimple(simple.data(), size, seed);
            ASSERT_EQ(fast, simple) << "size " << size << " seed " << seed;
        }
    }
}

// Aligned and not; percents past 100 wrap as bytes (10 less 200 % of 10 is 246).
TEST_P(ByteKernels, BrightnessScaleMatchesPortableForEveryPercent) {
    std::mt19937_64 rng(12);
    const auto data = noiseBytes(rng, 1000 + 37);
    for (size_t start : {0, 3})
        for (int percent = -400; percent <= 400; ++percent) {
            auto fast = data, slow = data;
            scaleBytes(fast.data() + start, fast.size() - start, percent);
            scaleBytesPortable(slow.data() + start, slow.size() - start, percent);
            ASSERT_EQ(fast, slow) << percent << " from byte " << start;
        }
    uint8_t b = 10;
    scaleBytes(&b, 1, 200);
    EXPECT_EQ(b, uint8_t(10 - 20));
}

TEST_P(ByteKernels, ContrastAndOffsetMatchThePlainFormulas) {
    std::mt19937_64 rng(13);
    const auto data = noiseBytes(rng, 2 * 256 + 37);
    for (int level : {-5, 0, 1, 50, 99, 100, 101, 380, 400, 25500, 30000}) {
        auto wide = data, narrow = data, plain = data;
        contrastBytes(wide.data(), wide.size(), level);
        contrastBytes(narrow.data(), narrow.size(), level, false);
        contrastBytesPlain(plain.data(), plain.size(), level);
        ASSERT_EQ(wide, plain) << level;
        ASSERT_EQ(narrow, plain) << level;
    }
    for (int offset : {-300, -255, -20, 0, 20, 255, 300}) {
        auto wide = data, plain = data;
        offsetBytes(wide.data(), wide.size(), offset);
        offsetBytesPlain(plain.data(), plain.size(), std::clamp(offset, -255, 255));
        ASSERT_EQ(wide, plain) << offset;
    }
}

}  // namespace
}  // namespace kelvo
