// kaltrix import through the Ommel library: models exported by kaltrix
// export come back, the options reach the dialog, refusals exit 1 and leave
// every file as it was.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "cli/tests/CliRun.h"
#include "container/FileIo.h"
#include "exporter/tests/ExportHarness.h"
#include "host/HeadlessModel.h"
#include "ms3d/Ms3dIo.h"

namespace kx {
namespace {

// A two-part ship ("hull", "wing") with a gun on the wing and a decal
// marker: exported as a compound by kaltrix export.
class ExportedShip {
  public:
    ExportedShip() : source_("import_ship.ms3d"), cmp_("import_ship.cmp") {
        test::TestModel model;
        const int steel = model.Material("Steel");
        model.Block("hull", {0, 0, 0}, {1, 1, 1}, steel);
        model.Block("wing", {2, 0, 0}, {3, 1, 1}, steel);
        model.Marker("Hp_Fixed_HpGun01", 2.5f, 0.5f, 0.5f);
        model.Marker("Hp_Fixed_DpConnect", 0.5f, 0.5f, 0.5f);
        std::string error;
        EXPECT_TRUE(WriteMs3dModel(source_.path(), model.m, error)) << error;
        auto r = Kaltrix({"export", source_.path(), "-o", cmp_.path(), "--groups", "1,1"});
        EXPECT_EQ(r.rc, 0) << r.err;
    }
    const std::string& path() const { return cmp_.path(); }

  private:
    TempFile source_, cmp_;
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

TEST(ImportCommand, AnExportedShipComesBack) {
    ExportedShip ship;
    TempFile out("import_back.ms3d");
    auto r = Kaltrix({"import", ship.path(), "-o", out.path()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, out.path() + ": 2 meshes, 2 triangles, 1 hardpoint markers imported from " +
                         ship.path() + "\n");
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
    // The notch is the first triangle's last corner (the file keeps
    // vertices in the order triangles use them).
    word corners[3];
    msTriangle_GetVertexIndices(msMesh_GetTriangleAt(msModel_GetMeshAt(back.model.m, 2), 0),
                                corners);
    const auto notch = back.Position(2, corners[2]);
    EXPECT_NEAR(notch[0], 2.5, 1e-5);
    EXPECT_NEAR(notch[1], 0.5, 1e-5);
    EXPECT_NEAR(notch[2], 0.5, 1e-5);
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
        std::string error;
        ASSERT_TRUE(WriteMs3dModel(kept.path(), model.m, error));
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

}  // namespace
}  // namespace kx
