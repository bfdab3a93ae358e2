#pragma once

#include <cstdint>

namespace kelvo {

// A block of memory held for a clean. The system reserves it without committing it: each page
// becomes real memory only when `zero` first writes it. Destroying the block gives it back.
class MemoryBlock {
  public:
    virtual ~MemoryBlock() = default;
    virtual uint64_t size() const = 0;
    // Writes zeros over [offset, offset + length). The stores always happen (a compiler may not
    // drop them as dead), so every page written is committed. Bytes past the end of the block are
    // never written: a range reaching past it ends at the end.
    virtual void zero(uint64_t offset, uint64_t length) = 0;
};

// The part of [offset, offset + length) that lies inside a block of `size` bytes: 0 past its end.
inline uint64_t lengthWithin(uint64_t size, uint64_t offset, uint64_t length) {
    if (offset >= size)
        return 0;
    return length > size - offset ? size - offset : length;
}

}  // namespace kelvo
