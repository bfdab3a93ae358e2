#pragma once

#include <cstdint>

namespace kelvo::raster {

// The answer of every bitmap operation that may be asked for a size it cannot give. A bitmap
// that refuses keeps what it had, so a caller that checks this never works on a size it did
// not get; [[nodiscard]] makes the compiler insist on the check.
class [[nodiscard]] SizeResult {
  public:
    enum Code : uint8_t { Ok, NegativeSide, SideTooLarge, TooManyBytes, OutOfMemory };

    constexpr SizeResult(Code code = Ok) : code_(code) {}
    explicit constexpr operator bool() const { return code_ == Ok; }
    constexpr Code code() const { return code_; }
    constexpr bool operator==(const SizeResult&) const = default;

    // A short English reason, "" for Ok.
    const char* reason() const {
        switch (code_) {
            case Ok:
                return "";
            case NegativeSide:
                return "negative width or height";
            case SideTooLarge:
                return "width or height above 32768";
            case TooManyBytes:
                return "picture larger than 1 GiB";
            case OutOfMemory:
                return "out of memory for the picture";
        }
        return "";
    }

  private:
    Code code_;
};

}  // namespace kelvo::raster
