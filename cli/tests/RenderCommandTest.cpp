#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/tests/CliRun.h"
#include "exporter/tests/ExportHarness.h"
#include "host/FileIo.h"
#include "ms3d/Ms3dIo.h"

namespace kx {
namespace {

// A model file of two blocks and a hardpoint marker.
class BlockFile {
  public:
    BlockFile() : file_("render_blocks.ms3d") {
        test::TestModel model;
        const int steel = model.Material("Steel");
        model.Block("hull", {0, 0, 0}, {1, 1, 1}, steel);
        model.Block("wing", {2, 0, 0}, {3, 1, 1}, steel);
        model.Marker("Hp_Fixed_HpWeapon01", 3, 1, 1);
        const Status written = WriteMs3dModel(file_.path(), model.m);
        EXPECT_TRUE(written.Ok()) << written.Reason();
    }
    const std::string& path() const { return file_.path(); }

  private:
    TempFile file_;
};

std::string Contents(const std::string& path) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadWholeFile(path, bytes)) << path;
    return std::string(bytes.begin(), bytes.end());
}

int Lines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST(RenderCommand, WritesAPngForEveryView) {
    BlockFile model;
    TempFile out("render_out.png");
    for (const char* view : {"sheet", "front", "back", "left", "right", "top", "bottom", "iso"}) {
        std::filesystem::remove(out.path());
        auto r = Kaltrix(
            {"render", model.path(), "-o", out.path(), "--view", view, "--size", "160x120"});
        ASSERT_EQ(r.rc, 0) << view << ": " << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(Contents(out.path()).substr(0, 8), "\x89PNG\r\n\x1a\n") << view;
    }
    auto r = Kaltrix({"render", model.path(), "-o", out.path(), "--no-hardpoints"});
    EXPECT_EQ(r.rc, 0) << r.err;
    for (const char* labels : {"fit", "all", "none"}) {
        r = Kaltrix({"render", model.path(), "-o", out.path(), "--labels", labels});
        EXPECT_EQ(r.rc, 0) << labels << ": " << r.err;
    }
}

TEST(RenderCommand, DrawsTheGameModelTheExporterWrote) {
    BlockFile model;
    TempFile cmp("render_blocks.cmp"), out("render_cmp.png");
    auto exported = Kaltrix({"export", model.path(), "-o", cmp.path(), "--groups", "1,1"});
    ASSERT_EQ(exported.rc, 0) << exported.err;
    auto r = Kaltrix({"render", cmp.path(), "-o", out.path(), "--lod", "0"});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(Contents(out.path()).substr(0, 4), "\x89PNG");
    // A level the file lacks is the file's fault, not the command line's.
    std::filesystem::remove(out.path());
    r = Kaltrix({"render", cmp.path(), "-o", out.path(), "--lod", "2"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "kaltrix: " + cmp.path() + ": has level 0 only\n");
    EXPECT_FALSE(std::filesystem::exists(out.path()));
    // Hulls from a file that is not a surface: refused, nothing written.
    r = Kaltrix({"render", cmp.path(), "-o", out.path(), "--hulls", model.path() + ".sur"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(Lines(r.err), 1) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out.path()));
}

TEST(RenderCommand, UsageErrorsExitTwoAndWriteNothing) {
    BlockFile model;
    TempFile out("render_usage.png");
    const std::string in = model.path(), o = out.path();
    const std::vector<std::vector<std::string>> cases{
        {"render", in},
        {"render", "-o", o},
        {"render", in, "-o"},
        {"render", in, "-o", o, "--view", "side"},
        {"render", in, "-o", o, "--size", "1024"},
        {"render", in, "-o", o, "--size", "16x16"},
        {"render", in, "-o", o, "--size", "100x-5"},
        {"render", in, "-o", o, "--size", "9000x100"},
        {"render", in, "-o", o, "--lod", "x"},
        {"render", in, "-o", o, "--lod", "1"},
        {"render", in, "-o", o, "--hulls", "ship.sur"},
        {"render", in, "-o", o, "--frobnicate"},
        {"render", in, "-o", o, "--labels", "some"},
        {"render", in, "-o", o, "--labels"},
        {"render", in, in, "-o", o},
        // A slip that would have written a picture over the model.
        {"render", in, "-o", in},
    };
    for (const auto& args : cases) {
        auto r = Kaltrix(args);
        EXPECT_EQ(r.rc, 2) << args.back();
        EXPECT_EQ(Lines(r.err), 1) << r.err;
        EXPECT_FALSE(std::filesystem::exists(o));
    }
    EXPECT_EQ(Contents(in).substr(0, 10), "MS3D000000");
}

TEST(RenderCommand, UnreadableInputsExitOneAndLeaveTheTargetAlone) {
    TempFile out("render_kept.png");
    {
        std::ofstream keep(out.path(), std::ios::binary);
        keep << "keep";
    }
    TempFile damaged("render_damaged.ms3d");
    {
        std::ofstream bytes(damaged.path(), std::ios::binary);
        bytes << "MS3D000000\x04\0\0\0garbage";
    }
    TempFile folder("render_folder.ms3d");
    std::filesystem::create_directory(folder.path());
    for (const std::string& input : {std::string("/nonexistent/ship.ms3d"), damaged.path(),
                                     folder.path(), folder.path() + "/x.txt"}) {
        auto r = Kaltrix({"render", input, "-o", out.path()});
        EXPECT_EQ(r.rc, 1) << input;
        EXPECT_EQ(Lines(r.err), 1) << r.err;
        EXPECT_NE(r.err.find(input), std::string::npos) << r.err;
    }
    EXPECT_EQ(Contents(out.path()), "keep");
}

TEST(RenderCommand, UnwritableOutputExitsOne) {
    BlockFile model;
    TempFile folder("render_folder.png");
    std::filesystem::create_directory(folder.path());
    for (const std::string& output : {std::string("/nonexistent/dir/out.png"), folder.path()}) {
        auto r = Kaltrix({"render", model.path(), "-o", output, "--size", "64x64"});
        EXPECT_EQ(r.rc, 1) << output;
        EXPECT_EQ(r.err, "kaltrix: " + output +
                             (output == folder.path() ? " is not a regular file\n"
                                                      : ": cannot write the file\n"));
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder.path()));
}

}  // namespace
}  // namespace kx
