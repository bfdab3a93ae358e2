#pragma once

#include <cstdint>
#include <vector>

namespace kelvo::raster {

// The row conversions of the blits that decide their speed. `out` receives exactly the
// converted pixels and nothing past them.

// out gets table[idx[i]] for i < count as 3-byte pixels; the values' top byte is left out. A
// pixel at a time: the reference of PaletteRow24.
void paletteRow24(const uint8_t* idx, int count, const uint32_t* table, uint8_t* out);

// paletteRow24 for many rows of one table, from tables made once. With AVX-512 VBMI the table is
// split into three byte planes, and 64 pixels take six two-register byte permutes, three blends
// and six permutes that interleave the planes into 3-byte pixels. Otherwise two pixels take one
// 8-byte store: the first pixel's entry ORed with the second's, kept shifted up by three bytes
// (vector gathers were measured slower than this loop).
class PaletteRow24 {
  public:
    // The instruction set active now picks the path for the object's lifetime.
    explicit PaletteRow24(const uint32_t* table);
    void run(const uint8_t* idx, int count, uint8_t* out) const;

    // Both halves of a pair in one object, so that the loop reaches them from one register.
    struct PairTables {
        uint64_t second[256];  // entry << 24
        uint32_t first[256];   // entry, top byte cleared
    };

  private:
    bool planar_ = false;  // the AVX-512 VBMI path
    alignas(64) uint8_t planes_[3][256];
    alignas(64) PairTables pairs_;
};
// The same as 4-byte pixels.
void paletteRow32(const uint8_t* idx, int count, const uint32_t* table, uint8_t* out);

// Gathers 3-byte pixels by column, as a stretch does on every row. Made once per stretch from
// the column map; each row is then either shuffled 16 bytes at a time (with AVX2, where every
// 16 output bytes come from at most 16 neighbouring source bytes, as when enlarging by 1.5 or
// more) or gathered pixel by pixel.
class Gather24 {
  public:
    // map[0..count) are columns of a source row of srcWidth pixels.
    Gather24(const int* map, int count, int srcWidth);
    // `roomy`: one byte past the row's last pixel may be read (the pixel loop then takes 4
    // bytes at a time).
    void run(const uint8_t* src, uint8_t* out, bool roomy) const;
    bool shuffles() const { return !shuffle_.empty(); }

  private:
    void runPixels(const uint8_t* src, uint8_t* out, bool roomy) const;

    int count_;
    std::vector<uint32_t> offsets_;  // byte offset of each output pixel in the source row
    std::vector<uint8_t> shuffle_;   // per 16-byte output block: which window byte goes where
    std::vector<int> windows_;       // per block: where its 16-byte source window starts
};

}  // namespace kelvo::raster
