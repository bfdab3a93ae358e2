#include <gtest/gtest.h>

#include <vector>

#include "app/clean/AutoCleanTrigger.h"

namespace kelvo {
namespace {

constexpr uint64_t MiB = 1048576;

// One main tick as the trigger sees it.
struct Tick {
    uint32_t load = 0;
    uint64_t freeBytes = 3072 * MiB;
    int cpu = 0;
    bool modal = false;
    bool cleaning = false;
    bool off = false;
};

// What a clean leaves: free memory over the 500 MB threshold, under it, or as it was (refused).
enum After { Helped, LeftLow, Refused };

// The window around the trigger: a clean leaves a load of 25 and reports it; one running further
// up returns at once.
struct Window {
    AutoCleanOptions options;
    After after;
    AutoCleanTrigger trigger{};
    MEMORYSTATUS memory{};
    Tick now{};
    int tick = 0;
    std::vector<int> cleanedAt{};

    void run(const std::vector<Tick>& ticks) {
        AutoCleanHooks hooks;
        hooks.options = [this] {
            AutoCleanOptions o = options;
            o.on = !now.off;
            return o;
        };
        hooks.memory = [this] { return memory; };
        hooks.cpuPercent = [this] { return now.cpu; };
        hooks.modalOpen = [this] { return now.modal; };
        hooks.cleaning = [this] { return now.cleaning; };
        hooks.clean = [this]() -> std::optional<CleanResult> {
            if (now.cleaning)
                return std::nullopt;
            cleanedAt.push_back(tick);
            memory.dwMemoryLoad = 25;
            if (after != Refused)
                memory.dwAvailPhys = after == Helped ? 900 * MiB : 450 * MiB;
            trigger.cleaned(25);
            CleanResult result;
            result.outcome = after == Refused ? CleanOutcome::OutOfMemory : CleanOutcome::Finished;
            return result;
        };
        for (const Tick& t : ticks) {
            now = t;
            memory.dwMemoryLoad = t.load;
            memory.dwAvailPhys = t.freeBytes;
            trigger.step(hooks);
            ++tick;
        }
    }
};

constexpr AutoCleanOptions kLow{.onLowMemory = true, .lowMemoryMB = 500};
constexpr AutoCleanOptions kLow2{.onLowMemory = true, .lowMemoryMB = 2};
constexpr AutoCleanOptions kNot100{.onLowMemory = true, .lowMemoryMB = 500, .notAtFullLoad = true};
constexpr AutoCleanOptions kPausing{
    .onLowMemory = true, .lowMemoryMB = 500, .pauseAtFullCpu = true};
constexpr AutoCleanOptions kDrop{.onLoadDrop = true, .loadDropPoints = 3};
constexpr AutoCleanOptions kBoth{
    .onLowMemory = true, .lowMemoryMB = 500, .onLoadDrop = true, .loadDropPoints = 1};
constexpr uint64_t kShort = 300 * MiB;  // under the 500 MB threshold
constexpr uint64_t kRoomy = 600 * MiB;

TEST(AutoCleanTrigger, WhenItCleansWhatThePeakIsAndWhenTheFreeMemoryTriggerRearms) {
    // Ticks: load, free bytes, processor, menu or dialog open, a clean running, switched off.
    const Tick low{90, kShort}, roomy{90, kRoomy};
    const struct {
        const char* what;
        AutoCleanOptions options;
        std::vector<Tick> ticks;
        std::vector<int> cleanedAt;
        int peak = 25;
        bool armed = true;
        After after = Helped;
    } cases[] = {
        {"no trigger on: the peak is tracked", {}, {{70, 1}, {50, 1}}, {}, 70},
        {"the threshold unrounded", kLow2, {{40, 2 * MiB}, {40, 2 * MiB - 1}}, {1}},
        {"peak 70, three points: 67 starts", kDrop, {{70}, {69}, {68}, {67}}, {3}},
        {"full load with not-at-100", kNot100, {{100, kShort}, {99, kShort}}, {1}},
        {"full load without it", kLow, {{100, kShort}}, {0}},
        {"a busy processor with the pause", kPausing, {{60, kShort, 100}, {60, kShort, 99}}, {1}},
        {"a busy processor without it", kLow, {{60, kShort, 100}}, {0}},
        {"a menu or dialog open: no peak", kDrop, {{90, kRoomy, 0, true}, {60}}, {}, 60},
        {"a clean running: no peak", kDrop, {{90, kRoomy, 0, false, true}, {60}}, {}, 60},
        {"off at 90, on at 60", kDrop, {{90}, {60, kRoomy, 0, false, false, true}, {60}}, {2}},
        {"the second trigger sees the first one's clean", kBoth, {{80}, {50, kShort}}, {1}},
        {"a clean that helped", kLow, {low, low}, {0, 1}},
        {"left it low, until above once", kLow, {low, low, roomy, low}, {0, 3}, 25, false, LeftLow},
        {"a refused one", kLow, {low, low}, {0}, 90, false, Refused},
        {"load drop left it low", kBoth, {{95, kRoomy}, roomy, low}, {1}, 90, false, LeftLow},
        {"not started, the processor busy", kPausing, {{90, kShort, 100}}, {}, 90},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Window w{c.options, c.after};
        w.run(c.ticks);
        EXPECT_EQ(w.cleanedAt, c.cleanedAt);
        EXPECT_EQ(w.trigger.peak(), c.peak);
        EXPECT_EQ(w.trigger.lowMemoryArmed(), c.armed);
    }
}

}  // namespace
}  // namespace kelvo
