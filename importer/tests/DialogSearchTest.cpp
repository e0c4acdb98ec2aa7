// The main dialog with the real material search, driven by control id: the
// texture list, the status pane and the Material button as the search
// reports, button 1011, the texture folder, auto load once the set is
// complete, and Cancel while workers run.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/Text.h"
#include "container/NameHash.h"
#include "host/SettingsStore.h"
#include "host/headless/HeadlessModel.h"
#include "host/headless/HeadlessUi.h"
#include "importer/CCMPDialog.h"
#include "importer/ImportPaths.h"
#include "importer/LibrarySearch.h"
#include "importer/tests/ImportFiles.h"
#include "importer/tests/MaterialFiles.h"
#include "testsupport/TempFiles.h"

namespace kx::test {
namespace {

namespace fs = std::filesystem;
using Dlg = CCMPDialog;

WindowAction Act(WindowAction::Kind kind, int id, std::string text = {}, int value = 0) {
    return {kind, id, std::move(text), value, ""};
}

HandNode Hull(const std::string& texture = "Hull.TGA") {
    return Folder("Hull.mat",
                  {Leaf("Dc", Colour(0.5f, 0.5f, 0.5f, 1)), Leaf("Dt_name", Str(texture))});
}
HandNode HullTexture() {
    return TextureLibrary({Folder("Hull.TGA", {Leaf("MIPS", Str("DDS hull"))})});
}

// One part of two meshes, both of material Hull.mat; `more` are further
// top-level nodes (a material or texture library).
std::vector<uint8_t> Ship(std::vector<HandNode> more = {}) {
    std::vector<HandNode> top = {
        Folder("VMeshLibrary",
               {Folder("s.lod0.vms", {Leaf("VMeshData", Block({1, 2}, NameHash("Hull.mat")))})}),
        PartNode("s.3db", Ref("s.lod0.vms", 0, 0, 0, 2))};
    for (HandNode& node : more) {
        top.push_back(std::move(node));
    }
    return FileOf(Folder("\\", std::move(top)));
}
std::vector<uint8_t> HullLibrary() {
    return FileOf(Folder("\\", {Folder("Material library", {Hull()}), HullTexture()}));
}

class DialogSearch : public ::testing::Test {
  protected:
    DialogSearch() {
        for (const char* name : {"KALTRIX_GAME_DIR", "KALTRIX_SEARCH_TOP"}) {
            if (const char* value = std::getenv(name)) {
                outer.emplace_back(name, value);
            }
            ::unsetenv(name);
        }
        // The searches stay inside the test's folder.
        ::setenv("KALTRIX_SEARCH_TOP", dir.path().c_str(), 1);
        store.SetString("Directories", "TexturePath", textures);
        store.SetInt("Model", "AutoLoad", 0);
        options.autoLoad = false;
    }
    ~DialogSearch() override {
        kxModel_Free(model);
        ::unsetenv("KALTRIX_SEARCH_TOP");
        for (const auto& [name, value] : outer) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
    }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const fs::path path = fs::path(dir.path()) / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    void Open(const std::string& path) {
        ui.QueueFile(path);
        Click(Dlg::kModel);
        Click(kIdOk);
    }
    void Click(int id) { ui.QueueAction(Act(WindowAction::Kind::Click, id)); }
    // Material, the file named, OK in the file dialog.
    void ChooseLibrary(const std::string& path) {
        ui.QueueFile(path);
        Click(Dlg::kMaterial);
        Click(kIdOk);
    }
    void Wait() { ui.QueueAction(Act(WindowAction::Kind::Wait, 0)); }
    std::vector<ControlItem> Rows(const Dlg& dialog) const {
        return dialog.Control(Dlg::kTextures).items;
    }
    int MeshMaterial(int mesh) const {
        return msMesh_GetMaterialIndex(msModel_GetMeshAt(model, mesh));
    }
    std::string DiffuseTexture(int material) const {
        char text[MS_MAX_PATH];
        msMaterial_GetDiffuseTexture(msModel_GetMaterialAt(model, material), text, sizeof text);
        return text;
    }

