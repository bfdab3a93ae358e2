#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "raster/kernels/InstructionSet.h"

namespace kelvo::testsupport {

// A test suite run once per instruction set this machine can take, each forced for the test.
class EveryInstructionSet : public ::testing::TestWithParam<raster::InstructionSet> {
  protected:
    void SetUp() override { raster::forceInstructionSet(GetParam()); }
    void TearDown() override { raster::clearForcedInstructionSet(); }
};

inline std::string instructionSetTestName(
    const ::testing::TestParamInfo<raster::InstructionSet>& info) {
    return raster::instructionSetName(info.param);
}

// Seeded random bytes.
inline std::vector<uint8_t> noiseBytes(std::mt19937_64& rng, size_t n) {
    std::vector<uint8_t> v(n);
    for (auto& b : v)
        b = uint8_t(rng());
    return v;
}

}  // namespace kelvo::testsupport

// Instantiates `suite` (derived from EveryInstructionSet) for every available instruction set.
#define KELVO_ON_EVERY_INSTRUCTION_SET(suite)                                         \
    INSTANTIATE_TEST_SUITE_P(EverySet, suite,                                         \
                             ::testing::ValuesIn(raster::availableInstructionSets()), \
                             ::kelvo::testsupport::instructionSetTestName)
