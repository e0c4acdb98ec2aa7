#pragma once
// The .ces settings file: the 192-byte ExportSettings record, field by field.
// Files of the older 88-byte layout (offsets 0 to 87) are still read.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "exporter/ExportSettings.h"

namespace kx {

inline constexpr size_t kSettingsFileSize = 192;
inline constexpr size_t kOldSettingsFileSize = 88;

std::vector<uint8_t> EncodeSettingsFile(const ExportSettings& settings);

struct SettingsFileContent {
    // The fields as stored: the file's first 192 bytes over a zeroed record.
    ExportSettings settings;
    // 88 bytes or fewer: no model type, field of view or float scale.
    bool oldLayout = false;
};

// Reads any byte string; missing bytes read as zero, bytes past 192 are ignored.
SettingsFileContent DecodeSettingsFile(std::span<const uint8_t> bytes);

}  // namespace kx
