#include "raster/kernels/InstructionSet.h"

#include <algorithm>
#include <atomic>

namespace kelvo::raster {
namespace {

InstructionSet detect() {
#if defined(__x86_64__) || defined(__i386__)
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vbmi"))
        return InstructionSet::Avx512Vbmi;
    if (__builtin_cpu_supports("avx2"))
        return InstructionSet::Avx2;
#endif
#if defined(__SSE2__)
    return InstructionSet::Sse2;
#else
    return InstructionSet::Portable;
#endif
}

std::atomic<InstructionSet>& active() {
    static std::atomic<InstructionSet> set{detectedInstructionSet()};
    return set;
}

}  // namespace

InstructionSet detectedInstructionSet() {
    static const InstructionSet best = detect();
    return best;
}

InstructionSet activeInstructionSet() {
    return active().load(std::memory_order_relaxed);
}

std::vector<InstructionSet> availableInstructionSets() {
    std::vector<InstructionSet> sets;
    for (auto s : {InstructionSet::Portable, InstructionSet::Sse2, InstructionSet::Avx2,
                   InstructionSet::Avx512Vbmi})
        if (s <= detectedInstructionSet())
            sets.push_back(s);
    return sets;
}

const char* instructionSetName(InstructionSet set) {
    switch (set) {
        case InstructionSet::Portable:
            return "portable";
        case InstructionSet::Sse2:
            return "SSE2";
        case InstructionSet::Avx2:
            return "AVX2";
        case InstructionSet::Avx512Vbmi:
            return "AVX512VBMI";  // also a test name: letters and digits only
    }
    return "?";
}

void forceInstructionSet(InstructionSet set) {
    active().store(std::min(set, detectedInstructionSet()), std::memory_order_relaxed);
}

void clearForcedInstructionSet() {
    active().store(detectedInstructionSet(), std::memory_order_relaxed);
}

ScopedInstructionSet::ScopedInstructionSet(InstructionSet set) : before_(activeInstructionSet()) {
    forceInstructionSet(set);
}

ScopedInstructionSet::~ScopedInstructionSet() {
    active().store(before_, std::memory_order_relaxed);
}

}  // namespace kelvo::raster
