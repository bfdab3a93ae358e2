#include "components/imageadv/DataFiles.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "components/imageadv/Scramble.h"

namespace kelvo {

void descrambleRows(raster::Bitmap& bmp, int key, int rowBytes, int rows) {
    if (key == 0)
        return;
    const size_t bytes = size_t(std::clamp(rowBytes, 0, bmp.stride()));
    const int n = std::clamp(rows, 0, bmp.height());
    for (int r = 0; r < n; ++r)
        descramble(bmp.row(r), bytes, uint32_t(key) + uint32_t(r));
}

std::string decodeTxtData(std::span<const uint8_t> file, int key) {
    if (file.empty())
        return {};
    std::vector<uint8_t> buf(file.begin(), file.end());
    descramble(buf.data(), buf.size(), uint32_t(key));
    const auto* end = static_cast<const uint8_t*>(std::memchr(buf.data(), 0, buf.size()));
    return std::string(reinterpret_cast<const char*>(buf.data()),
                       end ? size_t(end - buf.data()) : buf.size());
}

}  // namespace kelvo