    TempDir dir{"dialog-search"};
    std::string textures = dir.File("tex");
    HeadlessUi ui;
    MemorySettingsStore store;
    HostServices host{&ui, nullptr, &store};
    LibrarySearch search;
    ImporterOptions options;
    msModel* model = kxModel_Create();
    std::vector<std::pair<std::string, std::string>> outer;
};

TEST_F(DialogSearch, TheModelsOwnLibraryFillsTheListAndTheMeshesGetIt) {
    const std::string path =
        Write("ships/Ship.cmp", Ship({Folder("Material library", {Hull()}), HullTexture()}));
    Dlg dialog(host, model, search, options);
    Open(path);
    Wait();
    Click(Dlg::kImport);
    EXPECT_EQ(ui.RunModal(dialog), kIdOk);

    ASSERT_EQ(Rows(dialog).size(), 1u);
    EXPECT_EQ(Rows(dialog)[0], (ControlItem{"Hull.mat", {"Hull.TGA"}, 0}));
    EXPECT_EQ(dialog.Control(Dlg::kStatusBar).items[0].text, "Textures: 1/1");
    EXPECT_EQ(dialog.Control(Dlg::kMaterial).text, path);
    ASSERT_EQ(msModel_GetMaterialCount(model), 1);
    const std::string written = JoinPath(textures, "hull.dds");
    EXPECT_EQ(DiffuseTexture(0), written);
    EXPECT_TRUE(fs::exists(written));
    ASSERT_EQ(msModel_GetMeshCount(model), 2);
    EXPECT_EQ(MeshMaterial(0), 0);
    EXPECT_EQ(MeshMaterial(1), 0);
    // The set is complete: Extract is off in memory, not in the store.
    EXPECT_FALSE(options.extract);
    EXPECT_FALSE(dialog.Control(Dlg::kMenuExtract).checked);
    EXPECT_EQ(store.GetInt("Material", "Extract", 9), 1);  // as the file dialog left it
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DialogSearch, AWorkerFindsTheLibraryBesideTheModelAndAutoLoadImports) {
    store.SetInt("Model", "AutoLoad", 1);
    options.autoLoad = true;
    const std::string path = Write("ships/a/ship.cmp", Ship());
    Write("ships/a/ship.mat", HullLibrary());
    Write("ships/other.mat", HullLibrary());
    Dlg dialog(host, model, search, options);
    Open(path);
    Wait();
    EXPECT_EQ(ui.RunModal(dialog), kIdOk);  // imported without Import
    EXPECT_EQ(msModel_GetMaterialCount(model), 1);
    ASSERT_EQ(msModel_GetMeshCount(model), 2);
    EXPECT_EQ(MeshMaterial(1), 0);
    EXPECT_EQ(Rows(dialog)[0].text, "Hull.mat");
    EXPECT_EQ(dialog.Control(Dlg::kStatusBar).items[0].text, "Textures: 1/1");
    EXPECT_EQ(search.KeptFiles(), 1u);
}

TEST_F(DialogSearch, TheMaterialButtonLoadsAChosenLibrary) {
    store.SetInt("Material", "AutoSearch", 0);
    options.autoSearch = false;
    const std::string path = Write("m/ship.cmp", Ship());
    const std::string library = Write("elsewhere/Hulls.MAT", HullLibrary());
    Dlg dialog(host, model, search, options);
    Click(Dlg::kMaterial);  // nothing loaded yet: no file dialog
    Open(path);
    ChooseLibrary(library);
    Wait();
    Click(Dlg::kImport);
    EXPECT_EQ(ui.RunModal(dialog), kIdOk);
    ASSERT_EQ(ui.fileRequests.size(), 2u);
    EXPECT_EQ(ui.fileRequests[1].filter, "Kaltrix Model Files (*.mat)|*.mat|All Files (*.*)|*.*||");
    EXPECT_EQ(dialog.Control(Dlg::kMaterial).text, DisplayedPath(library, ""));
    EXPECT_EQ(Rows(dialog)[0], (ControlItem{"Hull.mat", {"Hull.TGA"}, 0}));
    EXPECT_EQ(MeshMaterial(0), 0);
}

TEST_F(DialogSearch, NamesTooLongForTheHostAreCutWithOneWarning) {
    const std::string cut = "station_interior_panel_0212";
    const std::string kept = "Panel.dds";
    const std::vector<std::string> names = {cut + ".dds_glass", cut + ".dds_frame", kept};
    std::vector<HandNode> materials;
    for (const std::string& name : names) {
        materials.push_back(Folder(name, {Leaf("Dc", Colour(1, 1, 1, 1))}));
    }
    const std::string path = Write(
        "long/ship.cmp",
        FileOf(Folder(
            "\\",
            {Folder("VMeshLibrary",
                    {Folder("s.lod0.vms", {Leaf("VMeshData", Block({1}, NameHash(names[0])))}),
                     Folder("t.lod0.vms", {Leaf("VMeshData", Block({1}, NameHash(names[1])))}),
                     Folder("u.lod0.vms", {Leaf("VMeshData", Block({1}, NameHash(names[2])))})}),
             Folder(
                 "s.3db",
                 {Folder("MultiLevel",
                         {Folder("Level0",
                                 {Folder("VMeshPart",
                                         {Leaf("VMeshRef", Ref("s.lod0.vms", 0, 0, 0, 1)),
                                          Leaf("VMeshRef", Ref("t.lod0.vms", 0, 0, 0, 1)),
                                          Leaf("VMeshRef", Ref("u.lod0.vms", 0, 0, 0, 1))})})})}),
             Folder("Material library", std::move(materials))})));
    Dlg dialog(host, model, search, options);
    Open(path);
    Wait();
    Click(Dlg::kImport);
    EXPECT_EQ(ui.RunModal(dialog), kIdOk);
    ASSERT_EQ(msModel_GetMaterialCount(model), 3);
    std::vector<std::string> hostNames;
    for (int i = 0; i < 3; ++i) {
        char name[MS_MAX_NAME];
        msMaterial_GetName(msModel_GetMaterialAt(model, i), name, sizeof name);
        hostNames.push_back(name);
    }
    EXPECT_EQ(hostNames, (std::vector<std::string>{cut, cut, kept}));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Warning");
    EXPECT_EQ(ui.messages[0].text,
              "These material names are longer than the modeller's 31 characters and were "
              "shortened; a model exported from them names other materials:\n" +
                  names[0] + " as " + cut + "\n" + names[1] + " as " + cut);
}

// A file the person chose that gives no materials is said so; the same
// files found by the search are passed over quietly.
TEST_F(DialogSearch, AChosenLibraryThatDoesNotLoadIsSaidSo) {
    const std::string path = Write("c/ship.cmp", Ship());
    std::vector<uint8_t> damaged = HullLibrary();
    damaged.resize(60);
    Write("c/ship.mat", damaged);
    const std::string missing = dir.File("c/missing.mat");
    const std::string cut = Write("c/cut.mat", damaged);
    const std::string text = Write("c/text.mat", {'h', 'e', 'l', 'l', 'o'});
    const std::string none = Write("c/none.mat", FileOf(Folder("\\", {HullTexture()})));
    Dlg dialog(host, model, search, options);
    Open(path);
    for (const std::string& chosen : {missing, cut, text, none}) {
        ChooseLibrary(chosen);
    }
    Wait();
    Click(Dlg::kImport);
    EXPECT_EQ(ui.RunModal(dialog), kIdOk);
    EXPECT_EQ(msModel_GetMaterialCount(model), 0);
    EXPECT_EQ(msModel_GetMeshCount(model), 2);
    ASSERT_EQ(ui.messages.size(), 4u);
    for (const RecordedMessage& message : ui.messages) {
        EXPECT_EQ(message.caption, "File Error");
        EXPECT_EQ(message.icon, MessageIcon::Error);
    }
    const std::string end = "; no materials were loaded from it";
    EXPECT_EQ(ui.messages[0].text, missing + " does not exist" + end);
    EXPECT_EQ(ui.messages[1].text.rfind(cut + " is damaged: ", 0), 0u) << ui.messages[1].text;
    EXPECT_EQ(ui.messages[2].text, text + " is not a Kaltrix file" + end);
    EXPECT_EQ(ui.messages[3].text, none + " holds no material library" + end);
}

TEST_F(DialogSearch, WithExtractOffNothingIsSearchedOrMade) {
    store.SetInt("Material", "Extract", 0);
    options.extract = false;
    const std::string path = Write("x/ship.cmp", Ship({Folder("Material library", {Hull()})}));
    Write("x/ship.mat", HullLibrary());
    Dlg dialog(host, model, search, options);
    Open(path);
    Wait();
    Click(Dlg::kImport);
    EXPECT_EQ(ui.RunModal(dialog), kIdOk);
    EXPECT_EQ(msModel_GetMaterialCount(model), 0);
    EXPECT_EQ(Rows(dialog)[0],
              (ControlItem{Hex(NameHash("Hull.mat"), 1, HexCase::Lower), {""}, 0}));
    EXPECT_FALSE(fs::exists(textures));
}

TEST_F(DialogSearch, TheTextureFolderIsChosenAndKeptAtOnce) {
    Dlg dialog(host, model, search, options);
    const std::string chosen = dir.File("chosen");
    ui.QueueFile(chosen);
    Click(Dlg::kMenuFolder);
    ui.QueueFile(std::nullopt);
    Click(Dlg::kMenuFolder);  // cancelled: nothing changes
    Click(kIdCancel);
    ui.RunModal(dialog);
    ASSERT_EQ(ui.fileRequests.size(), 2u);
    EXPECT_EQ(ui.fileRequests[0].title, "Select Material Folder");
    EXPECT_EQ(ui.fileRequests[0].initialPath, textures);
    EXPECT_EQ(ui.fileRequests[1].initialPath, chosen);
    EXPECT_EQ(store.GetString("Directories", "TexturePath", ""), chosen);
    EXPECT_EQ(dialog.Control(Dlg::kMenuFolder).text, chosen);
}

TEST_F(DialogSearch, ALevelChangeReadsTheKeptLibraryAgain) {
    const auto level = [](const char* name) {
        return Folder(
            name,
            {Folder("VMeshPart",
                    {Leaf("VMeshRef", Ref(std::string("s.lod") + name[5] + ".vms", 0, 0, 0, 1))})});
    };
    const uint32_t hull = NameHash("Hull.mat");
    const std::string path = Write(
        "levels/ship.cmp",
        FileOf(Folder(
            "\\",
            {Folder("VMeshLibrary", {Folder("s.lod0.vms", {Leaf("VMeshData", Block({2}, hull))}),
                                     Folder("s.lod1.vms", {Leaf("VMeshData", Block({1}, hull))})}),
             Folder("s.3db", {Folder("MultiLevel", {level("Level0"), level("Level1")})})})));
    Write("levels/ship.mat", HullLibrary());
    Dlg dialog(host, model, search, options);
    Open(path);
    Wait();
    ui.QueueAction(Act(WindowAction::Kind::Select, Dlg::kLevel, {}, 1));
    Wait();
    Click(Dlg::kImport);
    EXPECT_EQ(ui.RunModal(dialog), kIdOk);
    // The search found ship.mat and turned Extract off; the second level
    // read the kept file again instead of searching.
    EXPECT_FALSE(options.extract);
    EXPECT_EQ(Rows(dialog)[0].text, "Hull.mat");
    EXPECT_EQ(dialog.Control(Dlg::kStatusBar).items[0].text, "Textures: 1/1");
    EXPECT_EQ(dialog.Imported().triangles, 1u);
    ASSERT_EQ(msModel_GetMaterialCount(model), 2);  // once per level read
    EXPECT_EQ(MeshMaterial(0), 1);
}

TEST_F(DialogSearch, CancelEndsARunningSearchAndLeavesTheModel) {
    for (int i = 0; i < 200; ++i) {
        Write("big/d" + std::to_string(i % 20) + "/x" + std::to_string(i) + ".3db", Ship());
    }
    const std::string path = Write("big/ship.cmp", Ship());
    Dlg dialog(host, model, search, options);
    Open(path);
    Click(kIdCancel);
    EXPECT_EQ(ui.RunModal(dialog), kIdCancel);
    EXPECT_EQ(msModel_GetMeshCount(model), 0);
    EXPECT_FALSE(search.Finished());
}

}  // namespace
}  // namespace kx::test
