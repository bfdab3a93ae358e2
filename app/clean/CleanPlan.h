#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace kelvo {

// A clean zeroes its memory in this many passes.
inline constexpr int kCleanPasses = 100;
// The Windows 95 family holds large cleans in several blocks of at most this many bytes.
inline constexpr int64_t kBlock = 0x0FFFFF00;
// From this size on the Windows 95 family takes several blocks.
inline constexpr int64_t kSeveralBlocksFrom = 0x10000000;
inline constexpr int kMaxBlocks = 4;

// The blocks of one clean and the bytes each pass zeroes.
struct CleanPlan {
    int64_t step = 0;  // bytes per pass
    int64_t rest = 0;  // bytes left over after 100 passes; zeroed at the end of one block
    std::vector<uint64_t> blocks;  // sizes, one to four
};

// One block on the NT family and below 256 MiB; else blocks of BLOCK, the last one rounded up
// to whole passes, never more than four. `cleanSize` must be above 0.
CleanPlan planClean(int64_t cleanSize, bool winNT);

// One stretch of zeros in one block.
struct ZeroWrite {
    int block;  // index into the plan's blocks
    uint64_t offset;
    uint64_t length;
};

// The writes of each pass. With several blocks, a pass whose end lies in block k + 1 writes the
// last pass-sized stretch of block k again and the next stretch of block k + 1 (its own counter
// tells which). Every write is cut at the end of its block; a write for a block the plan does not
// have is dropped.
class StepWrites {
  public:
    explicit StepWrites(const CleanPlan& plan) : plan_(plan) {}

    struct Writes {
        std::array<ZeroWrite, 2> list{};
        int count = 0;
    };
    // The writes of pass `i` (0..99). Call once per pass, in order: it advances the counters.
    Writes forPass(int i);
    // The rest bytes at pass `i`'s start, with one block only; empty otherwise.
    std::optional<ZeroWrite> rest(int i) const;

  private:
    void add(Writes& w, int block, uint64_t offset, uint64_t length) const;

    const CleanPlan& plan_;
    std::array<uint64_t, kMaxBlocks> counters_{};  // c2, c3, c4 (index 0 unused)
};

}  // namespace kelvo
