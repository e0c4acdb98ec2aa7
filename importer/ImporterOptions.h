#pragma once
// The importer's options: on/off switches and the hardpoint filter that live
// as long as the library is loaded, each read from the person's settings
// store when the main dialog opens and written back when it changes; the
// texture folder and the last folder of the file dialog live only in the
// store; the game folder comes from outside.

#include <span>
#include <string>

namespace kx {

class SettingsStore;

// The switches start at their defaults in SwitchTable().
struct ImporterOptions {
    ImporterOptions();

    bool autoLoad;
    bool clearModel;
    bool autoOpen;
    bool autoSearch;
    bool extract;
    bool importHardpoints;
    bool hardpointsAfterModel;
    bool tooltips;
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

// One on/off switch: where it is kept, its default, the menu command that
// turns it over and the box of the file dialog that shows it. The table
// lists the boxes in the order the file dialog places them.
struct SwitchRow {
    bool ImporterOptions::*member;
    OptionKey key;
    bool defaultOn;
    int menu;
    // A second menu command that turns the switch off, the first then
    // turning it on (a pair of radio items); 0 for a plain toggle.
    int menuOff;
    int box;  // 0: not in the file dialog
    const char* boxCaption;
    // The box's state is written back only when the file dialog chose a file.
    bool writtenOnlyOnOk;
};
std::span<const SwitchRow> SwitchTable();
// The row of a menu command or of a file-dialog box; null when none has it.
const SwitchRow* SwitchOfMenu(int command);
const SwitchRow* SwitchOfBox(int box);

// Reads the switches and the filter; each missing value keeps its value in
// memory.
void ReadOptions(SettingsStore& store, ImporterOptions& options);

// Stored as the numbers 0 and 1.
void WriteOption(SettingsStore& store, OptionKey key, bool on);
void WriteOption(SettingsStore& store, OptionKey key, const std::string& text);

// The game's folder: the host's (KALTRIX_GAME_DIR unless the host sets it),
// else the store's "Directories"/"GamePath", which the Windows registry
// store answers with the machine's registry value; empty when none is set.
std::string GameFolder(SettingsStore& store);

// The texture folder's default: the game folder's "Textures" folder, with a
// separator at its end.
std::string DefaultTextureFolder(const std::string& gameFolder);

// The file dialog's first folder by default: the game's data folder.
std::string DefaultLastFolder(const std::string& gameFolder);

}  // namespace kx
