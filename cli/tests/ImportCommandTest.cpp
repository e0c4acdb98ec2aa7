// kaltrix import through the Ommel library: models exported by kaltrix
// export come back, the options reach the dialog, refusals exit 1 and leave
// every file as it was.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "base/Text.h"
#include "cli/tests/CliRun.h"
#include "container/ByteReader.h"
#include "container/NameHash.h"
#include "exporter/tests/ExportHarness.h"
#include "host/FileIo.h"
#include "host/headless/HeadlessModel.h"
#include "importer/tests/ImportFiles.h"
#include "ms3d/Ms3dIo.h"

namespace kx {
namespace {

// A two-part ship ("hull", "wing") with a gun on the wing and a decal
// marker: exported as a compound by kaltrix export.
// Each in a folder of its own, which a material search may list.
class ExportedShip {
  public:
    ExportedShip()
        : dir_("import_ship"),
          source_(dir_.File("import_ship.ms3d")),
          cmp_(dir_.File("import_ship.cmp")) {
        test::TestModel model;
        const int steel = model.Material("Steel");
        model.Block("hull", {0, 0, 0}, {1, 1, 1}, steel);
        model.Block("wing", {2, 0, 0}, {3, 1, 1}, steel);
        model.Marker("Hp_Fixed_HpGun01", 2.5f, 0.5f, 0.5f);
        model.Marker("Hp_Fixed_DpConnect", 0.5f, 0.5f, 0.5f);
        const Status written = WriteMs3dModel(source_, model.m);
        EXPECT_TRUE(written.Ok()) << written.Reason();
        auto r = Kaltrix({"export", source_, "-o", cmp_, "--groups", "1,1"});
        EXPECT_EQ(r.rc, 0) << r.err;
    }
    const std::string& path() const { return cmp_; }
    const std::string& folder() const { return dir_.path(); }

