#include "app/clean/CleanEngine.h"

#include <memory>
#include <optional>
#include <vector>

#include "app/clean/CleanPlan.h"
#include "app/clean/CleanSafety.h"
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

// The memory of one clean while it is held, and the watch over it.
class HeldMemory {
  public:
    HeldMemory(Platform& platform, MemoryProbe& probe, const MemorySafetySample& first)
        : platform_(platform), probe_(probe), windowStart_(first) {}

    // False when a block could not be had; then nothing is held.
    bool take(const CleanPlan& plan) {
        oomGuard_.emplace(platform_);
        for (uint64_t blockSize : plan.blocks)
            blocks_.push_back(platform_.allocateBlock(blockSize));
        for (const auto& b : blocks_)
            if (!b) {
                release();
                return false;
            }
        return true;
    }

    // Samples the figures and gives the memory back when the stop rule says so. True when the
    // memory is no longer held.
    bool releaseIfShort() {
        if (blocks_.empty())
            return true;
        const MemorySafetySample now = probe_.sample();
        if (safety::mustStopBeforePass(windowStart_, now)) {
            release();
            return true;
        }
        if (safety::stallWindowOver(windowStart_, now))
            windowStart_ = now;
        return false;
    }

    bool held() const { return !blocks_.empty(); }
    MemoryBlock& block(int i) { return *blocks_[static_cast<size_t>(i)]; }

    void release() {
        blocks_.clear();
        oomGuard_.reset();
    }

  private:
    Platform& platform_;
    MemoryProbe& probe_;
    MemorySafetySample windowStart_;
    std::optional<OomKillerFirstChoice> oomGuard_;
    std::vector<std::unique_ptr<MemoryBlock>> blocks_;
};

// The passes, each writing its share unless the processor pause holds it; `i` ends at the first
// pass not written.
CleanOutcome runPasses(Platform& platform, const CleanHooks& hooks, HeldMemory& memory,
                       StepWrites& writes, int& i, int& lastPass) {
    bool wasPaused = false;
    while (i < kCleanPasses) {
        hooks.showProgress(i + 1);
        lastPass = i + 1;
        platform.Sleep(10);
        if (memory.releaseIfShort())
            return CleanOutcome::SafetyStop;
        const bool paused = hooks.pauseWanted();
        if (paused != wasPaused && hooks.pauseChanged)
            hooks.pauseChanged(paused);
        wasPaused = paused;
        if (!paused) {
            const StepWrites::Writes pass = writes.forPass(i);
            for (int w = 0; w < pass.count; ++w) {
                const ZeroWrite& z = pass.list[static_cast<size_t>(w)];
                memory.block(z.block).zero(z.offset, z.length);
            }
        }
        hooks.processMessages();
        // The watch may have given the memory back while a nested loop ran in there.
        if (!memory.held())
            return CleanOutcome::SafetyStop;
        if (hooks.stopRequested())
            return CleanOutcome::Stopped;
        if (!paused)
            ++i;
    }
    return CleanOutcome::Finished;
}

}  // namespace

CleanResult runClean(Platform& platform, int64_t size, const CleanHooks& hooks, int64_t fitDownTo) {
    CleanResult result;
    result.size = size;
    // Sampled first, so that a refusal reports the machine's figures too.
    std::unique_ptr<MemoryProbe> probe = platform.openMemoryProbe();
    const MemorySafetySample first = probe->sample();
    result.before = result.after = first.meminfo;
    result.holdable = safety::holdableBytes(first);
    result.groupRoomBefore = result.groupRoomAfter = first.cgroupHeadroom;
    // A size of 0 or below asks for no memory at all, which the system does not hand out.
    if (size <= 0) {
        hooks.outOfMemory();
        return result;
    }
    const uint64_t holdable = result.holdable;
    if (fitDownTo > 0 && static_cast<uint64_t>(size) > holdable &&
        holdable >= static_cast<uint64_t>(fitDownTo))
        size = static_cast<int64_t>(holdable);
    result.size = size;
    result.groupLimited =
        first.cgroupHeadroom && *first.cgroupHeadroom < static_cast<uint64_t>(size);
    const CleanPlan plan = planClean(size, platform.IsWinNT());
    // On Linux an allocation succeeds whatever memory there is; only the writes find out.
    if (totalOf(plan) > holdable) {
        hooks.outOfMemory();
        return result;
    }

    HeldMemory memory(platform, *probe, first);
    if (!memory.take(plan)) {
        hooks.outOfMemory();
        return result;
    }
    if (hooks.watchHeldMemory)
        hooks.watchHeldMemory([&memory] { memory.releaseIfShort(); });

    StepWrites writes(plan);
    int i = 0;
    const CleanOutcome outcome = runPasses(platform, hooks, memory, writes, i, result.lastPass);
    hooks.processMessages();
    platform.Sleep(100);
    if (memory.held())
        if (const std::optional<ZeroWrite> rest = writes.rest(i))
            memory.block(0).zero(rest->offset, rest->length);
    memory.release();
    if (hooks.watchHeldMemory)
        hooks.watchHeldMemory({});

    result.outcome = outcome;
    const MemorySafetySample last = probe->sample();
    result.after = last.meminfo;
    result.groupRoomAfter = last.cgroupHeadroom;
    result.elapsedNs = platform.monotonicNs() - first.takenNs;
    return result;
}

}  // namespace kelvo
