// Every command's output named through a symbolic link: a slip or a planted
// link must not replace the unrelated file it leads to.

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/tests/CliRun.h"
#include "exporter/tests/ExportHarness.h"
#include "ms3d/Ms3dIo.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Contents(const std::string& path) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(ReadWholeFile(path, bytes)) << path;
    return bytes;
}

size_t Entries(const std::string& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

TEST(OutputLinks, ALinkToAnotherKindOfFileIsRefusedAndBothAreKept) {
    test::TempDir dir("output_links");
    const std::string ship = dir.File("ship.ms3d"), model = dir.File("ship.cmp");
    {
        test::TestModel m;
        const int steel = m.Material("Steel");
        m.Block("hull", {0, 0, 0}, {1, 1, 1}, steel);
        const Status written = WriteMs3dModel(ship, m.m);
        ASSERT_TRUE(written.Ok()) << written.Reason();
    }
    ASSERT_EQ(Kaltrix({"export", ship, "-o", model}).rc, 0);
    const std::string notes = dir.File("notes.txt");
    const std::vector<uint8_t> kept{'k', 'e', 'e', 'p'};
    ASSERT_TRUE(WriteWholeFile(notes, kept));

    struct Case {
        std::string link;
        std::vector<std::string> args;
        std::string caption;  // of the plug-in's message; none for kaltrix's own
    };
    auto at = [&](const char* name) { return dir.File(name); };
    std::vector<Case> cases = {
        {at("new.cmp"), {"export", ship, "-o", at("new.cmp")}, "File Error: "},
        {at("updated.cmp"), {"export", ship, "-o", at("updated.cmp"), "--update"}, "File Error: "},
        {at("saved.ces"),
         {"export", ship, "-o", at("unwritten.cmp"), "--save-settings", at("saved.ces")},
         "File Error: "},
        {at("settings.ces"), {"settings", "-o", at("settings.ces")}, "File Error: "},
        {at("hulls.sur"), {"sur", ship, "-o", at("hulls.sur")}, "File Error: "},
        {at("imported.ms3d"), {"import", model, "-o", at("imported.ms3d")}, "kaltrix: "},
#ifdef KALTRIX_RENDER
        {at("picture.png"), {"render", ship, "-o", at("picture.png")}, "kaltrix: "},
#endif
    };
    for (const Case& c : cases) {
        fs::create_symlink(notes, c.link);
        const size_t entries = Entries(dir.path());
        auto r = Kaltrix(c.args);
        EXPECT_EQ(r.rc, 1) << c.args[0] << ' ' << c.link;
        EXPECT_NE(
            r.err.find(c.caption + c.link + " is a symbolic link to " + notes + ", not to a " +
                       fs::path(c.link).extension().string() + " file; neither was changed\n"),
            std::string::npos)
            << r.err;
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(c.link))) << c.link;
        EXPECT_EQ(fs::read_symlink(c.link), notes);
        EXPECT_EQ(Contents(notes), kept) << c.args[0];
        EXPECT_EQ(Entries(dir.path()), entries) << c.args[0] << ": something was left beside it";
    }
}

}  // namespace
}  // namespace kx
