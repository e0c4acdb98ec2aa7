// The importer's main dialog driven by control id as a person drives it:
// the options and where they are kept, the file dialog's boxes, opening,
// refusing and importing a model, levels, the menu and the status bars.

#include <gtest/gtest.h>

#include <algorithm>

#include "host/FileIo.h"
#include "host/SettingsStore.h"
#include "host/headless/HeadlessModel.h"
#include "host/headless/HeadlessUi.h"
#include "importer/CCMPDialog.h"
#include "importer/CCMPFileDialog.h"
#include "importer/CInputDlg.h"
#include "importer/CVornPlugIn.h"
#include "importer/ImportPaths.h"
#include "importer/tests/ImportFiles.h"
#include "testsupport/TempFiles.h"

namespace kx::test {
namespace {

using Dlg = CCMPDialog;
using Boxes = CCMPFileDialog;

WindowAction Act(WindowAction::Kind kind, int id, std::string text = {}, int value = 0) {
    return {kind, id, std::move(text), value, ""};
}

// A single model of one level and 1 + 2 triangles with material 5, and a
// compound of two levels.
std::vector<uint8_t> SingleModel() {
    return FileOf(Folder(
        "\\",
        {Folder("VMeshLibrary", {Folder("m.lod0.vms", {Leaf("VMeshData", Block({1, 2}, 5))})}),
         PartNode("m.3db", Ref("m.lod0.vms", 0, 0, 0, 2))}));
}
std::vector<uint8_t> TwoLevels() {
    return FileOf(Folder(
        "\\",
        {Folder("VMeshLibrary", {Folder("m.lod0.vms", {Leaf("VMeshData", Block({2}))}),
                                 Folder("m.lod1.vms", {Leaf("VMeshData", Block({1}))})}),
         Folder("m.3db",
                {Folder(
                    "MultiLevel",
                    {Folder("Level0", {Folder("VMeshPart",
                                              {Leaf("VMeshRef", Ref("m.lod0.vms", 0, 0, 0, 1))})}),
                     Folder("Level1", {Folder("VMeshPart", {Leaf("VMeshRef", Ref("m.lod1.vms", 0, 0,
                                                                                 0, 1))})})})})}));
}

class ImporterDialog : public ::testing::Test {
  protected:
    // No game folder from the environment the tests run in.
    ImporterDialog() {
        if (const char* folder = std::getenv("KALTRIX_GAME_DIR")) {
            outerGameFolder = folder;
        }
        ::unsetenv("KALTRIX_GAME_DIR");
    }
    ~ImporterDialog() override {
        kxModel_Free(model);
        if (outerGameFolder) {
            ::setenv("KALTRIX_GAME_DIR", outerGameFolder->c_str(), 1);
        }
    }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = dir.File(name);
        EXPECT_TRUE(WriteWholeFile(path, bytes));
        return path;
    }
    // Model, the file named, OK in the file dialog.
    void Open(const std::string& path) {
        ui.QueueFile(path);
        ui.QueueAction(Act(WindowAction::Kind::Click, Dlg::kModel));
        ui.QueueAction(Act(WindowAction::Kind::Click, kIdOk));
    }
    void Click(int id) { ui.QueueAction(Act(WindowAction::Kind::Click, id)); }
    int Run(Dlg& dialog) { return ui.RunModal(dialog); }
    std::vector<std::string> Panes(const Dlg& dialog) const {
        std::vector<std::string> panes;
        for (const ControlItem& pane : dialog.Control(Dlg::kStatusBar).items) {
            panes.push_back(pane.text);
        }
        return panes;
    }

