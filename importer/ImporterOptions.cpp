#include "importer/ImporterOptions.h"

#include "host/HostServices.h"
#include "host/SettingsStore.h"
#include "importer/ImportPaths.h"

namespace kx {

ImporterOptions& LibraryOptions() {
    static ImporterOptions options;
    return options;
}

namespace {

void Read(SettingsStore& store, OptionKey key, bool& value) {
    value = store.GetInt(key.section, key.key, value ? 1 : 0) != 0;
}

}  // namespace

void ReadOptions(SettingsStore& store, ImporterOptions& options) {
    Read(store, kAutoLoadKey, options.autoLoad);
    Read(store, kClearKey, options.clearModel);
    Read(store, kExtractKey, options.extract);
    Read(store, kAutoSearchKey, options.autoSearch);
    Read(store, kTooltipKey, options.tooltips);
    Read(store, kAutoOpenKey, options.autoOpen);
    Read(store, kImportHardpointsKey, options.importHardpoints);
    options.filter = store.GetString(kFilterKey.section, kFilterKey.key, options.filter);
    Read(store, kAfterModelKey, options.hardpointsAfterModel);
}

void WriteOption(SettingsStore& store, OptionKey key, bool on) {
    store.SetInt(key.section, key.key, on ? 1 : 0);
}

void WriteOption(SettingsStore& store, OptionKey key, const std::string& text) {
    store.SetString(key.section, key.key, text);
}

std::string GameFolder(SettingsStore& store) {
    // The Windows registry value comes with the Windows host; until then
    // every build follows the same rule as Linux.
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
