#pragma once

#include <cstdint>
#include <vector>

namespace kelvo::raster {

// The instruction sets the vector kernels are written for, lowest first; each includes the ones
// before it. Every kernel has a portable path; x86-64 always has SSE2; AVX2 is used where the
// processor has it, and AVX-512 with its byte permutes (VBMI) by the few kernels that gain from it.
enum class InstructionSet : uint8_t { Portable, Sse2, Avx2, Avx512Vbmi };

// The best set this build and processor can run.
InstructionSet detectedInstructionSet();
// The set the kernels take now: the detected one unless lowered by forceInstructionSet.
InstructionSet activeInstructionSet();
// Every set this build and processor can run, lowest first.
std::vector<InstructionSet> availableInstructionSets();
const char* instructionSetName(InstructionSet set);

// Makes every kernel take `set` (at most the detected one), so that tests and benchmarks can
// reach each path on one machine. Set it while no kernel runs on another thread.
void forceInstructionSet(InstructionSet set);
void clearForcedInstructionSet();

// Forces a set for a scope.
class ScopedInstructionSet {
  public:
    explicit ScopedInstructionSet(InstructionSet set);
    ~ScopedInstructionSet();
    ScopedInstructionSet(const ScopedInstructionSet&) = delete;
    ScopedInstructionSet& operator=(const ScopedInstructionSet&) = delete;

  private:
    InstructionSet before_;
};

}  // namespace kelvo::raster