    TempDir dir{"importer-dialog"};
    HeadlessUi ui;
    MemorySettingsStore store;
    HostServices host{&ui, nullptr, &store};
    NoMaterialSearch search;
    ImporterOptions options;
    msModel* model = kxModel_Create();
    std::optional<std::string> outerGameFolder;
};

TEST_F(ImporterDialog, OpensWithTheStoredOptionsAndItsResting) {
    store.SetInt("Model", "AutoLoad", 0);
    store.SetInt("Hardpoints", "AfterModel", 1);
    store.SetInt("Options", "ToolTip", 0);
    options.filter = "Gun";  // the filter's default is its value in memory
    Dlg dialog(host, model, search, options);
    Run(dialog);
    EXPECT_FALSE(options.autoLoad);
    EXPECT_TRUE(options.clearModel);
    EXPECT_TRUE(options.hardpointsAfterModel);
    EXPECT_EQ(options.filter, "Gun");
    EXPECT_TRUE(dialog.Control(Dlg::kMenuClear).checked);
    EXPECT_FALSE(dialog.Control(Dlg::kMenuAutoLoad).checked);
    EXPECT_TRUE(dialog.Control(Dlg::kMenuAfterModel).checked);
    EXPECT_FALSE(dialog.Control(Dlg::kMenuAfterPart).checked);
    EXPECT_EQ(dialog.Control(Dlg::kMenuFilter).text, "Gun");
    EXPECT_EQ(dialog.Control(Dlg::kMenuFolder).text, std::string("Textures") + PathSeparator());
    EXPECT_EQ(Panes(dialog),
              std::vector<std::string>({"Materials", "Meshes", "Triangles", "Vertices"}));
    EXPECT_EQ(dialog.Control(Dlg::kPromptBar).text, "Ready");
    EXPECT_FALSE(dialog.Control(Dlg::kLevel).enabled);
    EXPECT_EQ(dialog.Tooltip(Dlg::kModel).text, "");
    dialog.MenuSelect(Dlg::kMenuExtract);
    EXPECT_EQ(dialog.Control(Dlg::kPromptBar).text, "Extracts textures to textures folder.");
    dialog.MenuSelect(0);
    EXPECT_EQ(dialog.Control(Dlg::kPromptBar).text, "Ready");
    EXPECT_EQ(dialog.Caption(), "Kaltrix CMP Importer V2.7");
}

TEST_F(ImporterDialog, AutoOpenShowsTheFileDialogAtOnce) {
    store.SetInt("Options", "AutoOpenFileSave", 1);
    Dlg dialog(host, model, search, options);
    ui.QueueAction(Act(WindowAction::Kind::Click, kIdCancel));  // the file dialog's
    Click(kIdCancel);
    EXPECT_EQ(Run(dialog), kIdCancel);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].filter,
              "Kaltrix Model Files (*.cmp; *3db)|*.cmp; *3db|All Files (*.*)|*.*||");
    EXPECT_EQ(dialog.Control(Dlg::kModel).text, "Model");
}

TEST_F(ImporterDialog, TheFileDialogsBoxesAreKeptHoweverItEnds) {
    const std::string path = Write("m.cmp", SingleModel());
    for (int end : {kIdCancel, kIdOk}) {
        MemorySettingsStore fresh;
        HostServices h{&ui, nullptr, &fresh};
        ImporterOptions o;
        o.autoLoad = false;
        fresh.SetInt("Model", "AutoLoad", 0);
        Dlg dialog(h, model, search, o);
        ui.QueueFile(path);
        Click(Dlg::kModel);
        Click(Boxes::kImportHardpoints);  // unchecked: After Model hides
        Click(Boxes::kAutoOpen);
        Click(Boxes::kClearModel);
        Click(end);
        Click(kIdCancel);
        Run(dialog);
        EXPECT_FALSE(o.importHardpoints);
        EXPECT_FALSE(o.clearModel);
        EXPECT_TRUE(o.autoOpen);
        EXPECT_EQ(fresh.GetInt("Hardpoints", "Import", 9), 0);
        EXPECT_EQ(fresh.GetInt("Model", "Clear", 9), 0);
        // Auto Open is written only by OK.
        EXPECT_EQ(fresh.GetInt("Options", "AutoOpenFileSave", 9), end == kIdOk ? 1 : 9);
        EXPECT_EQ(fresh.GetString("Options", "LastUsedDir", "none"), dir.path());
        EXPECT_FALSE(ui.refused) << "a click went to a hidden or missing box";
    }
    // With Import Hardpoints off, After Model is hidden and cannot be clicked.
    Dlg dialog(host, model, search, options);
    ui.QueueFile(path);
    Click(Dlg::kModel);
    Click(Boxes::kImportHardpoints);
    Click(Boxes::kAfterModel);
    Run(dialog);
    ASSERT_TRUE(ui.refused);
    EXPECT_EQ(ui.refused->outcome, ActionOutcome::Hidden);
}

