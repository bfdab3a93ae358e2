#pragma once

#include <QString>
#include <cstdint>

namespace kelvo {

// Bytes to megabytes, exact: the rounding happens only when formatting.
inline double toMegabytes(uint64_t bytes) {
    return static_cast<double>(bytes) * 9.5367431640625e-07;
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
