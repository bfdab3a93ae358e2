#pragma once

#include <algorithm>
#include <array>
#include <ostream>
#include <vector>

#include "app/clean/CleanPlan.h"

namespace kelvo::test {

struct BlockWrite {
    int block;  // index into the blocks, from 0
    uint64_t offset;
    uint64_t length;
    bool operator==(const BlockWrite&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const BlockWrite& w) {
        return out << "block " << w.block << " at " << w.offset << " for " << w.length;
    }
};

// The writes of each pass over several blocks, worked out from the walk's rule on its own: a
// pass that ends below BLOCK writes block 1 at its own offset; one that ends in block k + 1
// writes block k's last pass-sized stretch again, then block k + 1 at that block's own count
// of passes (the fourth takes every pass past the third). A write stops at its block's end; a
// block that does not exist gets none.
inline std::vector<std::vector<BlockWrite>> blockWalk(const std::vector<uint64_t>& blocks,
                                                      uint64_t step) {
    std::vector<std::vector<BlockWrite>> passes(kCleanPasses);
    std::array<uint64_t, kMaxBlocks> counts{};
    const uint64_t block = kBlock;
    for (uint64_t i = 0; i < kCleanPasses; ++i) {
        auto write = [&](uint64_t b, uint64_t offset) {
            if (b < blocks.size() && offset < blocks[b])
                passes[i].push_back({int(b), offset, std::min(step, blocks[b] - offset)});
        };
        const uint64_t end = (i + 1) * step;
        if (end < block) {
            write(0, i * step);
            continue;
        }
        const uint64_t k = std::min<uint64_t>(end / block, kMaxBlocks - 1);
        write(k - 1, block - step);
        write(k, counts[k]++ * step);
    }
    return passes;
}

}  // namespace kelvo::test
