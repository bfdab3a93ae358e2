#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/FileSystem.h"

// The files the display components and the raster layer open by name: pictures, data files,
// sprites. Names are UTF-8 on every system. Windows takes them through its wide-character calls:
// the narrow C++ streams and std::filesystem there convert a name through the C run time's
// locale, which mangles a Japanese name or, under a Japanese code page, throws. A library of its
// own (kelvo_platform_files), free of the toolkit, so that the plain-C++ raster layer can reach
// its files without the rest of the platform. Calls never throw.

namespace kelvo {

// Reads a whole regular file of at most `limit` bytes, following links. A pipe or a device reads
// as Failed without waiting for a writer; memory running out reads as Failed too.
FileRead readWholeFile(const std::string& path, size_t limit) noexcept;

// Creates the file or replaces its content with `bytes`. False when the path names something
// that is not a regular file (which is left as it was) or not every byte reached the file.
bool writeWholeFile(const std::string& path, std::span<const uint8_t> bytes) noexcept;

// What a path names, links followed: nothing that can be examined, a regular file, or something
// else (a folder, pipe or device). Only for telling a reader why it failed.
enum class PathKind { Missing, Regular, Other };
PathKind pathKind(const std::string& path) noexcept;

}  // namespace kelvo
