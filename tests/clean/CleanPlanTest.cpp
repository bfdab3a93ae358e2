#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "app/clean/CleanPlan.h"

namespace kelvo {
namespace {

constexpr int64_t MiB = 1048576;

// Runs the 100 passes of a plan and collects what each block got.
struct Covered {
    std::vector<std::vector<std::pair<uint64_t, uint64_t>>> ranges;  // per block: [begin, end)
    int overshoots = 0;
};

Covered runPasses(const CleanPlan& plan) {
    Covered c;
    c.ranges.resize(plan.blocks.size());
    StepWrites writes(plan);
    for (int i = 0; i < kCleanPasses; ++i) {
        const StepWrites::Writes w = writes.forPass(i);
        for (int k = 0; k < w.count; ++k) {
            const ZeroWrite& z = w.list[static_cast<size_t>(k)];
            if (z.offset + z.length > plan.blocks[static_cast<size_t>(z.block)])
                ++c.overshoots;
            c.ranges[static_cast<size_t>(z.block)].push_back({z.offset, z.offset + z.length});
        }
    }
    return c;
}

// How far from its start a block is written without a gap.
uint64_t writtenFromStart(std::vector<std::pair<uint64_t, uint64_t>> ranges) {
    std::sort(ranges.begin(), ranges.end());
    uint64_t reached = 0;
    for (const auto& [begin, end] : ranges) {
        if (begin > reached)
            break;
        reached = std::max(reached, end);
    }
    return reached;
}

TEST(CleanPlan, TheNtFamilyTakesOneBlockOfAnySize) {
    for (int64_t size : {int64_t{1}, 255 * MiB, 600 * MiB, 2047 * MiB, 3 * 1024 * MiB}) {
        const CleanPlan plan = planClean(size, true);
        ASSERT_EQ(plan.blocks.size(), 1u) << size;
        EXPECT_EQ(plan.blocks[0], static_cast<uint64_t>(size));
        EXPECT_EQ(plan.step, size / 100);
        EXPECT_EQ(plan.rest, size % 100);
    }
}

TEST(CleanPlan, AboveTwoGibibytesTheSizesStayPositive) {
    const int64_t size = 6 * 1024 * MiB;
    const CleanPlan plan = planClean(size, true);
    EXPECT_GT(plan.step, 0);
    StepWrites writes(plan);
    StepWrites::Writes last{};
    for (int i = 0; i < kCleanPasses; ++i)
        last = writes.forPass(i);
    EXPECT_EQ(last.list[0].offset + last.list[0].length, static_cast<uint64_t>(size - plan.rest));
    ASSERT_TRUE(writes.rest(kCleanPasses));
    EXPECT_EQ(writes.rest(kCleanPasses)->offset + plan.rest, static_cast<uint64_t>(size));
}

// Several blocks from 256 MiB on, and never more than four.
TEST(CleanPlan, Windows95TakesOneToFourBlocks) {
    EXPECT_EQ(planClean(kSeveralBlocksFrom - 1, false).blocks.size(), 1u);
    EXPECT_EQ(planClean(kSeveralBlocksFrom, false).blocks.size(), 2u);
    const CleanPlan plan = planClean(10 * kBlock, false);
    ASSERT_EQ(plan.blocks.size(), 4u);
    for (uint64_t b : plan.blocks)
        EXPECT_EQ(b, static_cast<uint64_t>(kBlock));
    EXPECT_EQ(runPasses(plan).overshoots, 0);
}

TEST(CleanPlan, Windows95PassesWriteTheBlockEndsAndCountPerBlock) {
    const CleanPlan plan = planClean(600 * MiB, false);
    const uint64_t step = static_cast<uint64_t>(plan.step);
    const uint64_t block = static_cast<uint64_t>(kBlock);
    StepWrites writes(plan);
    int secondBlockPasses = 0;
    int thirdBlockPasses = 0;
    for (int i = 0; i < kCleanPasses; ++i) {
        const StepWrites::Writes w = writes.forPass(i);
        const uint64_t end = (static_cast<uint64_t>(i) + 1) * step;
        if (end < block) {
            ASSERT_EQ(w.count, 1);
            EXPECT_EQ(w.list[0].block, 0);
            EXPECT_EQ(w.list[0].offset, static_cast<uint64_t>(i) * step);
        } else if (end < 2 * block) {
            ASSERT_EQ(w.count, 2);
            // The last pass-sized stretch of block 1 again, then the next one of block 2.
            EXPECT_EQ(w.list[0].block, 0);
            EXPECT_EQ(w.list[0].offset, block - step);
            EXPECT_EQ(w.list[1].block, 1);
            EXPECT_EQ(w.list[1].offset, static_cast<uint64_t>(secondBlockPasses++) * step);
        } else {
            ASSERT_EQ(w.count, 2);
            EXPECT_EQ(w.list[0].block, 1);
            EXPECT_EQ(w.list[0].offset, block - step);
            EXPECT_EQ(w.list[1].block, 2);
            EXPECT_EQ(w.list[1].offset, static_cast<uint64_t>(thirdBlockPasses++) * step);
        }
    }
    EXPECT_EQ(secondBlockPasses, 43);
    EXPECT_EQ(thirdBlockPasses, 100 - 42 - 43);
    // The last write of block 2 would cross its end: it ends there.
    EXPECT_FALSE(writes.rest(100)) << "several blocks write no rest";
}

// 1000 MiB fill four blocks: each pass whose end lies in block k + 1 writes block k's last
// pass-sized stretch again and then block k + 1 at its own counter, from 0 up.
TEST(CleanPlan, Windows95FourBlocksEachCountTheirOwnPasses) {
    const CleanPlan plan = planClean(1000 * MiB, false);
    ASSERT_EQ(plan.blocks.size(), 4u);
    const uint64_t step = static_cast<uint64_t>(plan.step);
    const uint64_t block = static_cast<uint64_t>(kBlock);
    StepWrites writes(plan);
    std::array<uint64_t, 4> counters{};
    std::array<int, 4> passesEndingIn{};
    for (int i = 0; i < kCleanPasses; ++i) {
        SCOPED_TRACE(i);
        const StepWrites::Writes w = writes.forPass(i);
        const uint64_t end = (static_cast<uint64_t>(i) + 1) * step;
        const int k = static_cast<int>(std::min<uint64_t>(end / block, 3));
        ++passesEndingIn[static_cast<size_t>(k)];
        if (k == 0) {
            ASSERT_EQ(w.count, 1);
            EXPECT_EQ(w.list[0].offset, static_cast<uint64_t>(i) * step);
            continue;
        }
        ASSERT_EQ(w.count, 2);
        EXPECT_EQ(w.list[0].block, k - 1);
        EXPECT_EQ(w.list[0].offset, block - step);
        EXPECT_EQ(w.list[0].length, step);
        EXPECT_EQ(w.list[1].block, k);
        EXPECT_EQ(w.list[1].offset, counters[static_cast<size_t>(k)]++ * step);
    }
    // 10 MiB a pass: 25 passes end in block 1, 26 in block 2, 25 in block 3 and 24 in block 4.
    EXPECT_EQ(passesEndingIn, (std::array<int, 4>{25, 26, 25, 24}));
    EXPECT_EQ(counters, (std::array<uint64_t, 4>{0, 26, 25, 24}));
}

// Every byte of the clean's size is written (but the rest, fewer than 100 bytes, which the
// several-block case leaves): a last block rounded up past its share has an unwritten tail, which
// costs nothing because it is never committed.
TEST(CleanPlan, TheCleansBytesAreWrittenAndNothingPastABlocksEnd) {
    std::mt19937_64 random(7);
    std::vector<int64_t> sizes = {kSeveralBlocksFrom, 600 * MiB,  2 * kBlock,    2 * kBlock + 1,
                                  3 * kBlock,         4 * kBlock, 4 * kBlock - 1};
    for (int k = 0; k < 200; ++k)
        sizes.push_back(kSeveralBlocksFrom +
                        static_cast<int64_t>(
                            random() % static_cast<uint64_t>(4 * kBlock - kSeveralBlocksFrom)));
    for (int64_t size : sizes) {
        const CleanPlan plan = planClean(size, false);
        const Covered c = runPasses(plan);
        EXPECT_EQ(c.overshoots, 0) << size;
        for (size_t b = 0; b < plan.blocks.size(); ++b) {
            const uint64_t share = std::min<uint64_t>(
                plan.blocks[b], static_cast<uint64_t>(size - static_cast<int64_t>(b) * kBlock));
            EXPECT_GE(writtenFromStart(c.ranges[b]) + static_cast<uint64_t>(plan.rest), share)
                << size << " block " << b + 1;
        }
    }
}

TEST(CleanPlan, AWriteForABlockThePlanLacksIsDropped) {
    // 2 × BLOCK is a whole number of passes: the last pass ends exactly where a third block
    // would begin, but nothing is left for one.
    const CleanPlan plan = planClean(2 * kBlock, false);
    ASSERT_EQ(plan.blocks.size(), 2u);
    StepWrites writes(plan);
    StepWrites::Writes last{};
    for (int i = 0; i < kCleanPasses; ++i)
        last = writes.forPass(i);
    ASSERT_EQ(last.count, 1);
    EXPECT_EQ(last.list[0].block, 1);
    EXPECT_EQ(last.list[0].offset + last.list[0].length, static_cast<uint64_t>(kBlock));
}

TEST(CleanPlan, TheRestGoesWhereThePassesStopped) {
    const CleanPlan plan = planClean(100 * MiB + 42, true);
    StepWrites writes(plan);
    ASSERT_TRUE(writes.rest(36));
    EXPECT_EQ(writes.rest(36)->offset, 36u * static_cast<uint64_t>(plan.step));
    EXPECT_EQ(writes.rest(36)->length, 42u);
    EXPECT_EQ(writes.rest(100)->offset + 42, 100 * MiB + 42u);
    EXPECT_FALSE(StepWrites(planClean(100 * MiB, true)).rest(100)) << "no rest, no write";
}

TEST(AutoCleanSize, TakesTheStoredShareAtMostWhatTheLoadLeavesAtLeastTheMinimum) {
    const uint64_t total = 1000 * MiB;
    EXPECT_EQ(autoCleanSize(30, 40, total, 1), 30 * static_cast<int64_t>(total / 100));
    // A load of 80 leaves 20 %.
    EXPECT_EQ(autoCleanSize(30, 80, total, 1), 20 * static_cast<int64_t>(total / 100));
    EXPECT_EQ(autoCleanSize(30, 100, total, 7), 7 * MiB);
    EXPECT_EQ(autoCleanSize(-5, 10, total, 3), 3 * MiB);
    // 60 % of 64 GiB is far past 2 GiB and still a positive size.
    EXPECT_EQ(autoCleanSize(60, 10, 65536 * MiB, 1), 60 * (65536 * MiB / 100));
}

}  // namespace
}  // namespace kelvo
