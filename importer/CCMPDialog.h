#pragma once
// The importer's main dialog: the model file and its level of detail, the
// texture list, the menu of options, two status bars, Import and Cancel.
// It owns the model being imported (file image, index, mesh data) from the
// moment a file is chosen until the dialog ends.

#include <atomic>
#include <mutex>
#include <string>

#include "host/HostServices.h"
#include "host/Window.h"
#include "importer/CMPModel.h"
#include "importer/ImporterOptions.h"
#include "importer/MaterialSearch.h"

namespace kx {

class CCMPDialog : public Window {
  public:
    // Controls.
    static constexpr int kModel = 1010;
    static constexpr int kMaterial = 1011;
    static constexpr int kLevel = 1013;
    static constexpr int kTextures = 1007;
    static constexpr int kImport = 1016;
    // The two status bars along the bottom edge: four panes, then one for
    // the menu's prompts. Each pane is an item of its bar.
    static constexpr int kStatusBar = 0xE801;
    static constexpr int kPromptBar = 0xE802;
    // Menu commands.
    static constexpr int kMenuClear = 32772;
    static constexpr int kMenuAutoLoad = 32771;
    static constexpr int kMenuAutoOpen = 32780;
    static constexpr int kMenuAutoSearch = 32774;
    static constexpr int kMenuExtract = 32775;
    static constexpr int kMenuFolder = 32777;
    static constexpr int kMenuImportHardpoints = 32781;
    static constexpr int kMenuAfterPart = 32784;
    static constexpr int kMenuAfterModel = 32785;
    static constexpr int kMenuFilter = 32782;
    static constexpr int kMenuTooltips = 32778;

    static constexpr const char* kTitle = "Kaltrix CMP Importer V2.7";

    CCMPDialog(HostServices& host, msModel* model, MaterialSearch& search,
               ImporterOptions& options = LibraryOptions());
    ~CCMPDialog() override;

    // The caption the dialog shows: its title until a file is chosen, then
    // the file's name without its extension.
    const std::string& Caption() const { return caption_; }

    // The prompt bar follows the menu item under the pointer (0: none).
    void MenuSelect(int command);
    static const char* Prompt(int command);

    struct Tip {
        std::string title;  // shown with the information icon
        std::string text;
    };
    // The tip of a control; no text while tooltips are off.
    Tip Tooltip(int id) const;

    // What the last import made.
    const ImportTotals& Imported() const { return imported_; }

  protected:
    void OnInit() override;
    void OnCommand(int id) override;
    void OnSelect(int id, int index) override;
    void OnClose() override;
    void OnPosted(const PostedMessage& message) override;

  private:
    SettingsStore& Store() const { return host_.Settings(); }

    // A file from the file dialog with the option boxes; empty when cancelled.
    std::string ChooseFile(const std::string& pattern);
    void OpenModel();
    // Reads the level's mesh data; `fresh` for a newly opened file, whose
    // Clear model comes once it has proved readable.
    bool LoadModelData(int level, bool fresh);
    void Import();
    // One warning naming the materials whose names the host could not hold.
    void WarnOfShortenedNames();
    void AutoLoadCheck();
    void ToggleOption(int command);
    void ChooseFilter();
    void ChooseTextureFolder();

    void ResetModel();
    void StopSearch();
    MaterialSearchJob Job();
    void ShowCounts();
    // The texture list from the material entries, as the search left them.
    void ShowMaterials();
    void RefreshMenu();
    void SetPane(size_t pane, std::string text);
    // The file holds nothing to import (`reason` says why, when known):
    // said, and the dialog ends as by Cancel.
    void NoUsableData(const std::string& reason);
    // A refused file: `text` names it; the model is left unloaded.
    void Refuse(const std::string& text, const char* caption);

    HostServices& host_;
    msModel* model_;
    MaterialSearch& search_;
    ImporterOptions& options_;

    std::string caption_ = kTitle;
    std::string gameFolder_;
    std::string textureFolder_;
    std::string modelPath_;
    std::string shownPath_;  // the Model button's caption
    CMPModel file_;
    int hostMaterialsAtLoad_ = 0;
    bool abort_ = false;
    ImportTotals imported_;

    // Shared with the search's workers.
    std::atomic<bool> meshesLoaded_{false};
    std::atomic<bool> stop_{false};
    // Held for every call on the host model and every change of the
    // material entries, here as in the workers.
    std::mutex modelLock_;
};

}  // namespace kx
