// Any byte string read as a .ces file: the words are the file's first bytes,
// the record built from them gives the same words back, and the model
// exporter's settings window takes it without leaving its limits or keeping
// a value that is not a finite number.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "exporter/ExportSettingsDlg.h"
#include "exportsettings/SettingsFile.h"
#include "host/headless/HeadlessUi.h"

namespace {

void Check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

bool Within(float v, float min, float max) {
    return std::isfinite(v) && v >= min && v <= max;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const kx::SettingsWords words = kx::DecodeSettingsWords({data, size});
    for (size_t i = 0; i < kx::kSettingsWordCount * 4; ++i) {
        const uint8_t stored = i < size ? data[i] : 0;
        Check(((words[i / 4] >> (8 * (i % 4))) & 0xFF) == stored);
    }

    // The record holds every field word; the reserved half of the model
    // type's word and the words after the float scale are not fields.
    const kx::ExportSettings record = kx::SettingsFromWords(words);
    const kx::SettingsWords again = kx::SettingsToWords(record);
    for (size_t w = 0; w <= kx::settings_word::kFloatScale; ++w) {
        const uint32_t mask = w == kx::settings_word::kModelType ? 0xFFFFu : 0xFFFFFFFFu;
        Check(again[w] == (words[w] & mask));
    }
    const std::vector<uint8_t> file = kx::EncodeSettingsFile(record);
    Check(file.size() == kx::kSettingsFileSize);
    Check(kx::DecodeSettingsWords(file) == again);

    kx::HeadlessUi ui;
    kx::CExportSettingsDlg dlg(ui);
    dlg.Open();
    dlg.ApplyLoadedSettings(kx::DecodeSettingsFile({data, size}));
    const kx::ExportSettings& s = dlg.Settings();
    Check(s.groupCount >= 1 && s.groupCount <= kx::kMaxGroups);
    Check(s.levelOfDetail >= 0 && s.levelOfDetail <= 3);
    Check(std::isfinite(s.floatScale));
    if (s.modelType == kx::StoredValue(kx::ModelType::Cockpit)) {
        Check(Within(s.fovX, 0.05f, 10.0f) && Within(s.fovY, 0.05f, 10.0f));
        Check(Within(s.zNear, 0.0005f, 10.0f) && Within(s.zFar, 0.0005f, 10.0f));
    } else {
        Check(s.fovX == 0.0f && s.fovY == 0.0f && s.zNear == 0.0f && s.zFar == 0.0f);
    }
    return 0;
}
