#include "exportsettings/SettingsFile.h"

#include <algorithm>
#include <bit>

#include "container/ByteReader.h"
#include "container/ByteWriter.h"
#include "host/FileService.h"

namespace kx {

namespace w = settings_word;

SettingsWords DecodeSettingsWords(std::span<const uint8_t> bytes) {
    // A short file still fills whole words: its bytes go over a zeroed block
    // first, so a file cut inside a word keeps that word's leading bytes.
    std::array<uint8_t, kSettingsWordCount * 4> block{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), block.size()), block.begin());
    ByteReader r(block);
    SettingsWords words{};
    for (uint32_t& word : words) {
        r.U32(word);
    }
    return words;
}

ExportSettings SettingsFromWords(const SettingsWords& words) {
    auto i32 = [&](size_t at) { return static_cast<int32_t>(words[at]); };
    auto f32 = [&](size_t at) { return std::bit_cast<float>(words[at]); };
    ExportSettings s;
    s.integerScale = i32(w::kIntegerScale);
    s.orientation = i32(w::kOrientation);
    s.levelOfDetail = i32(w::kLevelOfDetail);
    s.groupCount = i32(w::kGroupCount);
    for (size_t g = 0; g < s.quantities.size(); ++g) {
        s.quantities[g] = i32(w::kQuantity0 + g);
    }
    s.modelType = static_cast<uint16_t>(words[w::kModelType] & 0xFFFF);
    s.fovX = f32(w::kFovX);
    s.fovY = f32(w::kFovY);
    s.zNear = f32(w::kZNear);
    s.zFar = f32(w::kZFar);
    s.floatScale = f32(w::kFloatScale);
    return s;
}

SettingsWords SettingsToWords(const ExportSettings& s) {
    SettingsWords words{};
    words[w::kIntegerScale] = static_cast<uint32_t>(s.integerScale);
    words[w::kOrientation] = static_cast<uint32_t>(s.orientation);
    words[w::kLevelOfDetail] = static_cast<uint32_t>(s.levelOfDetail);
    words[w::kGroupCount] = static_cast<uint32_t>(s.groupCount);
    for (size_t g = 0; g < s.quantities.size(); ++g) {
        words[w::kQuantity0 + g] = static_cast<uint32_t>(s.quantities[g]);
    }
    words[w::kModelType] = s.modelType;
    words[w::kFovX] = std::bit_cast<uint32_t>(s.fovX);
    words[w::kFovY] = std::bit_cast<uint32_t>(s.fovY);
    words[w::kZNear] = std::bit_cast<uint32_t>(s.zNear);
    words[w::kZFar] = std::bit_cast<uint32_t>(s.zFar);
    words[w::kFloatScale] = std::bit_cast<uint32_t>(s.floatScale);
    return words;
}

std::vector<uint8_t> EncodeSettingsFile(const ExportSettings& settings) {
    ByteWriter out;
    for (uint32_t word : SettingsToWords(settings)) {
        out.U32(word);
    }
    out.Zeros(kSettingsFileSize - out.Size());
    return out.Take();
}

SettingsFileContent DecodeSettingsFile(std::span<const uint8_t> bytes) {
    const SettingsWords words = DecodeSettingsWords(bytes);
    return {SettingsFromWords(words), words, IsOldSettingsLayout(bytes.size())};
}

Result<SettingsFileContent> ReadSettingsFile(FileService& files, const std::string& path) {
    // The words are all a reader takes; one byte past the old layout is
    // enough to tell the two apart.
    std::vector<uint8_t> bytes;
    const Status read =
        SettingsFileStatus(files, files.Read(path, bytes, kSettingsWordCount * 4), path);
    if (!read) {
        return read;
    }
    return DecodeSettingsFile(bytes);
}

Status SettingsFileStatus(FileService& files, FileOutcome outcome, const std::string& path) {
    switch (outcome) {
        case FileOutcome::Done:
            return Status::Success();
        case FileOutcome::NotRegularFile:
            return Status::Failure(Fault::Refused, files.NotRegularFileMessage(path));
        default:
            return Status::Failure(Fault::Unreadable, "Settings file could not be opened");
    }
}

const char* SettingsFileCaption(const Status& failure) {
    return failure.GetFault() == Fault::Refused ? kFileErrorCaption : "File Open Error";
}

}  // namespace kx