TEST_F(ImporterDialog, OpeningAModelShowsItAndImportBuildsIt) {
    options.autoLoad = false;
    store.SetInt("Model", "AutoLoad", 0);
    const std::string path = Write("Ship.CMP", SingleModel());
    Dlg dialog(host, model, search, options);
    Open(path);
    Click(Dlg::kImport);
    EXPECT_EQ(Run(dialog), kIdOk);
    EXPECT_EQ(dialog.Caption(), "Ship");
    EXPECT_EQ(dialog.Control(Dlg::kModel).text, DisplayedPath(path, ""));
    EXPECT_EQ(dialog.Control(Dlg::kLevel).items.size(), 1u);
    EXPECT_FALSE(dialog.Control(Dlg::kLevel).enabled);
    EXPECT_EQ(Panes(dialog),
              std::vector<std::string>({"Materials: 0/1", "Mesh: 2", "Triangle: 3", "Vertex: 9"}));
    ASSERT_EQ(dialog.Control(Dlg::kTextures).items.size(), 1u);
    EXPECT_EQ(dialog.Control(Dlg::kTextures).items[0].text, "0x5");
    EXPECT_EQ(msModel_GetMeshCount(model), 2);
    EXPECT_EQ(dialog.Imported().triangles, 3u);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ImporterDialog, AutoLoadImportsAsSoonAsTheModelIsRead) {
    const std::string path = Write("m.cmp", SingleModel());
    Dlg dialog(host, model, search, options);
    Open(path);
    // The search asks for the check by a posted message.
    ui.QueueAction(Act(WindowAction::Kind::Wait, 0));
    EXPECT_EQ(Run(dialog), kIdOk);
    EXPECT_EQ(msModel_GetMeshCount(model), 2);
}

TEST_F(ImporterDialog, RefusedFilesReachThePersonAndLeaveTheModel) {
    store.SetInt("Model", "AutoLoad", 0);
    msModel_AddMesh(model);  // the person's work, which Clear model would empty
    auto damaged = SingleModel();
    PutU32(damaged, RecordField(1, 0), 999 * 44);
    auto noData = FileOf(Folder("\\", {Folder("VMeshLibrary", {})}));
    struct Case {
        std::string path;
        std::string caption;
        std::string text;
    };
    const std::string text = Write("notes.txt", Str("just text"));
    const std::string broken = Write("broken.cmp", damaged);
    const std::string empty = Write("empty.cmp", noData);
    const Case cases[] = {
        {dir.File("missing.cmp"), "File Open Error",
         dir.File("missing.cmp") + " is not a Kaltrix model file"},
        {dir.path(), "File Open Error", dir.path() + " is not a Kaltrix model file"},
        {text, "File Open Error", text + " is not a Kaltrix model file"},
        {broken, "Malformed File", broken + "\nis damaged and cannot be imported"},
        {empty, "Malformed File: No Data",
         DisplayedPath(empty, "") + "\nDoes not seem to contain useable data.\n\nAborting Import"},
    };
    for (const Case& c : cases) {
        ui.messages.clear();
        Dlg dialog(host, model, search, options);
        Open(c.path);
        Click(Dlg::kImport);
        Run(dialog);
        ASSERT_EQ(ui.messages.size(), 1u) << c.path;
        EXPECT_EQ(ui.messages[0].caption, c.caption);
        EXPECT_EQ(ui.messages[0].text.substr(0, c.text.size()), c.text);
        EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
        EXPECT_EQ(msModel_GetMeshCount(model), 1) << c.path;
    }
}

TEST_F(ImporterDialog, ClearModelEmptiesTheModelOnceAFileIsReadEvenOnCancel) {
    store.SetInt("Model", "AutoLoad", 0);
    msModel_AddMesh(model);
    Dlg dialog(host, model, search, options);
    Open(Write("m.cmp", SingleModel()));
    Click(kIdCancel);
    EXPECT_EQ(Run(dialog), kIdCancel);
    EXPECT_EQ(msModel_GetMeshCount(model), 0);
}

