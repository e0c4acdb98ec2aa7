#pragma once
// Whole-file reads and writes shared by every reader and writer of files.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kx {

// Reads the whole file. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out);

// Writes the bytes to a temporary file beside `path` and renames it over
// `path`, so a failed write never leaves a half-written file in its place.
bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes);

// A path in the system's temporary folder (the working folder when there is
// none) that no file holds yet: "kx-", a random token, "-", then `name`, so
// the name's extension is kept and two processes never share a path.
std::string UniqueTempPath(std::string_view name);

}  // namespace kx
