#include "app/clean/CleanPlan.h"

namespace kelvo {

CleanPlan planClean(int64_t cleanSize, bool winNT) {
    CleanPlan plan;
    plan.step = cleanSize / kCleanPasses;
    plan.rest = cleanSize % kCleanPasses;
    if (cleanSize < kSeveralBlocksFrom || winNT) {
        plan.blocks.push_back(static_cast<uint64_t>(cleanSize));
        return plan;
    }
    plan.blocks.push_back(kBlock);
    int64_t left = cleanSize - kBlock;
    while (left > 0 && plan.blocks.size() < kMaxBlocks) {
        // The last block is rounded up to whole passes, one pass more when it already is.
        const int64_t size = left > kBlock ? kBlock : (left / plan.step + 1) * plan.step;
        plan.blocks.push_back(static_cast<uint64_t>(size));
        left -= kBlock;
    }
    return plan;
}

void StepWrites::add(Writes& w, int block, uint64_t offset, uint64_t length) const {
    if (block >= static_cast<int>(plan_.blocks.size()))
        return;
    const uint64_t size = plan_.blocks[static_cast<size_t>(block)];
    if (offset >= size || length == 0)
        return;
    w.list[static_cast<size_t>(w.count++)] = {block, offset,
                                              length < size - offset ? length : size - offset};
}

StepWrites::Writes StepWrites::forPass(int i) {
    Writes w;
    const uint64_t step = static_cast<uint64_t>(plan_.step);
    const uint64_t index = static_cast<uint64_t>(i);
    if (plan_.blocks.size() == 1) {
        add(w, 0, index * step, step);
        return w;
    }
    const uint64_t end = (index + 1) * step;
    const uint64_t block = static_cast<uint64_t>(kBlock);
    if (end < block) {
        add(w, 0, index * step, step);
        return w;
    }
    // Passes past the third block all go to the fourth: there is no fifth.
    const uint64_t k = end / block < 3 ? end / block : 3;
    const int previous = static_cast<int>(k) - 1;
    add(w, previous, block > step ? block - step : 0, step);
    add(w, static_cast<int>(k), counters_[k] * step, step);
    ++counters_[k];
    return w;
}

std::optional<ZeroWrite> StepWrites::rest(int i) const {
    if (plan_.blocks.size() != 1 || plan_.rest <= 0)
        return std::nullopt;
    Writes w;
    add(w, 0, static_cast<uint64_t>(i) * static_cast<uint64_t>(plan_.step),
        static_cast<uint64_t>(plan_.rest));
    return w.count ? std::optional<ZeroWrite>(w.list[0]) : std::nullopt;
}

}  // namespace kelvo