TEST_F(ImporterDialog, ALevelIsReadWhenPickedAndNotAgain) {
    store.SetInt("Model", "AutoLoad", 0);
    Dlg dialog(host, model, search, options);
    Open(Write("m.cmp", TwoLevels()));
    ui.QueueAction(Act(WindowAction::Kind::Select, Dlg::kLevel, "", 1));
    ui.QueueAction(Act(WindowAction::Kind::Select, Dlg::kLevel, "", 1));
    Click(Dlg::kImport);
    Run(dialog);
    EXPECT_TRUE(dialog.Control(Dlg::kLevel).enabled);
    EXPECT_EQ(Panes(dialog)[2], "Triangle: 1");
    EXPECT_EQ(dialog.Imported().triangles, 1u);
}

TEST_F(ImporterDialog, MenuCommandsToggleAndWriteAtOnce) {
    Dlg dialog(host, model, search, options);
    Click(Dlg::kMenuExtract);
    Click(Dlg::kMenuAfterModel);
    Click(Dlg::kMenuTooltips);
    Click(Dlg::kMenuFilter);
    ui.QueueAction(Act(WindowAction::Kind::Type, CInputDlg::kFilterBox, ""));
    Click(kIdOk);
    Click(kIdCancel);
    Run(dialog);
    EXPECT_EQ(store.GetInt("Material", "Extract", 9), 0);
    EXPECT_EQ(store.GetInt("Hardpoints", "AfterModel", 9), 1);
    EXPECT_EQ(store.GetInt("Options", "ToolTip", 9), 0);
    // The empty filter takes every hardpoint; the menu item shows it as is.
    EXPECT_EQ(store.GetString("Hardpoints", "Filter", "none"), "");
    EXPECT_EQ(dialog.Control(Dlg::kMenuFilter).text, "");
    EXPECT_TRUE(dialog.Control(Dlg::kMenuAfterModel).checked);
    EXPECT_EQ(dialog.Tooltip(Dlg::kImport).text, "");
}

// Each switch as a person meets it, written out apart from the option
// table: the menu command, where it is kept, its default.
TEST_F(ImporterDialog, EveryMenuSwitchWritesItsOwnKey) {
    struct Switch {
        int menu;
        const char* section;
        const char* key;
        bool defaultOn;
        bool ImporterOptions::*member;
    };
    const Switch switches[] = {
        {Dlg::kMenuClear, "Model", "Clear", true, &ImporterOptions::clearModel},
        {Dlg::kMenuAutoLoad, "Model", "AutoLoad", true, &ImporterOptions::autoLoad},
        {Dlg::kMenuAutoOpen, "Options", "AutoOpenFileSave", false, &ImporterOptions::autoOpen},
        {Dlg::kMenuAutoSearch, "Material", "AutoSearch", true, &ImporterOptions::autoSearch},
        {Dlg::kMenuExtract, "Material", "Extract", true, &ImporterOptions::extract},
        {Dlg::kMenuImportHardpoints, "Hardpoints", "Import", true,
         &ImporterOptions::importHardpoints},
        {Dlg::kMenuTooltips, "Options", "ToolTip", true, &ImporterOptions::tooltips},
    };
    for (const Switch& s : switches) {
        MemorySettingsStore fresh;
        HostServices h{&ui, nullptr, &fresh};
        ImporterOptions o;
        EXPECT_EQ(o.*s.member, s.defaultOn) << s.key;
        Dlg dialog(h, model, search, o);
        Click(s.menu);
        Click(kIdCancel);
        Run(dialog);
        EXPECT_EQ(o.*s.member, !s.defaultOn) << s.key;
        EXPECT_EQ(fresh.GetInt(s.section, s.key, 9), s.defaultOn ? 0 : 1) << s.key;
        EXPECT_EQ(dialog.Control(s.menu).checked, !s.defaultOn) << s.key;
        EXPECT_EQ(fresh.ToIni(), std::string("[") + s.section + "]\n" + s.key + "=" +
                                     (s.defaultOn ? "0" : "1") + "\n")
            << "only the switch's own key is written";
    }
    // After Part and After Model are one switch, off and on; picking the
    // one already on writes it again.
    ImporterOptions o;
    EXPECT_FALSE(o.hardpointsAfterModel);
    Dlg dialog(host, model, search, o);
    Click(Dlg::kMenuAfterPart);
    Click(kIdCancel);
    Run(dialog);
    EXPECT_FALSE(o.hardpointsAfterModel);
    EXPECT_EQ(store.GetInt("Hardpoints", "AfterModel", 9), 0);
    EXPECT_TRUE(dialog.Control(Dlg::kMenuAfterPart).checked);
    EXPECT_FALSE(dialog.Control(Dlg::kMenuAfterModel).checked);
}

