#include "raster/codec/PngChunks.h"

#include <algorithm>
#include <cstring>

namespace kelvo::raster {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint32_t kMaxChunkLength = 0x7FFFFFFF;

uint32_t be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool isPng(std::span<const uint8_t> bytes) {
    return bytes.size() >= sizeof kSignature &&
           std::memcmp(bytes.data(), kSignature, sizeof kSignature) == 0;
}

}  // namespace

std::string pngChunkFault(std::span<const uint8_t> file) {
    if (!isPng(file))
        return {};
    // Each chunk: length, type, data, CRC. What follows the last whole header is the decoder's
    // to judge; it allocates nothing for it.
    for (size_t at = sizeof kSignature; file.size() - at >= 8;) {
        const uint32_t length = be32(file.data() + at);
        if (length > kMaxChunkLength)
            return "PNG chunk longer than the format allows";
        if (uint64_t(length) + 12 > file.size() - at)
            return "PNG chunk runs past the end of the file";
        if (std::memcmp(file.data() + at + 4, "IEND", 4) == 0)
            break;
        at += size_t(length) + 12;
    }
    return {};
}

std::string iconPngFault(std::span<const uint8_t> file) {
    // Header: reserved 0, type 1 (icon) or 2 (cursor), count; then 16 bytes an entry, whose
    // last eight are the picture's size and offset.
    if (file.size() < 6 || file[0] != 0 || file[1] != 0 || (file[2] != 1 && file[2] != 2) ||
        file[3] != 0)
        return {};
    const size_t count = size_t(file[4]) | size_t(file[5]) << 8;
    for (size_t i = 0; i < count && 6 + 16 * (i + 1) <= file.size(); ++i) {
        const uint8_t* entry = file.data() + 6 + 16 * i;
        const uint64_t size = le32(entry + 8), offset = le32(entry + 12);
        if (offset >= file.size())
            continue;
        const size_t length = size_t(std::min<uint64_t>(size, file.size() - offset));
        if (std::string fault = pngChunkFault(file.subspan(size_t(offset), length)); !fault.empty())
            return fault;
    }
    return {};
}

}  // namespace kelvo::raster
