// Any byte string read as a .ces file gives a record that writes back to the
// same fields, and the settings window takes it without leaving its limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "exporter/ExportSettingsDlg.h"
#include "exporter/SettingsFile.h"
#include "host/HeadlessUi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kx::SettingsFileContent content = kx::DecodeSettingsFile({data, size});
    std::vector<uint8_t> again = kx::EncodeSettingsFile(content.settings);
    for (size_t i = 0; i < size && i < 112; ++i) {
        bool reserved = i == 90 || i == 91;
        if (!reserved && again[i] != data[i]) {
            std::abort();
        }
    }

    kx::HeadlessUi ui;
    kx::CExportSettingsDlg dlg(ui);
    dlg.Open();
    dlg.ApplyLoadedSettings(content);
    const kx::ExportSettings& s = dlg.Settings();
    if (s.groupCount < 1 || s.groupCount > kx::kMaxGroups || s.levelOfDetail < 0 ||
        s.levelOfDetail > 3) {
        std::abort();
    }
    return 0;
}
