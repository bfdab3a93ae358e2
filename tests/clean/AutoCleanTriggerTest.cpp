#include <gtest/gtest.h>

#include <vector>

#include "app/clean/AutoCleanTrigger.h"

namespace kelvo {
namespace {

constexpr uint64_t MiB = 1048576;

// One main tick as the trigger sees it.
struct Tick {
    uint32_t load;
    uint64_t freeBytes = 3072 * MiB;
    int cpu = 0;
    bool modal = false;
    bool cleaning = false;
    bool on = true;
};

// The window around the trigger, scripted: a clean leaves `after` as the sample and reports its
// load, and a clean running further up returns at once, as the window's do.
struct Window {
    explicit Window(const AutoCleanOptions& o) : options(o) {
        hooks.options = [this] { return options; };
        hooks.memory = [this] { return memory; };
        hooks.cpuPercent = [this] { return cpu; };
        hooks.modalOpen = [this] { return modal; };
        hooks.cleaning = [this] { return cleaning; };
        hooks.clean = [this]() -> std::optional<CleanResult> {
            if (cleaning)
                return std::nullopt;
            cleanedAt.push_back(tick);
            memory = after;
            trigger.cleaned(static_cast<int>(after.dwMemoryLoad));
            CleanResult result;
            result.outcome = outcome;
            return result;
        };
        after.dwMemoryLoad = 25;
        after.dwAvailPhys = 3072 * MiB;
    }
    void run(const std::vector<Tick>& ticks) {
        for (const Tick& t : ticks) {
            memory.dwMemoryLoad = t.load;
            memory.dwAvailPhys = t.freeBytes;
            cpu = t.cpu;
            modal = t.modal;
            cleaning = t.cleaning;
            options.on = t.on;
            trigger.step(hooks);
            ++tick;
        }
    }

    AutoCleanTrigger trigger;
    AutoCleanHooks hooks;
    AutoCleanOptions options;
    MEMORYSTATUS memory, after;
    CleanOutcome outcome = CleanOutcome::Finished;
    int cpu = 0, tick = 0;
    bool modal = false, cleaning = false;
    std::vector<int> cleanedAt;
};

AutoCleanOptions lowMemory(int thresholdMB) {
    AutoCleanOptions o;
    o.on = o.onLowMemory = true;
    o.lowMemoryMB = thresholdMB;
    return o;
}
AutoCleanOptions loadDrop(int points, AutoCleanOptions o = {}) {
    o.on = o.onLoadDrop = true;
    o.loadDropPoints = points;
    return o;
}
AutoCleanOptions with(AutoCleanOptions o, bool notAtFullLoad, bool pauseAtFullCpu) {
    o.notAtFullLoad = notAtFullLoad;
    o.pauseAtFullCpu = pauseAtFullCpu;
    return o;
}

TEST(AutoCleanTrigger, WhenACleanStartsAndWhatThePeakIs) {
    AutoCleanOptions none;
    none.on = true;
    const struct {
        const char* what;
        AutoCleanOptions options;
        std::vector<Tick> ticks;
        std::vector<int> cleanedAt;
        int peak;
    } cases[] = {
        {"no trigger on: the peak is tracked", none, {{70, 1}, {50, 1}}, {}, 70},
        {"the threshold compared unrounded",
         lowMemory(2),
         {{40, 2 * MiB}, {40, 2 * MiB - 1}},
         {1},
         25},
        {"peak 70, three points: 67 starts", loadDrop(3), {{70}, {69}, {68}, {67}}, {3}, 25},
        {"full load with not-at-100",
         with(lowMemory(100), true, false),
         {{100, 1}, {99, 1}},
         {1},
         25},
        {"full load without it", lowMemory(100), {{100, 1}}, {0}, 25},
        {"a fully busy processor with the pause",
         with(lowMemory(100), false, true),
         {{60, 1, 100}, {60, 1, 99}},
         {1},
         25},
        {"a busy processor without the pause", lowMemory(100), {{60, 1, 100}}, {0}, 25},
        {"the menu or dialog open: the peak stands too",
         loadDrop(3),
         {{90, MiB, 0, true}, {60}},
         {},
         60},
        {"a clean running: the peak stands too",
         loadDrop(3),
         {{90, MiB, 0, false, true}, {60}},
         {},
         60},
        {"switched off at 90, on at 60: the old peak counts",
         loadDrop(3),
         {{90}, {60, MiB, 0, false, false, false}, {60}},
         {2},
         25},
        {"the second trigger sees the sample after the first one's clean",
         loadDrop(1, lowMemory(100)),
         {{80}, {50, 50 * MiB}},
         {1},
         25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Window w(c.options);
        w.run(c.ticks);
        EXPECT_EQ(w.cleanedAt, c.cleanedAt);
        EXPECT_EQ(w.trigger.peak(), c.peak);
    }
}

// After an automatic clean that did not lift free memory over the threshold the free-memory
// trigger waits until free memory has been at or above it once.
TEST(AutoCleanTrigger, TheFreeMemoryTriggerRearmsOnlyAboveTheThreshold) {
    const struct {
        const char* what;
        AutoCleanOptions options;
        CleanOutcome outcome;
        uint64_t freeAfter;
        std::vector<Tick> ticks;
        std::vector<int> cleanedAt;
        bool armed;
    } cases[] = {
        {"a clean that helped",
         lowMemory(500),
         CleanOutcome::Finished,
         900 * MiB,
         {{90, 300 * MiB}, {90, 300 * MiB}},
         {0, 1},
         true},
        {"one that did not, until free memory was above once",
         lowMemory(500),
         CleanOutcome::Finished,
         450 * MiB,
         {{90, 300 * MiB}, {90, 300 * MiB}, {90, 600 * MiB}, {90, 450 * MiB}},
         {0, 3},
         false},
        {"a refused one",
         lowMemory(500),
         CleanOutcome::OutOfMemory,
         300 * MiB,
         {{90, 300 * MiB}, {90, 300 * MiB}},
         {0},
         false},
        {"a stopped one",
         lowMemory(500),
         CleanOutcome::Stopped,
         900 * MiB,
         {{90, 300 * MiB}, {90, 300 * MiB}},
         {0},
         false},
        {"a load-drop clean that left free memory low",
         loadDrop(1, lowMemory(500)),
         CleanOutcome::Finished,
         450 * MiB,
         {{95, 600 * MiB}, {90, 600 * MiB}, {90, 450 * MiB}},
         {1},
         false},
        {"no clean, the processor busy",
         with(lowMemory(500), false, true),
         CleanOutcome::OutOfMemory,
         300 * MiB,
         {{90, 300 * MiB, 100}},
         {},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Window w(c.options);
        w.outcome = c.outcome;
        w.after.dwAvailPhys = c.freeAfter;
        w.run(c.ticks);
        EXPECT_EQ(w.cleanedAt, c.cleanedAt);
        EXPECT_EQ(w.trigger.lowMemoryArmed(), c.armed);
    }
}

}  // namespace
}  // namespace kelvo
