#include "app/CleanEngine.h"

#include <memory>
#include <optional>
#include <vector>

#include "app/CleanPlan.h"
#include "app/CleanSafety.h"
#include "platform/Platform.h"

namespace kelvo {
namespace {

// While the blocks are held the kernel, should it ever have to kill, picks this process.
class OomKillerFirstChoice {
  public:
    explicit OomKillerFirstChoice(Platform& platform)
        : platform_(platform), old_(platform.oomScoreAdj()) {
        if (old_)
            platform_.setOomScoreAdj(kFirstChoice);
    }
    ~OomKillerFirstChoice() {
        if (old_)
            platform_.setOomScoreAdj(*old_);
    }
    OomKillerFirstChoice(const OomKillerFirstChoice&) = delete;
    OomKillerFirstChoice& operator=(const OomKillerFirstChoice&) = delete;

  private:
    static constexpr int kFirstChoice = 1000;
    Platform& platform_;
    std::optional<int> old_;
};

uint64_t totalOf(const CleanPlan& plan) {
    uint64_t total = 0;
    for (uint64_t b : plan.blocks)
        total += b;
    return total;
}

}  // namespace

CleanOutcome runClean(Platform& platform, int64_t size, const CleanHooks& hooks) {
    // A size of 0 or below asks for no memory at all, which the system does not hand out.
    if (size <= 0) {
        hooks.outOfMemory();
        return CleanOutcome::OutOfMemory;
    }
    const CleanPlan plan = planClean(size, platform.IsWinNT());
    std::unique_ptr<MemoryProbe> probe = platform.openMemoryProbe();
    MemorySafetySample previous = probe->sample();
    // On Linux an allocation succeeds whatever memory there is; only the writes find out.
    if (totalOf(plan) > safety::holdableBytes(previous)) {
        hooks.outOfMemory();
        return CleanOutcome::OutOfMemory;
    }

    std::optional<OomKillerFirstChoice> oomGuard(std::in_place, platform);
    std::vector<std::unique_ptr<MemoryBlock>> blocks;
    for (uint64_t blockSize : plan.blocks)
        blocks.push_back(platform.allocateBlock(blockSize));
    for (const auto& b : blocks) {
        // Any block missing: the clean cannot be what was asked, so none is made.
        if (!b) {
            blocks.clear();
            oomGuard.reset();
            hooks.outOfMemory();
            return CleanOutcome::OutOfMemory;
        }
    }

    StepWrites writes(plan);
    CleanOutcome outcome = CleanOutcome::Finished;
    int i = 0;
    while (i < kCleanPasses) {
        hooks.showProgress(i + 1);
        platform.Sleep(10);
        if (hooks.pauseWanted()) {
            hooks.processMessages();
            if (hooks.stopRequested()) {
                outcome = CleanOutcome::Stopped;
                break;
            }
            continue;
        }
        const MemorySafetySample now = probe->sample();
        if (safety::mustStopBeforePass(previous, now)) {
            outcome = CleanOutcome::SafetyStop;
            break;
        }
        previous = now;
        const StepWrites::Writes pass = writes.forPass(i);
        for (int w = 0; w < pass.count; ++w) {
            const ZeroWrite& z = pass.list[static_cast<size_t>(w)];
            blocks[static_cast<size_t>(z.block)]->zero(z.offset, z.length);
        }
        hooks.processMessages();
        if (hooks.stopRequested()) {
            outcome = CleanOutcome::Stopped;
            break;
        }
        ++i;
    }
    hooks.processMessages();
    platform.Sleep(100);
    if (const std::optional<ZeroWrite> rest = writes.rest(i))
        blocks[0]->zero(rest->offset, rest->length);
    blocks.clear();
    oomGuard.reset();
    return outcome;
}

}  // namespace kelvo
