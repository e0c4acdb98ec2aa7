#include <gtest/gtest.h>

#include <filesystem>

#include "cli/tests/CliRun.h"
#include "container/FileIo.h"
#include "exporter/tests/ExportHarness.h"
#include "ms3d/Ms3dIo.h"

namespace kx {
namespace {

// A model file of two meshes, "hull" and "wing".
class ShipFile {
  public:
    ShipFile() : file_("export_ship.ms3d") {
        test::TestModel model;
        const int steel = model.Material("Steel");
        model.Block("hull", {0, 0, 0}, {1, 1, 1}, steel);
        model.Block("wing", {2, 0, 0}, {3, 1, 1}, steel);
        std::string error;
        EXPECT_TRUE(WriteMs3dModel(file_.path(), model.m, error)) << error;
    }
    const std::string& path() const { return file_.path(); }

  private:
    TempFile file_;
};

TEST(ExportCommand, WritesTheModelAndExitsZero) {
    ShipFile ship;
    TempFile out("export_ship.cmp");
    auto r = Kaltrix({"export", ship.path(), "-o", out.path(), "--groups", "1,1"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.err, "");
    test::WrittenFile file(out.path());
    ASSERT_TRUE(file.ok);
    EXPECT_EQ(file.Children("Cmpnd"), (std::vector<std::string>{"Cons", "Root", "Part_wing_lod1"}));
}

TEST(ExportCommand, ExitsOneWhenNothingWasWritten) {
    ShipFile ship;
    TempFile out("export_nothing.cmp");
    auto r = Kaltrix({"export", ship.path(), "-o", out.path(), "--groups", "1,2"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "Warning: Number of mesh group quantities does not match model - Exiting\n");
    EXPECT_FALSE(std::filesystem::exists(out.path()));
}

TEST(ExportCommand, RefusesOptionsWhoseControlIsDisabled) {
    ShipFile ship;
    TempFile out("export_refused.cmp");
    for (std::vector<std::string> options :
         {std::vector<std::string>{"--type", "cockpit", "--lod", "1"}, {"--fov", "1,1,1,1"}}) {
        std::vector<std::string> args{"export", ship.path(), "-o", out.path()};
        args.insert(args.end(), options.begin(), options.end());
        auto r = Kaltrix(args);
        EXPECT_EQ(r.rc, 2);
        EXPECT_NE(r.err.find(options[options.size() - 2] + " " + options.back() + " refused"),
                  std::string::npos)
            << r.err;
        EXPECT_FALSE(std::filesystem::exists(out.path()));
    }
    // The other way round the cockpit simply goes back to level 0.
    auto r = Kaltrix({"export", ship.path(), "-o", out.path(), "--lod", "1", "--type", "cockpit"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(test::WrittenFile(out.path()).Has("CockpitCamera.cam/Camera/Fovx"));
}

TEST(ExportCommand, SavedSettingsServeALaterUpdate) {
    ShipFile ship;
    TempFile out("export_levels.cmp"), ces("export_groups.ces");
    auto r = Kaltrix({"export", ship.path(), "-o", out.path(), "--save-settings", ces.path(),
                      "--groups", "1,1"});
    ASSERT_EQ(r.rc, 0) << r.err;
    std::vector<uint8_t> saved;
    ASSERT_TRUE(ReadWholeFile(ces.path(), saved));
    ASSERT_EQ(saved.size(), 192u);
    EXPECT_EQ(std::vector<uint8_t>(saved.begin() + 12, saved.begin() + 24),
              test::Le().u32(2).u32(1).u32(1).bytes);

    // The groups come from the file, the level from the option after it.
    r = Kaltrix({"export", ship.path(), "-o", out.path(), "--update", "--settings", ces.path(),
                 "--lod", "1"});
    ASSERT_EQ(r.rc, 0) << r.err;
    test::WrittenFile file(out.path());
    EXPECT_EQ(file.Children("wing_lod1.3db/MultiLevel"),
              (std::vector<std::string>{"Level0", "Level1", "Switch2"}));
}

// Settings that could not be saved, or loaded, stop the run before Continue.
TEST(ExportCommand, AFailedSettingsFileExportsNothing) {
    ShipFile ship;
    TempFile out("export_unsaved.cmp"), folder("export_settings_folder");
    std::filesystem::create_directory(folder.path());
    for (const char* option : {"--save-settings", "--settings"}) {
        auto r = Kaltrix(
            {"export", ship.path(), "-o", out.path(), option, folder.path(), "--groups", "1,1"});
        EXPECT_EQ(r.rc, 1) << option;
        EXPECT_EQ(r.err, "File Open Error: Settings file could not be opened\n");
        EXPECT_FALSE(std::filesystem::exists(out.path()));
        EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
    }
}

// Each refusal is one line and leaves the file byte for byte as it was.
TEST(ExportCommand, UpdateRefusalsLeaveTheFileAsItWas) {
    ShipFile ship;
    TempFile text("export_text.cmp"), model("export_single.cmp");
    const std::vector<uint8_t> notes{'n', 'o', 't', 'e', 's', '\n'};
    ASSERT_TRUE(WriteWholeFile(text.path(), notes));
    auto r = Kaltrix({"export", ship.path(), "-o", text.path(), "--update"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "File Error: " + text.path() + " is not a model file and was not changed\n");
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(text.path(), bytes));
    EXPECT_EQ(bytes, notes);

    ASSERT_EQ(Kaltrix({"export", ship.path(), "-o", model.path()}).rc, 0);
    std::vector<uint8_t> before;
    ASSERT_TRUE(ReadWholeFile(model.path(), before));
    r = Kaltrix({"export", ship.path(), "-o", model.path(), "--update", "--lod", "2"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "Error: Level 2 cannot be added before level 1.\n");
    ASSERT_TRUE(ReadWholeFile(model.path(), bytes));
    EXPECT_EQ(bytes, before);
}

}  // namespace
}  // namespace kx
