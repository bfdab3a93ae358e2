#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvo::raster {

// Applies one raster operation (truth-table index r) to rows of bytes: destination d, with
// source s and pattern p laid out byte for byte like d. s and p may be null when r ignores
// them. The code for r and the active instruction set is chosen once, at construction, so a
// blit pays for the choice once and not per row.
class RowKernel {
  public:
    using Fn = void (*)(uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n,
                        const uint8_t* masks);

    explicit RowKernel(uint8_t r);
    void operator()(uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n) const;
    // True when the result is the source alone, so converted pixels may go straight to d.
    bool copiesSource() const { return r_ == 0xCC; }

  private:
    uint8_t r_;
    Fn fn_ = nullptr;
    // For each (pattern, source) pair: the result byte where d is 0, and what d's bits flip.
    uint8_t masks_[8] = {};
};

// One row with a kernel made for it.
void rowOp(uint8_t r, uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n);

// The same one byte at a time from the truth table: the reference of the kernels.
void rowOpPlain(uint8_t r, uint8_t* d, const uint8_t* s, const uint8_t* p, size_t n);

}  // namespace kelvo::raster
