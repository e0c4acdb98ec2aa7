#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "cli/tests/CliRun.h"
#include "exporter/tests/ExportHarness.h"
#include "host/FileIo.h"
#include "host/headless/HeadlessModel.h"
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
        const Status written = WriteMs3dModel(file_.path(), model.m);
        EXPECT_TRUE(written.Ok()) << written.Reason();
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

TEST(ExportCommand, RunsTheExporterLibraryBesideTheProgram) {
    ShipFile ship;
    test::TempDir dir("export_library");
    const std::string viaLibrary = dir.File("library.cmp"), inProcess = dir.File("linked.cmp");
    auto r = Kaltrix({"export", ship.path(), "-o", viaLibrary, "--groups", "1,1"});
    ASSERT_EQ(r.rc, 0) << r.err;

    // The same export with the exporter's classes linked in gives the same bytes.
    msModel* model = kxModel_Create();
    auto read = ReadMs3dModel(ship.path(), model);
    ASSERT_TRUE(read) << read.Reason();
    test::ExportRun run;
    run.New(inProcess).Groups({1, 1}).Continue();
    EXPECT_EQ(run.Execute(model), 0);
    kxModel_Free(model);
    std::vector<uint8_t> a, b;
    ASSERT_TRUE(ReadWholeFile(viaLibrary, a));
    ASSERT_TRUE(ReadWholeFile(inProcess, b));
    EXPECT_EQ(a, b);

    // Without the library beside the program there is no export.
    std::ostringstream out, err;
    CliContext elsewhere{out, err, dir.File("")};
    const std::string missed = dir.File("missed.cmp");
    EXPECT_EQ(RunKaltrix({"export", ship.path(), "-o", missed}, elsewhere), 1);
    const std::string message = err.str();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_EQ(message.rfind("kaltrix: Tarrow.so: ", 0), 0u) << message;
    EXPECT_FALSE(std::filesystem::exists(missed));
}

TEST(ExportCommand, OnlyRegularFilesAreReplaced) {
    ShipFile ship;
    test::TempDir dir("export_targets");
    std::filesystem::create_directories(dir.File("folder/inside"));
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    for (const char* name : {"folder", "pipe"}) {
        const std::string target = dir.File(name);
        for (bool update : {false, true}) {
            std::vector<std::string> args{"export", ship.path(), "-o", target};
            if (update) {
                args.push_back("--update");
            }
            auto r = Kaltrix(args);
            EXPECT_EQ(r.rc, 1) << name;
            EXPECT_EQ(r.err, "File Error: " + target + " is not a regular file\n");
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder/inside")));
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("pipe")));

    // A link is written through: the file it names gets the model.
    std::filesystem::create_directories(dir.File("real"));
    std::filesystem::create_symlink("real/ship.cmp", dir.File("link.cmp"));
    auto r = Kaltrix({"export", ship.path(), "-o", dir.File("link.cmp"), "--groups", "1,1"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.cmp")));
    EXPECT_TRUE(test::WrittenFile(dir.File("real/ship.cmp")).ok);

    // Settings are neither read from nor saved into anything but a file (a
    // pipe with no writer would otherwise hold the run for ever).
    for (const char* option : {"--settings", "--save-settings"}) {
        r = Kaltrix({"export", ship.path(), "-o", dir.File("ship.cmp"), option, dir.File("pipe")});
        EXPECT_EQ(r.rc, 1) << option;
        EXPECT_EQ(r.err, "File Error: " + dir.File("pipe") + " is not a regular file\n") << option;
        EXPECT_TRUE(std::filesystem::is_fifo(dir.File("pipe")));
        EXPECT_FALSE(std::filesystem::exists(dir.File("ship.cmp")));
    }
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
        EXPECT_EQ(r.err, "File Error: " + folder.path() + " is not a regular file\n");
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