  private:
    test::TempDir dir_;
    std::string source_, cmp_;
};

struct ReadBack {
    explicit ReadBack(const std::string& path) { ok = ReadMs3dModel(path, model.m).Ok(); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int i = 0; i < model.MeshCount(); ++i) {
            char name[64];
            msMesh_GetName(msModel_GetMeshAt(model.m, i), name, sizeof name);
            names.push_back(name);
        }
        return names;
    }
    std::array<float, 3> Position(int mesh, int vertex) const {
        std::array<float, 3> p;
        msVertex_GetVertex(msMesh_GetVertexAt(msModel_GetMeshAt(model.m, mesh), vertex), p.data());
        return p;
    }
    test::TestModel model;
    bool ok = false;
};

// The ship's material id as the texture list shows it.
std::string SteelId() {
    return Hex(NameHash("Steel"), 1, HexCase::Lower);
}

TEST(ImportCommand, AnExportedShipComesBack) {
    ExportedShip ship;
    TempFile out("import_back.ms3d");
    auto r = Kaltrix({"import", ship.path(), "-o", out.path()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.err, "");
    // No library defines the ship's material: the summary says so.
    EXPECT_EQ(r.out, out.path() + ": 2 meshes, 2 triangles, 1 hardpoint markers imported from " +
                         ship.path() + "\n" + out.path() + ": materials not loaded: " + SteelId() +
                         "\n");
    ReadBack back(out.path());
    ASSERT_TRUE(back.ok);
    // The root part first, then the wing and its gun (the filter "Hp" skips
    // DpConnect).
    ASSERT_EQ(back.Names(), (std::vector<std::string>{"hull", "wing", "Hp|Fixed|HpGun01"}));
    // Game units: the host's 92 to one, y and z turned over.
    const auto corner = back.Position(1, 2);
    EXPECT_NEAR(corner[0], 3, 1e-5);
    EXPECT_NEAR(corner[1], 1, 1e-5);
    EXPECT_NEAR(corner[2], 1, 1e-5);
    // The notch is the first triangle's last corner.
    word corners[3];
    msTriangle_GetVertexIndices(msMesh_GetTriangleAt(msModel_GetMeshAt(back.model.m, 2), 0),
                                corners);
    const auto notch = back.Position(2, corners[2]);
    EXPECT_NEAR(notch[0], 2.5, 1e-5);
    EXPECT_NEAR(notch[1], 0.5, 1e-5);
    EXPECT_NEAR(notch[2], 0.5, 1e-5);
}

// Import, save as a model file, export in game units (scale 1, nothing
// turned over): each hardpoint is written back where the file had it, turned
// or not, as the exporter reads a marker's place from its first vertices.
TEST(ImportCommand, HardpointsComeBackWhereTheyWereThroughTheModellersFile) {
    using namespace test;
    const std::array<float, 9> aboutX = {1, 0, 0, 0, 0, -1, 0, 1, 0};
    const std::array<float, 9> tilted = {0.8f, 0, -0.6f, 0, 1, 0, 0.6f, 0, 0.8f};
    struct Expected {
        std::string path;
        std::array<float, 3> position;
    };
    const std::vector<Expected> expected = {
        {"Fixed/HpMount01", {1, 2, 3}},
        {"Fixed/HpEngine01", {0, 0, -2}},
        {"Revolute/HpTurret01", {-4, 0.5f, 7.25f}},
        {"Revolute/HpGun02", {12.5f, -3, 0.125f}},
    };
    const HandNode hardpoints =
        Folder("Hardpoints",
               {Folder("Fixed", {HardpointNode("HpMount01", expected[0].position, aboutX),
                                 HardpointNode("HpEngine01", expected[1].position)}),
                Folder("Revolute", {HardpointNode("HpTurret01", expected[2].position, kQuarterZ),
                                    HardpointNode("HpGun02", expected[3].position, tilted)})});
    // The exporter wants a material on every mesh.
    const HandNode materials =
        Folder("Material library", {Folder("Steel", {Leaf("Dc", Le{}.f32s({1, 1, 1, 1}).bytes)})});
    const HandNode root = Folder(
        "\\", {Folder("VMeshLibrary", {Folder("trip.lod0.vms",
                                              {Leaf("VMeshData", Block({2}, NameHash("Steel")))})}),
               PartNode("trip.3db", Ref("trip.lod0.vms", 0, 0, 0, 1), {hardpoints}), materials});
    TempDir dir("hardpoint_trip");
    const std::string source = dir.File("trip.3db"), saved = dir.File("trip.ms3d"),
                      again = dir.File("again.cmp");
    ASSERT_TRUE(WriteWholeFile(source, FileOf(root)));
    auto r = Kaltrix({"import", source, "-o", saved});
    ASSERT_EQ(r.rc, 0) << r.err;
    r = Kaltrix({"export", saved, "-o", again, "--scale", "1", "--orientation", "back-to-front"});
    ASSERT_EQ(r.rc, 0) << r.err;

    WrittenFile written(again);
    ASSERT_TRUE(written.ok);
    for (const Expected& hp : expected) {
        // The part is named after the first mesh, the imported "Root".
        const std::vector<uint8_t> leaf =
            written.Leaf("Root.3db/Hardpoints/" + hp.path + "/Position");
        ByteReader reader(leaf);
        std::array<float, 3> position{};
        for (float& v : position) {
            reader.F32(v);
        }
        ASSERT_TRUE(reader.Ok() && reader.Remaining() == 0) << hp.path;
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(position[i], hp.position[i], 1e-5f) << hp.path << " coordinate " << i;
        }
    }
}

TEST(ImportCommand, OptionsReachTheDialog) {
    ExportedShip ship;
    TempFile out("import_options.ms3d");
    auto names = [&](std::vector<std::string> options) {
        std::vector<std::string> args{"import", ship.path(), "-o", out.path()};
        args.insert(args.end(), options.begin(), options.end());
        auto r = Kaltrix(args);
        EXPECT_EQ(r.rc, 0) << r.err;
        return ReadBack(out.path()).Names();
    };
    using N = std::vector<std::string>;
    EXPECT_EQ(names({"--no-hardpoints"}), (N{"hull", "wing"}));
    EXPECT_EQ(names({"--filter", ""}),
              (N{"hull", "Hp|Fixed|DpConnect", "wing", "Hp|Fixed|HpGun01"}));
    EXPECT_EQ(names({"--filter", "", "--hardpoints-after-model"}),
              (N{"hull", "wing", "Hp|Fixed|HpGun01", "Hp|Fixed|DpConnect"}));
}

TEST(ImportCommand, AKeptModelIsClearedUnlessToldNot) {
    ExportedShip ship;
    TempFile kept("import_kept.ms3d"), out("import_kept_out.ms3d");
    {
        test::TestModel model;
        model.Block("mine", {0, 0, 0}, {1, 1, 1}, model.Material("Wood"));
        const Status written = WriteMs3dModel(kept.path(), model.m);
        ASSERT_TRUE(written.Ok()) << written.Reason();
    }
    std::vector<uint8_t> before;
    ASSERT_TRUE(ReadWholeFile(kept.path(), before));
    auto r = Kaltrix({"import", ship.path(), "-o", out.path(), "--keep-model", kept.path()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(ReadBack(out.path()).Names(),
              (std::vector<std::string>{"hull", "wing", "Hp|Fixed|HpGun01"}));
    r = Kaltrix(
        {"import", ship.path(), "-o", out.path(), "--keep-model", kept.path(), "--no-clear"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(ReadBack(out.path()).Names(),
              (std::vector<std::string>{"mine", "hull", "wing", "Hp|Fixed|HpGun01"}));
    std::vector<uint8_t> after;
    ASSERT_TRUE(ReadWholeFile(kept.path(), after));
    EXPECT_EQ(after, before);
}

TEST(ImportCommand, MySettingsAreUsedAndKeptOnlyWhenAsked) {
    ExportedShip ship;
    test::TempDir config("import_config");
    TempFile out("import_mine.ms3d");
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    const std::string ini = config.File("Dorvish/Ommel.ini");
    std::filesystem::create_directories(config.File("Dorvish"));
    const std::string stored = "[Hardpoints]\nImport=0\n";
    ASSERT_TRUE(WriteWholeFile(ini, std::vector<uint8_t>(stored.begin(), stored.end())));
    auto r = Kaltrix({"import", ship.path(), "-o", out.path()});
    EXPECT_EQ(ReadBack(out.path()).Names().size(), 3u) << "a fresh run ignores the stored settings";
    r = Kaltrix({"import", ship.path(), "-o", out.path(), "--use-my-settings", "--filter", "Gun"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(ReadBack(out.path()).Names(), (std::vector<std::string>{"hull", "wing"}));
    std::vector<uint8_t> text;
    ASSERT_TRUE(ReadWholeFile(ini, text));
    EXPECT_NE(std::string(text.begin(), text.end()).find("Filter=\"Gun\""), std::string::npos);
    old ? ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
}

TEST(ImportCommand, RefusedFilesExitOneAndWriteNothing) {
    TempFile text("import_text.cmp"), out("import_refused.ms3d");
    ASSERT_TRUE(WriteWholeFile(text.path(), std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}));
    auto r = Kaltrix({"import", text.path(), "-o", out.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("File Open Error: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(" is not a Kaltrix model file"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("kaltrix: nothing was imported from " + text.path()), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out.path()));

    // A damaged file: its first node's sibling lies beyond the node block.
    ExportedShip ship;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(ship.path(), bytes));
    test::PutU32(bytes, 56 + 44, 999 * 44);
    TempFile damaged("import_damaged.cmp");
    ASSERT_TRUE(WriteWholeFile(damaged.path(), bytes));
    r = Kaltrix({"import", damaged.path(), "-o", out.path(), "--lod", "1"});
    EXPECT_EQ(r.rc, 1) << r.err;
    EXPECT_NE(r.err.find("Malformed File: "), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out.path()));
}

TEST(ImportCommand, UsageErrorsExitTwo) {
    ExportedShip ship;
    TempFile out("import_usage.ms3d");
    for (std::vector<std::string> args :
         {std::vector<std::string>{"import", ship.path()},
          {"import", "-o", out.path()},
          {"import", ship.path(), "-o", out.path(), "--lod", "-1"},
          {"import", ship.path(), "-o", out.path(), "--lod"},
          {"import", ship.path(), "-o", out.path(), "--colour"},
          // One level only: the combo box is disabled.
          {"import", ship.path(), "-o", out.path(), "--lod", "1"}}) {
        auto r = Kaltrix(args);
        EXPECT_EQ(r.rc, 2) << args.back() << ": " << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(out.path()));
}

// A material library defining Steel with a texture the library carries,
// written where asked.
std::string SteelLibrary(const std::string& path, const std::string& texture = "Steel.TGA",
                         const std::string& alpha = {}) {
    using test::Folder;
    using test::Leaf;
    std::vector<test::HandNode> steel = {Leaf("Dc", test::Le{}.f32s({0.5f, 0.25f, 1, 1}).bytes),
                                         Leaf("Dt_name", test::Str(texture))};
    std::vector<test::HandNode> textures = {
        Folder(texture, {Leaf("MIPS", test::Str("DDS steel"))})};
    if (!alpha.empty()) {
        steel.push_back(Leaf("Bt_name", test::Str(alpha)));
        textures.push_back(Folder(alpha, {Leaf("MIPS", test::Str("DDS alpha"))}));
    }
    const std::vector<uint8_t> bytes =
        test::FileOf(Folder("\\", {Folder("Material library", {Folder("Steel", std::move(steel))}),
                                   Folder("Texture library", std::move(textures))}));
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    EXPECT_TRUE(WriteWholeFile(path, bytes));
    return path;
}

// The materials of a written model: name and diffuse texture.
std::vector<std::pair<std::string, std::string>> Materials(const std::string& path) {
    ReadBack back(path);
    EXPECT_TRUE(back.ok);
    std::vector<std::pair<std::string, std::string>> out;
    for (int i = 0; i < msModel_GetMaterialCount(back.model.m); ++i) {
        msMaterial* m = msModel_GetMaterialAt(back.model.m, i);
        char name[64], texture[MS_MAX_PATH];
        msMaterial_GetName(m, name, sizeof name);
        msMaterial_GetDiffuseTexture(m, texture, sizeof texture);
        out.emplace_back(name, texture);
    }
    return out;
}

// A texture's name comes from the file: the summary prints it escaped,
// whether as a bare name or in the path of the file written for it.
TEST(ImportCommand, TheTextureSummaryPrintsNamesEscaped) {
    ExportedShip ship;
    test::TempDir work("import_escaped");
    const std::string library = SteelLibrary(work.File("steel.mat"), "S\x1b[2J\rx.TGA");
    const std::string out = work.File("out.ms3d");
    auto r = Kaltrix(
        {"import", ship.path(), "-o", out, "--materials", library, "--textures", work.File("tex")});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.out.find("\n" + out + ": 1 materials, textures "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\\x1b[2"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find_first_of("\x1b\r"), std::string::npos) << r.out;
}

TEST(ImportCommand, AChosenLibraryGivesMaterialsAndWritesTheirTextures) {
    ExportedShip ship;
    test::TempDir work("import_materials");
    const std::string library = SteelLibrary(work.File("lib/steel.mat"));
    const std::string textures = work.File("tex");
    const std::string out = work.File("out.ms3d");
    auto r =
        Kaltrix({"import", ship.path(), "-o", out, "--materials", library, "--textures", textures});
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string written = textures + "/steel.dds";
    EXPECT_EQ(r.out, out + ": 2 meshes, 2 triangles, 1 hardpoint markers imported from " +
                         ship.path() + "\n" + out + ": 1 materials, textures " + written + "\n");
    using M = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(Materials(out), (M{{"Steel", written}}));
    std::vector<uint8_t> dds;
    ASSERT_TRUE(ReadWholeFile(written, dds));
    EXPECT_EQ(std::string(dds.begin(), dds.end()), std::string("DDS steel", 10));
    // Both meshes use it.
    ReadBack back(out);
    for (int i : {0, 1}) {
        EXPECT_EQ(msMesh_GetMaterialIndex(msModel_GetMeshAt(back.model.m, i)), 0);
    }

    // A texture already there is used as it is.
    ASSERT_TRUE(WriteWholeFile(written, std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
    r = Kaltrix({"import", ship.path(), "-o", out, "--materials", library, "--textures", textures});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(Materials(out), (M{{"Steel", written}}));
    ASSERT_TRUE(ReadWholeFile(written, dds));
    EXPECT_EQ(dds, (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
}

// Stored texture names that run on after their extension, as some tools
// leave them: every texture is written under a name that opens, and the
// material names those files.
TEST(ImportCommand, SuffixedTextureNamesGiveFilesThatOpen) {
    ExportedShip ship;
    test::TempDir work("import_suffixed");
    const std::string library = SteelLibrary(
        work.File("steel.mat"), "2P_S 21.tga0212102031572P_S 21o.tga", "2P_S 07.tga021210203157");
    const std::string textures = work.File("tex");
    const std::string out = work.File("out.ms3d");
    auto r =
        Kaltrix({"import", ship.path(), "-o", out, "--materials", library, "--textures", textures});
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string diffuse = textures + "/2p_s 21.dds";
    EXPECT_EQ(r.out, out + ": 2 meshes, 2 triangles, 1 hardpoint markers imported from " +
                         ship.path() + "\n" + out + ": 1 materials, textures " + diffuse + "\n");
    using M = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(Materials(out), (M{{"Steel", diffuse}}));
    EXPECT_TRUE(std::filesystem::is_regular_file(diffuse));
    EXPECT_TRUE(std::filesystem::is_regular_file(textures + "/2p_s 07.dds"));
    ReadBack back(out);
    char alpha[MS_MAX_PATH];
    msMaterial_GetAlphaTexture(msModel_GetMaterialAt(back.model.m, 0), alpha, sizeof alpha);
    EXPECT_EQ(alpha, textures + "/2p_s 07.dds");
}

// What the import left out is said: materials no file defined, textures
// that name no file (not in the library, or the folder takes no file).
TEST(ImportCommand, TheSummaryNamesWhatWasLeftOut) {
    ExportedShip ship;
    test::TempDir work("import_left_out");
    const std::string library = SteelLibrary(work.File("steel.mat"));
    const std::string blocked = work.File("blocked");
    ASSERT_TRUE(WriteWholeFile(blocked, std::vector<uint8_t>{'x'}));
    const std::string out = work.File("out.ms3d");
    auto r = Kaltrix(
        {"import", ship.path(), "-o", out, "--materials", library, "--textures", blocked + "/tex"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, out + ": 2 meshes, 2 triangles, 1 hardpoint markers imported from " +
                         ship.path() + "\n" + out + ": 1 materials, textures Steel.TGA\n" + out +
                         ": textures not written: Steel.TGA\n");
}

// A library named with --materials that does not load is said so, exit 1,
// and the model without its materials is not written.
TEST(ImportCommand, AMaterialsFileThatDoesNotLoadExitsOne) {
    ExportedShip ship;
    test::TempDir work("import_bad_materials");
    const std::string out = work.File("out.ms3d");
    std::vector<uint8_t> cut;
    ASSERT_TRUE(ReadWholeFile(SteelLibrary(work.File("steel.mat")), cut));
    cut.resize(cut.size() / 2);
    const std::string truncated = work.File("cut.mat");
    ASSERT_TRUE(WriteWholeFile(truncated, cut));
    for (const std::string& bad : {work.File("missing.mat"), truncated, ship.path()}) {
        auto r = Kaltrix(
            {"import", ship.path(), "-o", out, "--materials", bad, "--textures", work.File("tex")});
        EXPECT_EQ(r.rc, 1) << bad;
        EXPECT_NE(r.err.find("File Error: " + bad), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("kaltrix: the material library " + bad +
                             " did not load; nothing was written to " + out),
                  std::string::npos)
            << r.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST(ImportCommand, TexturesGoBesideTheOutputByDefault) {
    ExportedShip ship;
    test::TempDir work("import_default_textures");
    const std::string library = SteelLibrary(work.File("steel.mat"));
    const std::string out = work.File("o/out.ms3d");
    std::filesystem::create_directories(work.File("o"));
    auto r = Kaltrix({"import", ship.path(), "-o", out, "--materials", library});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(work.File("o/textures/steel.dds")));
}

TEST(ImportCommand, TheSearchRunsWhenAskedAndStaysBelowItsTop) {
    ExportedShip ship;
    namespace fs = std::filesystem;
    // The ship's folder: outer/inner/ship; a library two folders up.
    test::TempDir outer("import_search");
    const fs::path inner = fs::path(outer.path()) / "inner";
    const fs::path model = inner / "ship" / "import_ship.cmp";
    fs::create_directories(model.parent_path());
    fs::copy_file(ship.path(), model);
    SteelLibrary((fs::path(outer.path()) / "shared.mat").string());
    const std::string out = outer.File("out.ms3d");
    auto materials = [&](std::vector<std::string> options) {
        std::vector<std::string> args = {"import", model.string(), "-o",
                                         out,      "--textures",   outer.File("tex")};
        args.insert(args.end(), options.begin(), options.end());
        auto r = Kaltrix(args);
        EXPECT_EQ(r.rc, 0) << r.err;
        return Materials(out).size();
    };
    EXPECT_EQ(materials({}), 0u);  // no search unless asked
    EXPECT_EQ(materials({"--search-top", inner.string()}), 0u);
    EXPECT_EQ(materials({"--search-top", outer.path()}), 1u);
    EXPECT_EQ(materials({"--search-top", outer.path(), "--no-search"}), 0u);
    // Extract off: neither the model's own library nor a search is read.
    EXPECT_EQ(materials({"--search-top", outer.path(), "--no-extract"}), 0u);

    // Beside the model, the same stem: found by the search of the model's
    // folder without climbing at all.
    SteelLibrary((model.parent_path() / "import_ship.mat").string());
    EXPECT_EQ(materials({"--search-top", model.parent_path().string()}), 1u);
}

TEST(ImportCommand, MaterialOptionsNeedTheirValues) {
    ExportedShip ship;
    TempFile out("import_material_usage.ms3d");
    for (const char* option : {"--textures", "--materials", "--search-top"}) {
        auto r = Kaltrix({"import", ship.path(), "-o", out.path(), option});
        EXPECT_EQ(r.rc, 2) << option;
        r = Kaltrix({"import", ship.path(), "-o", out.path(), option, ""});
        EXPECT_EQ(r.rc, 2) << option;
    }
    EXPECT_FALSE(std::filesystem::exists(out.path()));
}

}  // namespace
}  // namespace kx
