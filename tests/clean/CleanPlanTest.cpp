#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "app/clean/CleanPlan.h"
#include "tests/clean/BlockWalk.h"

namespace kelvo {
namespace {

constexpr int64_t MiB = 1048576;

using test::BlockWrite;
using Passes = std::vector<std::vector<BlockWrite>>;

// The writes StepWrites gives each pass of a plan.
Passes passesOf(const CleanPlan& plan) {
    Passes passes(kCleanPasses);
    StepWrites writes(plan);
    for (int i = 0; i < kCleanPasses; ++i) {
        const StepWrites::Writes w = writes.forPass(i);
        for (int k = 0; k < w.count; ++k) {
            const ZeroWrite& z = w.list[static_cast<size_t>(k)];
            passes[static_cast<size_t>(i)].push_back({z.block, z.offset, z.length});
        }
    }
    return passes;
}

// How far from its start block `b` is written without a gap.
uint64_t writtenFromStart(const Passes& passes, int b) {
    std::vector<std::pair<uint64_t, uint64_t>> ranges;
    for (const auto& pass : passes)
        for (const BlockWrite& w : pass)
            if (w.block == b)
                ranges.push_back({w.offset, w.offset + w.length});
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
}

// Each block gets its own passes and, written again, the last stretch of the passes that end
// in the next one: 600 MiB end 42, 43 and 15 passes in its three blocks; 1000 MiB 25, 26, 25 and
// 24 in four (10 MiB a pass). 2 × BLOCK ends 49 and 50 passes in two, and its last pass ends
// exactly where a third block would begin: that block's write is dropped.
TEST(CleanPlan, Windows95PassesFollowTheBlockWalk) {
    const struct {
        int64_t size;
        std::vector<int> writesPerBlock;
    } cases[] = {
        {600 * MiB, {42 + 43, 43 + 15, 15}},
        {1000 * MiB, {25 + 26, 26 + 25, 25 + 24, 24}},
        {2 * kBlock, {49 + 50, 50 + 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        const CleanPlan plan = planClean(c.size, false);
        const Passes passes = passesOf(plan);
        EXPECT_EQ(passes, test::blockWalk(plan.blocks, static_cast<uint64_t>(plan.step)));
        std::vector<int> perBlock(plan.blocks.size());
        for (const auto& pass : passes)
            for (const BlockWrite& w : pass)
                ++perBlock[static_cast<size_t>(w.block)];
        EXPECT_EQ(perBlock, c.writesPerBlock);
        EXPECT_FALSE(StepWrites(plan).rest(kCleanPasses)) << "several blocks write no rest";
    }
}

// Every byte of the clean's size is written (but the rest, fewer than 100 bytes, which the
// several-block case leaves): a last block rounded up past its share has an unwritten tail, which
// costs nothing because it is never committed. The walk cuts every write at its block's end.
TEST(CleanPlan, TheCleansBytesAreWrittenAndNothingPastABlocksEnd) {
    std::mt19937_64 random(7);
    std::vector<int64_t> sizes = {kSeveralBlocksFrom, 600 * MiB,      2 * kBlock, 2 * kBlock + 1,
                                  3 * kBlock,         4 * kBlock - 1, 4 * kBlock, 10 * kBlock};
    for (int k = 0; k < 200; ++k)
        sizes.push_back(kSeveralBlocksFrom +
                        static_cast<int64_t>(
                            random() % static_cast<uint64_t>(4 * kBlock - kSeveralBlocksFrom)));
    for (int64_t size : sizes) {
        const CleanPlan plan = planClean(size, false);
        const Passes passes = passesOf(plan);
        ASSERT_EQ(passes, test::blockWalk(plan.blocks, static_cast<uint64_t>(plan.step))) << size;
        for (size_t b = 0; b < plan.blocks.size(); ++b) {
            const uint64_t share = std::min<uint64_t>(
                plan.blocks[b], static_cast<uint64_t>(size - static_cast<int64_t>(b) * kBlock));
            EXPECT_GE(
                writtenFromStart(passes, static_cast<int>(b)) + static_cast<uint64_t>(plan.rest),
                share)
                << size << " block " << b + 1;
        }
    }
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

}  // namespace
}  // namespace kelvo
