#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kelvo::raster {

// The system's PNG decoder allocates the length a chunk claims before it finds the file too
// short for it, so a few bytes can ask it for up to 2 GiB. These walk a file's chunk lengths
// first and say why the decoder must not see it, or give an empty string.

// For a PNG file; bytes that are no PNG give an empty string.
std::string pngChunkFault(std::span<const uint8_t> file);
// For every PNG picture inside an icon or cursor file; other bytes give an empty string.
std::string iconPngFault(std::span<const uint8_t> file);

}  // namespace kelvo::raster