// The file dialog's boxes in the order they are placed, each showing its
// switch as the main dialog holds it.
TEST_F(ImporterDialog, TheFileDialogPlacesItsBoxesInOrder) {
    ImporterOptions o;
    o.autoOpen = true;
    o.extract = false;
    CCMPFileDialog dialog(ui, "*.mat", dir.path(), o);
    ui.QueueAction(Act(WindowAction::Kind::Click, kIdCancel));
    ui.RunFileDialog(dialog);
    const std::vector<int> boxes = {Boxes::kAutoOpen, Boxes::kImportHardpoints, Boxes::kAutoLoad,
                                    Boxes::kExtract,  Boxes::kAfterModel,       Boxes::kClearModel};
    std::vector<int> placed;
    for (int id : dialog.ControlIds()) {
        if (std::find(boxes.begin(), boxes.end(), id) != boxes.end()) {
            placed.push_back(id);
        }
    }
    EXPECT_EQ(placed, boxes);
    EXPECT_EQ(dialog.Control(Boxes::kAutoOpen).text, "Auto Open this Dialog Box");
    EXPECT_EQ(dialog.Control(Boxes::kClearModel).text, "Clear Model");
    EXPECT_TRUE(dialog.Checked(Boxes::kAutoOpen));
    EXPECT_FALSE(dialog.Checked(Boxes::kExtract));
    EXPECT_TRUE(dialog.Checked(Boxes::kClearModel));
    EXPECT_FALSE(dialog.Checked(Boxes::kAfterModel));
}

TEST_F(ImporterDialog, ExecuteRunsTheDialogOverTheModel) {
    CVornPlugIn plugIn(host);
    EXPECT_EQ(plugIn.Execute(nullptr), -1);
    store.SetInt("Model", "AutoLoad", 0);
    Open(Write("m.cmp", SingleModel()));
    Click(Dlg::kImport);
    EXPECT_EQ(plugIn.Execute(model), 0);
    EXPECT_EQ(msModel_GetMeshCount(model), 2);
    // Cancel returns 0 as well.
    Click(kIdCancel);
    EXPECT_EQ(plugIn.Execute(model), 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ImporterDialog, TheGameFolderComesFromTheEnvironmentElseTheStore) {
    store.SetInt("Model", "AutoLoad", 0);
    const std::string path = Write("Hull.cmp", SingleModel());
    auto shown = [&]() {
        Dlg dialog(host, model, search, options);
        Open(path);
        Click(kIdCancel);
        Run(dialog);
        return dialog.Control(Dlg::kModel).text;
    };
    // The store's folder: taken out of the button's text, and the textures'
    // folder below it.
    store.SetString("Directories", "GamePath", dir.path());
    EXPECT_EQ(shown(), "/hull.cmp");
    EXPECT_EQ(GameFolder(store), dir.path());
    EXPECT_EQ(DefaultTextureFolder(dir.path()), dir.path() + "/Textures/");
    // The environment's comes first.
    ::setenv("KALTRIX_GAME_DIR", "/elsewhere", 1);
    EXPECT_EQ(shown(), DisplayedPath(path, ""));
    ::unsetenv("KALTRIX_GAME_DIR");
}

TEST(ImporterPaths, TheGameFolderIsTakenOutOfWhatIsShown) {
    const std::string game = JoinPath("/Games", "Kaltrix");
    EXPECT_EQ(DisplayedPath(JoinPath(game, "DATA/Ships/Hull.CMP"), game), "/data/ships/hull.cmp");
    EXPECT_EQ(ResolveInGameFolder(game, "DATA/x.cmp"), JoinPath(game, "DATA/x.cmp"));
    EXPECT_EQ(ResolveInGameFolder(game, "/abs/x.cmp"), "/abs/x.cmp");
    EXPECT_EQ(ResolveInGameFolder("", "x.cmp"), "x.cmp");
    EXPECT_EQ(TitleOf("/a.b/Hull.lod0.cmp"), "Hull.lod0");
}

}  // namespace
}  // namespace kx::test
