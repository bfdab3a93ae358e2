#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "raster/kernels/InstructionSet.h"
#include "raster/kernels/PixelRows.h"
#include "raster/kernels/RowOps.h"
#include "tests/support/EveryInstructionSet.h"

namespace kelvo::raster {
namespace {

class RowKernels : public testsupport::EveryInstructionSet {};
KELVO_ON_EVERY_INSTRUCTION_SET(RowKernels);

using testsupport::noiseBytes;

// Every operation, lengths around each vector width, starts off any alignment.
TEST_P(RowKernels, EveryOperationMatchesTheTruthTable) {
    std::mt19937_64 rng(3);
    const size_t lengths[] = {0, 1, 7, 8, 15, 16, 17, 31, 32, 33, 63, 64, 65, 200};
    for (int r = 0; r < 256; ++r) {
        const RowKernel kernel{uint8_t(r)};
        for (size_t n : lengths) {
            const size_t off = rng() % 8;
            const auto s = noiseBytes(rng, n + 8), p = noiseBytes(rng, n + 8),
                       d = noiseBytes(rng, n + 8);
            std::vector<uint8_t> fast = d, plain = d;
            kernel(fast.data() + off, s.data() + off, p.data() + off, n);
            rowOpPlain(uint8_t(r), plain.data() + off, s.data() + off, p.data() + off, n);
            ASSERT_EQ(fast, plain) << "rop " << r << " length " << n << " offset " << off;
        }
    }
}

TEST_P(RowKernels, MissingInputsAreNotRead) {
    std::mt19937_64 rng(4);
    for (int r : {0x00, 0x55, 0xAA, 0xFF, 0x0F, 0xF0, 0x5A, 0xA0}) {
        const auto d = noiseBytes(rng, 70), p = noiseBytes(rng, 70);
        std::vector<uint8_t> fast = d, plain = d;
        RowKernel{uint8_t(r)}(fast.data(), nullptr, p.data(), fast.size());
        rowOpPlain(uint8_t(r), plain.data(), nullptr, p.data(), plain.size());
        EXPECT_EQ(fast, plain) << "rop " << r;
    }
    for (int r : {0x33, 0xCC, 0x66, 0x88, 0xEE, 0xBB}) {
        const auto d = noiseBytes(rng, 70), s = noiseBytes(rng, 70);
        std::vector<uint8_t> fast = d, plain = d;
        RowKernel{uint8_t(r)}(fast.data(), s.data(), nullptr, fast.size());
        rowOpPlain(uint8_t(r), plain.data(), s.data(), nullptr, plain.size());
        EXPECT_EQ(fast, plain) << "rop " << r;
    }
}

// The gathers write exactly the pixels asked for: a guard byte after them stays.
TEST_P(RowKernels, GathersMatchPixelByPixelCopies) {
    std::mt19937_64 rng(5);
    for (int n = 0; n < 200; ++n) {
        const int srcWidth = 1 + int(rng() % 90), count = int(rng() % 120);
        const auto row = noiseBytes(rng, size_t(srcWidth) * 3 + 1);
        std::vector<int> map(static_cast<size_t>(count));
        // Enlarging maps (runs of one column) most of the time, random columns now and then.
        const int step = 1 + int(rng() % 4);
        for (int i = 0; i < count; ++i)
            map[size_t(i)] =
                n % 4 == 0 ? int(rng() % unsigned(srcWidth)) : std::min(srcWidth - 1, i / step);
        std::vector<uint8_t> want(size_t(count) * 3 + 1, 0xA5);
        for (int i = 0; i < count; ++i)
            for (int c = 0; c < 3; ++c)
                want[size_t(i) * 3 + size_t(c)] = row[size_t(map[size_t(i)]) * 3 + size_t(c)];
        const Gather24 gather(map.data(), count, srcWidth);
        for (bool roomy : {true, false}) {
            std::vector<uint8_t> got(want.size(), 0xA5);
            gather.run(row.data(), got.data(), roomy);
            ASSERT_EQ(got, want) << "width " << srcWidth << " count " << count;
        }
    }
}

TEST_P(RowKernels, PaletteRowsMatchTheTable) {
    std::mt19937_64 rng(6);
    uint32_t table[256];
    for (auto& t : table)
        t = uint32_t(rng());  // a spare top byte set: it must never reach the row
    const PaletteRow24 rows24(table);
    for (int count :
         {0, 1, 2, 3, 7, 8, 9, 16, 17, 18, 21, 22, 32, 33, 34, 63, 64, 65, 127, 128, 129, 640}) {
        const auto idx = noiseBytes(rng, size_t(count));
        std::vector<uint8_t> got24(size_t(count) * 3 + 1, 0xA5), got32(size_t(count) * 4 + 1, 0xA5);
        std::vector<uint8_t> gotRows(got24);
        paletteRow24(idx.data(), count, table, got24.data());
        paletteRow32(idx.data(), count, table, got32.data());
        rows24.run(idx.data(), count, gotRows.data());
        for (int i = 0; i < count; ++i) {
            const uint32_t v = table[idx[size_t(i)]];
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(got24[size_t(i) * 3 + size_t(c)], uint8_t(v >> (8 * c)));
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(got32[size_t(i) * 4 + size_t(c)], uint8_t(v >> (8 * c)));
        }
        EXPECT_EQ(got24.back(), 0xA5);
        EXPECT_EQ(got32.back(), 0xA5);
        EXPECT_EQ(gotRows, got24) << "count " << count;
    }
}

TEST(InstructionSets, ForcingNeverGoesAboveWhatTheMachineHas) {
    forceInstructionSet(InstructionSet::Avx512Vbmi);
    EXPECT_EQ(activeInstructionSet(), detectedInstructionSet());
    {
        const ScopedInstructionSet portable(InstructionSet::Portable);
        EXPECT_EQ(activeInstructionSet(), InstructionSet::Portable);
    }
    EXPECT_EQ(activeInstructionSet(), detectedInstructionSet());
    clearForcedInstructionSet();
    EXPECT_EQ(availableInstructionSets().front(), InstructionSet::Portable);
}

}  // namespace
}  // namespace kelvo::raster
