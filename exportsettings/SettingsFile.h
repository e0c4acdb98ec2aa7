#pragma once
// The .ces file: the ExportSettings record, little-endian, 192 bytes; the
// older 88-byte layout (offsets 0 to 87) is still read.
//
// Readers see the file as 37 32-bit words over a zeroed block, the layout's
// fields in word order; the rest of a 192-byte file is reserved. The words
// are the common ground: the model exporter takes them as a typed record,
// the collision exporter by word index with its own order of precedence.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/Result.h"
#include "exportsettings/SettingsRecord.h"
#include "host/FileService.h"

namespace kx {

inline constexpr size_t kSettingsFileSize = 192;
inline constexpr size_t kOldSettingsFileSize = 88;
inline constexpr size_t kSettingsWordCount = 37;

using SettingsWords = std::array<uint32_t, kSettingsWordCount>;

// Word indices. Floats are stored by their bits; the model type is the low
// 16 bits of its word, the high 16 bits are reserved.
namespace settings_word {
inline constexpr size_t kIntegerScale = 0;
inline constexpr size_t kOrientation = 1;
inline constexpr size_t kLevelOfDetail = 2;
inline constexpr size_t kGroupCount = 3;
inline constexpr size_t kQuantity0 = 4;  // to 21
inline constexpr size_t kModelType = 22;
inline constexpr size_t kFovX = 23;
inline constexpr size_t kFovY = 24;
inline constexpr size_t kZNear = 25;
inline constexpr size_t kZFar = 26;
inline constexpr size_t kFloatScale = 27;
}  // namespace settings_word

// A file of this many bytes has the old layout: no model type, field of
// view or float scale.
inline bool IsOldSettingsLayout(size_t fileSize) {
    return fileSize <= kOldSettingsFileSize;
}

// The first bytes of `bytes` (at most the 37 words' 148) over zeroed words;
// any byte string is accepted, missing bytes read as zero.
SettingsWords DecodeSettingsWords(std::span<const uint8_t> bytes);

ExportSettings SettingsFromWords(const SettingsWords& words);
SettingsWords SettingsToWords(const ExportSettings& settings);

// The whole 192-byte file.
std::vector<uint8_t> EncodeSettingsFile(const ExportSettings& settings);

struct SettingsFileContent {
    // The fields as stored, missing ones zero.
    ExportSettings settings;
    // The same as words, for a reader with its own order of precedence.
    SettingsWords words{};
    bool oldLayout = false;
};

SettingsFileContent DecodeSettingsFile(std::span<const uint8_t> bytes);

// A .ces file as both exporters load it, through `files`: only its first
// bytes are read (the rest is reserved), so a huge file costs nothing. A
// failure's reason is what the person is told, under SettingsFileCaption.
Result<SettingsFileContent> ReadSettingsFile(FileService& files, const std::string& path);

// What reading or writing a .ces file at `path` that gave `outcome` means:
// a path that is not a regular file is refused (Fault::Refused), any other
// failure leaves the file unreadable (Fault::Unreadable).
Status SettingsFileStatus(FileService& files, FileOutcome outcome, const std::string& path);
// The caption of such a failure's message.
const char* SettingsFileCaption(const Status& failure);

}  // namespace kx
