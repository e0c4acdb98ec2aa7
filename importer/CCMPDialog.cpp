#include "importer/CCMPDialog.h"

#include "base/Text.h"
#include "host/FileService.h"
#include "host/HostServices.h"
#include "host/SettingsStore.h"
#include "importer/CCMPFileDialog.h"
#include "importer/CInputDlg.h"
#include "importer/ImportPaths.h"
#include "importer/LibrarySearch.h"
#include "importer/MaterialLibrary.h"

namespace kx {

namespace {

constexpr const char* kModelPattern = "*.cmp; *3db";
constexpr const char* kMaterialPattern = "*.mat";

struct Command {
    int id;
    const char* caption;
    const char* prompt;
};
constexpr Command kCommands[] = {
    {CCMPDialog::kMenuClear, "Clear", "Clears Current model from Milkshape"},
    {CCMPDialog::kMenuAutoLoad, "Auto Load", "Automatically Loads LOD 0 without user intervention"},
    {CCMPDialog::kMenuAutoOpen, "Auto Open", "Automatically Opens the File Dialog Box"},
    {CCMPDialog::kMenuAutoSearch, "Auto Search", "Searches for material for current model."},
    {CCMPDialog::kMenuExtract, "Extract", "Extracts textures to textures folder."},
    {CCMPDialog::kMenuFolder, "Folder", "Destination folder for textures."},
    {CCMPDialog::kMenuImportHardpoints, "Import", "Import Hard Points"},
    {CCMPDialog::kMenuAfterPart, "Part", "Import hard points After Each Part"},
    {CCMPDialog::kMenuAfterModel, "Model", "Import hard points After The Model"},
    {CCMPDialog::kMenuFilter, "Filter", "Import Only hard points matching this criteria."},
    {CCMPDialog::kMenuTooltips, "Tooltips", "Enable/Disable Tool Tips."},
};

struct TipText {
    int id;
    const char* title;
    const char* text;
};
constexpr TipText kTips[] = {
    {CCMPDialog::kModel, "Model File", "Selects Kaltrix Model File"},
    {CCMPDialog::kMaterial, "Material File", "Selects Material File for this Model"},
    {CCMPDialog::kLevel, "Level Of Detail", "Selects Level Of Detail to import"},
    {CCMPDialog::kImport, "Import", "Imports current model to Milkshape"},
    {kIdCancel, "Cancel", "Closes this Dialog without importing a model."},
    {CCMPDialog::kTextures, "Textures",
     "Displays textures for the current model and textures found."},
};

const char* const kPaneTitles[] = {"Materials", "Meshes", "Triangles", "Vertices"};

// A material library the person chose that gives no materials.
std::string MaterialFileRefusal(const std::string& path, const Status& failure) {
    return path + " " + failure.Reason() + "; no materials were loaded from it";
}

}  // namespace

CCMPDialog::CCMPDialog(HostServices& host, msModel* model, MaterialSearch& search,
                       ImporterOptions& options)
    : Window(*host.ui, kTitle), host_(host), model_(model), search_(search), options_(options) {
    AddControl(kModel, "Model");
    AddControl(kLevel);
    AddControl(kMaterial, "Material");
    // Its column headers, separated by a tab.
    AddControl(kTextures, "Texture\tFilename");
    AddControl(kImport, "Import");
    AddControl(kIdCancel, "Cancel");
    AddControl(kStatusBar);
    AddControl(kPromptBar, "Ready");
    for (const Command& c : kCommands) {
        AddControl(c.id, c.caption);
    }
}

CCMPDialog::~CCMPDialog() {
    // Workers are stopped before the data they use goes.
    StopSearch();
}

void CCMPDialog::OnInit() {
    ResetModel();
    caption_ = kTitle;
    gameFolder_ = GameFolder(Store());
    textureFolder_ = Store().GetString(kTexturePathKey.section, kTexturePathKey.key,
                                       DefaultTextureFolder(gameFolder_));
    ReadOptions(Store(), options_);
    RefreshMenu();
    SetText(kPromptBar, "Ready");
    if (options_.autoOpen) {
        OpenModel();
    }
}

void CCMPDialog::OnCommand(int id) {
    switch (id) {
        case kModel:
            OpenModel();
            break;
        case kMaterial:
            if (meshesLoaded_) {
                const std::string path = ChooseFile(kMaterialPattern);
                if (!path.empty()) {
                    // Chosen, unlike the files a search finds: one that
                    // gives nothing is said so.
                    const Status loaded = search_.LoadLibrary(path, Job());
                    if (!loaded) {
                        ui().Message(MaterialFileRefusal(path, loaded), kFileErrorCaption,
                                     MessageIcon::Error);
                    }
                }
            }
            break;
        case kImport:
            Import();
            break;
        case kIdCancel:
            StopSearch();
            End(kIdCancel);
            break;
        case kMenuFilter:
            ChooseFilter();
            break;
        case kMenuFolder:
            ChooseTextureFolder();
            break;
        default:
            ToggleOption(id);
            break;
    }
}

void CCMPDialog::OnClose() {
    OnCommand(kIdCancel);
}

void CCMPDialog::OnSelect(int id, int index) {
    // Picking the level already read changes nothing.
    if (id != kLevel || index == file_.Level() || !file_.IsOpen()) {
        return;
    }
    StopSearch();
    stop_ = false;
    meshesLoaded_ = false;
    LoadModelData(index, false);
}

void CCMPDialog::OnPosted(const PostedMessage& message) {
    // The search turns Extract textures off once every material is found;
    // the option itself belongs to this thread.
    if (search_.TakeExtractOff()) {
        options_.extract = false;
        RefreshMenu();
    }
    if (message.id == kPostStatusText) {
        SetPane(static_cast<size_t>(message.first), message.text);
        ShowMaterials();
    } else if (message.id == kPostMaterialCaption) {
        SetText(kMaterial, message.text);
    } else if (message.id == kPostAutoLoadCheck) {
        ShowMaterials();
        AutoLoadCheck();
    }
}

std::string CCMPDialog::ChooseFile(const std::string& pattern) {
    const std::string folder = Store().GetString(kLastFolderKey.section, kLastFolderKey.key,
                                                 DefaultLastFolder(gameFolder_));
    CCMPFileDialog dialog(ui(), pattern, folder, options_);
    const bool ok = ui().RunFileDialog(dialog) == kIdOk;

    // The boxes and the folder are kept however the dialog ended; Auto Open
    // is written only when a file was chosen.
    dialog.KeepBoxes(options_, Store(), ok);
    RefreshMenu();

    const std::optional<std::string> chosen = dialog.Chosen();
    if (!ok || !chosen || chosen->empty()) {
        return {};
    }
    caption_ = TitleOf(*chosen);
    const std::string shown = DisplayedPath(*chosen, gameFolder_);
    // The extension decides which button shows the path.
    const size_t dot = chosen->rfind('.');
    const bool material = dot != std::string::npos && dot > FolderOf(*chosen).size() &&
                          LowerAscii(chosen->substr(dot + 1)).find("mat") != std::string::npos;
    SetText(material ? kMaterial : kModel, shown);
    if (!material) {
        shownPath_ = shown;
    }
    return *chosen;
}

void CCMPDialog::OpenModel() {
    const std::string chosen = ChooseFile(kModelPattern);
    if (chosen.empty()) {
        return;
    }
    ResetModel();
    modelPath_ = ResolveInGameFolder(gameFolder_, chosen);

    std::vector<uint8_t> image;
    if (host_.Files().Read(modelPath_, image) != FileOutcome::Done) {
        Refuse(modelPath_ + " is not a Kaltrix model file", "File Open Error");
        return;
    }
    const Status opened = file_.Open(std::move(image));
    if (!opened) {
        if (opened.GetFault() == Fault::WrongKind) {
            Refuse(modelPath_ + " is not a Kaltrix model file", "File Open Error");
        } else {
            Refuse(modelPath_ + "\nis damaged and cannot be imported\n\n" + opened.Reason(),
                   "Malformed File");
        }
        return;
    }
    if (const std::string library = CurrentHost().MeshLibrary(); !library.empty()) {
        Status attached = host_.Files().Read(library, image) == FileOutcome::Done
                              ? file_.AttachMeshLibrary(std::move(image))
                              : Status::Failure(Fault::Unreadable, "cannot be read");
        if (!attached) {
            Refuse(library + " is not a mesh library file: " + attached.Reason(),
                   "File Open Error");
            return;
        }
    }

    ControlState& levels = State(kLevel);
    levels.items.clear();
    for (const std::string& name : file_.Levels()) {
        levels.items.push_back({name, {}, 0});
    }
    levels.selection = levels.items.empty() ? -1 : 0;
    levels.enabled = levels.items.size() >= 2;
    LoadModelData(levels.selection, true);
}

bool CCMPDialog::LoadModelData(int level, bool fresh) {
    State(kTextures).items.clear();
    std::unique_lock held(modelLock_);
    const Status read = file_.LoadLevel(level);
    held.unlock();
    if (read.GetFault() == Fault::Refused) {
        NoUsableData({});
        return false;
    }
    // The parts are checked now, with every hardpoint, so that a damaged
    // file is refused before Clear model empties the person's model.
    Status checked = read;
    if (checked) {
        auto plan = file_.Plan({true, ""});
        checked = plan.GetStatus();
        if (checked.GetFault() == Fault::Refused) {
            NoUsableData(checked.Reason());
            return false;
        }
        // A model without meshes is still worth opening for its hardpoints.
        if (plan && plan->hardpoints.empty() && file_.Arrays().meshes.empty()) {
            NoUsableData({});
            return false;
        }
    }
    if (!checked) {
        Refuse(modelPath_ + "\nis damaged and cannot be imported\n\n" + checked.Reason(),
               "Malformed File");
        return false;
    }
    {
        std::lock_guard held(modelLock_);
        if (fresh && options_.clearModel) {
            msModel_Destroy(model_);
        }
        hostMaterialsAtLoad_ = msModel_GetMaterialCount(model_);
    }
    meshesLoaded_ = true;
    ShowMaterials();
    ShowCounts();
    search_.Start(Job());
    ShowMaterials();
    return true;
}

void CCMPDialog::Import() {
    StopSearch();
    // The list shows what is imported, whatever reports are still queued.
    ShowMaterials();
    if (meshesLoaded_ && !abort_) {
        auto plan = file_.Plan({options_.importHardpoints, options_.filter});
        if (!plan) {
            Refuse(modelPath_ + "\nis damaged and cannot be imported\n\n" + plan.Reason(),
                   "Malformed File");
            End(kIdCancel);
            return;
        }
        // Parts kept without their meshes or left out are named, never
        // dropped in silence; a few lines, so the box fits on the screen.
        const std::vector<std::string>& notes = plan->parts.notes;
        if (!notes.empty()) {
            constexpr size_t kShown = 10;
            std::string text;
            for (size_t i = 0; i < notes.size() && i < kShown; ++i) {
                text += (i == 0 ? "" : "\n") + notes[i];
            }
            if (notes.size() > kShown) {
                text += "\nand " + std::to_string(notes.size() - kShown) + " more parts";
            }
            ui().Message(text, "Warning", MessageIcon::Warning);
        }
        imported_ = {};
        std::unique_lock held(modelLock_);
        const Status made = ImportModel(model_, plan.Value(), file_.Arrays(),
                                        options_.hardpointsAfterModel, imported_);
        held.unlock();
        if (!made) {
            ui().Message("The import stopped: " + made.Reason() + ".", "Error", MessageIcon::Error);
        }
        WarnOfShortenedNames();
    }
    End(kIdOk);
}

void CCMPDialog::WarnOfShortenedNames() {
    std::string shortened;
    {
        std::lock_guard held(modelLock_);
        for (const CMPMaterial& material : file_.Arrays().materials) {
            const std::string host = HostMaterialName(material.name);
            if (material.hostMaterial >= 0 && host != material.name) {
                shortened += "\n" + material.name + " as " + host;
            }
        }
    }
    if (!shortened.empty()) {
        ui().Message("These material names are longer than the modeller's " +
                         std::to_string(MS_MAX_NAME - 1) +
                         " characters and were shortened; a model exported from them names "
                         "other materials:" +
                         shortened,
                     "Warning", MessageIcon::Warning);
    }
}

void CCMPDialog::AutoLoadCheck() {
    if ((options_.extract && !search_.Finished()) || !options_.autoLoad) {
        return;
    }
    Import();
}

void CCMPDialog::ToggleOption(int command) {
    const SwitchRow* row = SwitchOfMenu(command);
    if (row == nullptr) {
        return;
    }
    bool& option = options_.*row->member;
    option = row->menuOff == 0 ? !option : command == row->menu;
    WriteOption(Store(), row->key, option);
    RefreshMenu();
}

void CCMPDialog::ChooseFilter() {
    CInputDlg dialog(ui(), options_.filter);
    if (ui().RunModal(dialog) == kIdOk) {
        options_.filter = dialog.Filter();
        WriteOption(Store(), kFilterKey, options_.filter);
        RefreshMenu();
    }
}

void CCMPDialog::ChooseTextureFolder() {
    const std::optional<std::string> folder =
        ui().BrowseFolder("Select Material Folder", textureFolder_);
    if (folder) {
        textureFolder_ = *folder;
        WriteOption(Store(), kTexturePathKey, textureFolder_);
        RefreshMenu();
    }
}

void CCMPDialog::ResetModel() {
    StopSearch();
    search_.Reset();
    {
        std::lock_guard held(modelLock_);
        file_.Close();
    }
    modelPath_.clear();
    abort_ = false;
    meshesLoaded_ = false;
    stop_ = false;
    hostMaterialsAtLoad_ = 0;
    ControlState& levels = State(kLevel);
    levels.items.clear();
    levels.selection = -1;
    levels.enabled = false;
    State(kTextures).items.clear();
    ControlState& bar = State(kStatusBar);
    bar.items.clear();
    for (const char* title : kPaneTitles) {
        bar.items.push_back({title, {}, 0});
    }
}

void CCMPDialog::StopSearch() {
    stop_ = true;
    search_.Stop();
    if (search_.TakeExtractOff()) {
        options_.extract = false;
        RefreshMenu();
    }
}

MaterialSearchJob CCMPDialog::Job() {
    MaterialSearchJob job;
    job.modelPath = modelPath_;
    job.gameFolder = gameFolder_;
    job.textureFolder = textureFolder_;
    job.searchTop = CurrentHost().SearchTop();
    job.autoSearch = options_.autoSearch;
    job.extract = options_.extract;
    job.model = model_;
    job.hostMaterialsAtLoad = hostMaterialsAtLoad_;
    job.arrays = &file_.Arrays();
    job.modelIndex = &file_.Index();
    job.files = &host_.Files();
    job.dialog = this;
    job.stop = &stop_;
    job.lock = &modelLock_;
    return job;
}

void CCMPDialog::ShowMaterials() {
    std::lock_guard held(modelLock_);
    std::vector<ControlItem>& rows = State(kTextures).items;
    rows.clear();
    // Once a library has named a material, its row shows that name and
    // the texture file it stores.
    for (const CMPMaterial& material : file_.Arrays().materials) {
        rows.push_back({material.matched ? material.name : Hex(material.id, 1, HexCase::Lower),
                        {material.texture},
                        0});
    }
}

void CCMPDialog::ShowCounts() {
    const MeshArrays& arrays = file_.Arrays();
    // Nothing of this level is found yet; the search reports as it goes.
    SetPane(0, "Materials: 0/" + std::to_string(arrays.materials.size()));
    SetPane(1, "Mesh: " + std::to_string(arrays.meshes.size()));
    SetPane(2, "Triangle: " + std::to_string(arrays.triangles.size()));
    SetPane(3, "Vertex: " + std::to_string(arrays.vertices.size()));
}

void CCMPDialog::SetPane(size_t pane, std::string text) {
    ControlState& bar = State(kStatusBar);
    if (pane < bar.items.size()) {
        bar.items[pane].text = std::move(text);
    }
}

void CCMPDialog::RefreshMenu() {
    for (const SwitchRow& row : SwitchTable()) {
        const bool on = options_.*row.member;
        SetChecked(row.menu, on);
        if (row.menuOff != 0) {
            SetChecked(row.menuOff, !on);
        }
    }
    SetText(kMenuFilter, options_.filter);
    SetText(kMenuFolder, textureFolder_);
}

void CCMPDialog::NoUsableData(const std::string& reason) {
    const std::string why = reason.empty() ? "" : ": " + reason;
    ui().Message(
        shownPath_ + "\nDoes not seem to contain useable data" + why + ".\n\nAborting Import",
        "Malformed File: No Data", MessageIcon::Error);
    abort_ = true;
    stop_ = true;
    End(kIdCancel);
}

void CCMPDialog::Refuse(const std::string& text, const char* caption) {
    ui().Message(text, caption, MessageIcon::Error);
    ResetModel();
}

void CCMPDialog::MenuSelect(int command) {
    const char* prompt = Prompt(command);
    SetText(kPromptBar, prompt ? prompt : "Ready");
}

const char* CCMPDialog::Prompt(int command) {
    for (const Command& c : kCommands) {
        if (c.id == command) {
            return c.prompt;
        }
    }
    return nullptr;
}

CCMPDialog::Tip CCMPDialog::Tooltip(int id) const {
    for (const TipText& tip : kTips) {
        if (tip.id == id) {
            return options_.tooltips ? Tip{tip.title, tip.text} : Tip{};
        }
    }
    return {};
}

}  // namespace kx
