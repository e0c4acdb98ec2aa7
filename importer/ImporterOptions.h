#pragma once
// The importer's options: on/off switches and the hardpoint filter that live
// as long as the library is loaded, each read from the person's settings
// store when the main dialog opens and written back when it changes; the
// texture folder and the last folder of the file dialog live only in the
// store; the game folder comes from outside.

#include <string>

namespace kx {

class SettingsStore;

struct ImporterOptions {
    bool autoLoad = true;
    bool clearModel = true;
    bool autoOpen = false;
    bool autoSearch = true;
    bool extract = true;
    bool importHardpoints = true;
    bool hardpointsAfterModel = false;
    bool tooltips = true;
    std::string filter = "Hp";
};

// The library's one set of options.
ImporterOptions& LibraryOptions();

// Where each option is kept: a section and a key of the settings store.
struct OptionKey {
    const char* section;
    const char* key;
};
inline constexpr OptionKey kAutoLoadKey = {"Model", "AutoLoad"};
inline constexpr OptionKey kClearKey = {"Model", "Clear"};
inline constexpr OptionKey kAutoOpenKey = {"Options", "AutoOpenFileSave"};
inline constexpr OptionKey kAutoSearchKey = {"Material", "AutoSearch"};
inline constexpr OptionKey kExtractKey = {"Material", "Extract"};
inline constexpr OptionKey kTexturePathKey = {"Directories", "TexturePath"};
inline constexpr OptionKey kImportHardpointsKey = {"Hardpoints", "Import"};
inline constexpr OptionKey kAfterModelKey = {"Hardpoints", "AfterModel"};
inline constexpr OptionKey kFilterKey = {"Hardpoints", "Filter"};
inline constexpr OptionKey kTooltipKey = {"Options", "ToolTip"};
inline constexpr OptionKey kLastFolderKey = {"Options", "LastUsedDir"};
inline constexpr OptionKey kGamePathKey = {"Directories", "GamePath"};

// Reads the switches and the filter in the order the dialog reads them;
// each missing value keeps its default (the filter: its value in memory).
void ReadOptions(SettingsStore& store, ImporterOptions& options);

// Stored as the numbers 0 and 1.
void WriteOption(SettingsStore& store, OptionKey key, bool on);
void WriteOption(SettingsStore& store, OptionKey key, const std::string& text);

// The game's folder: on Windows the machine's registry value, elsewhere the
// host's game folder (KALTRIX_GAME_DIR unless the host sets it), else the store's
// "Directories"/"GamePath"; empty when none is set.
std::string GameFolder(SettingsStore& store);

// The texture folder's default: the game folder's "Textures" folder, with a
// separator at its end.
std::string DefaultTextureFolder(const std::string& gameFolder);

// The file dialog's first folder by default: the game's data folder.
std::string DefaultLastFolder(const std::string& gameFolder);

}  // namespace kx
