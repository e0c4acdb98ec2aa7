#include "exporter/SettingsFile.h"

#include <algorithm>
#include <array>

#include "container/ByteReader.h"
#include "container/ByteWriter.h"

namespace kx {

std::vector<uint8_t> EncodeSettingsFile(const ExportSettings& s) {
    ByteWriter w;
    w.I32(s.integerScale);
    w.I32(s.orientation);
    w.I32(s.levelOfDetail);
    w.I32(s.groupCount);
    for (int32_t q : s.quantities) {
        w.I32(q);
    }
    w.U16(s.modelType);
    w.Zeros(2);
    w.F32(s.fovX);
    w.F32(s.fovY);
    w.F32(s.zNear);
    w.F32(s.zFar);
    w.F32(s.floatScale);
    w.Zeros(kSettingsFileSize - w.Size());
    return w.Take();
}

SettingsFileContent DecodeSettingsFile(std::span<const uint8_t> bytes) {
    std::array<uint8_t, kSettingsFileSize> record{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), record.size()), record.begin());
    ByteReader r(record);
    SettingsFileContent out;
    out.oldLayout = bytes.size() <= kOldSettingsFileSize;
    ExportSettings& s = out.settings;
    r.I32(s.integerScale);
    r.I32(s.orientation);
    r.I32(s.levelOfDetail);
    r.I32(s.groupCount);
    for (int32_t& q : s.quantities) {
        r.I32(q);
    }
    r.U16(s.modelType);
    r.Skip(2);
    r.F32(s.fovX);
    r.F32(s.fovY);
    r.F32(s.zNear);
    r.F32(s.zFar);
    r.F32(s.floatScale);
    return out;
}

}  // namespace kx
