#include "importer/ImporterOptions.h"

#include "host/HostServices.h"
#include "host/SettingsStore.h"
#include "importer/CCMPDialog.h"
#include "importer/CCMPFileDialog.h"
#include "importer/ImportPaths.h"

namespace kx {

namespace {

using Dlg = CCMPDialog;
using Box = CCMPFileDialog;
using O = ImporterOptions;
constexpr SwitchRow kOptions[] = {
    {&O::autoOpen, kAutoOpenKey, false, Dlg::kMenuAutoOpen, 0, Box::kAutoOpen,
     "Auto Open this Dialog Box", true},
    {&O::importHardpoints, kImportHardpointsKey, true, Dlg::kMenuImportHardpoints, 0,
     Box::kImportHardpoints, "Import Hardpoints", false},
    {&O::autoLoad, kAutoLoadKey, true, Dlg::kMenuAutoLoad, 0, Box::kAutoLoad, "Auto Load", false},
    {&O::extract, kExtractKey, true, Dlg::kMenuExtract, 0, Box::kExtract, "Extract Textures",
     false},
    {&O::hardpointsAfterModel, kAfterModelKey, false, Dlg::kMenuAfterModel, Dlg::kMenuAfterPart,
     Box::kAfterModel, "After Model", false},
    {&O::clearModel, kClearKey, true, Dlg::kMenuClear, 0, Box::kClearModel, "Clear Model", false},
    {&O::autoSearch, kAutoSearchKey, true, Dlg::kMenuAutoSearch, 0, 0, nullptr, false},
    {&O::tooltips, kTooltipKey, true, Dlg::kMenuTooltips, 0, 0, nullptr, false},
};

}  // namespace

std::span<const SwitchRow> SwitchTable() {
    return kOptions;
}

const SwitchRow* SwitchOfMenu(int command) {
    for (const SwitchRow& row : kOptions) {
        if (row.menu == command || (row.menuOff != 0 && row.menuOff == command)) {
            return &row;
        }
    }
    return nullptr;
}

const SwitchRow* SwitchOfBox(int box) {
    for (const SwitchRow& row : kOptions) {
        if (row.box != 0 && row.box == box) {
            return &row;
        }
    }
    return nullptr;
}

ImporterOptions::ImporterOptions() {
    for (const SwitchRow& row : kOptions) {
        this->*row.member = row.defaultOn;
    }
}

ImporterOptions& LibraryOptions() {
    static ImporterOptions options;
    return options;
}

void ReadOptions(SettingsStore& store, ImporterOptions& options) {
    for (const SwitchRow& row : kOptions) {
        bool& value = options.*row.member;
        value = store.GetInt(row.key.section, row.key.key, value ? 1 : 0) != 0;
    }
    options.filter = store.GetString(kFilterKey.section, kFilterKey.key, options.filter);
}

void WriteOption(SettingsStore& store, OptionKey key, bool on) {
    store.SetInt(key.section, key.key, on ? 1 : 0);
}

void WriteOption(SettingsStore& store, OptionKey key, const std::string& text) {
    store.SetString(key.section, key.key, text);
}

std::string GameFolder(SettingsStore& store) {
    if (std::string folder = CurrentHost().GameFolder(); !folder.empty()) {
        return folder;
    }
    return store.GetString(kGamePathKey.section, kGamePathKey.key, "");
}

std::string DefaultTextureFolder(const std::string& gameFolder) {
    return JoinPath(gameFolder, "Textures") + PathSeparator();
}

std::string DefaultLastFolder(const std::string& gameFolder) {
#if defined(_WIN32)
    (void)gameFolder;
    return JoinPath(JoinPath(CurrentHost().ProgramsFolder(), "Microsoft Games\\Kaltrix"), "DATA");
#else
    return gameFolder.empty() ? std::string() : JoinPath(gameFolder, "DATA");
#endif
}

}  // namespace kx
