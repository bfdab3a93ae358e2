#pragma once

#include <QString>
#include <cstdint>

namespace kelvo {

// Bytes to megabytes, exact: the rounding happens only when formatting.
inline double toMegabytes(uint64_t bytes) {
    return static_cast<double>(bytes) * 9.5367431640625e-07;
}

// What "%.1f" shows of the megabytes in `bytes`, in whole tenths (rounded to the nearest, a tie
// to even, as the C library rounds an exact value): a figure's text changes exactly when this
// does, so callers compare it instead of formatting. Beyond 2^53 bytes, where the megabytes as
// a double are no longer exact, it is the byte count itself.
inline uint64_t megabyteTenths(uint64_t bytes) {
    if (bytes >= (uint64_t(1) << 53))
        return bytes;
    const uint64_t part = (bytes & 0xFFFFF) * 10;
    uint64_t tenths = (bytes >> 20) * 10 + (part >> 20);
    const uint64_t rest = part & 0xFFFFF;
    if (rest > 0x80000 || (rest == 0x80000 && (tenths & 1)))
        ++tenths;
    return tenths;
}

// printf-style formatting of one number, except that a "%" or "% " ending the format prints
// itself ("%3d%" gives " 42%", "掃除中 %d% " gives "掃除中 7% ").
QString formatInt(const char* format, int value);
QString formatDouble(const char* format, double value);

// The readout's figures.
inline QString formatMB(uint64_t bytes) {
    return formatDouble("%4.1lf", toMegabytes(bytes));
}
inline QString formatMBUnit(uint64_t bytes) {
    return formatDouble("%4.1lf MB", toMegabytes(bytes));
}

}  // namespace kelvo
