// Layouts of the game's own models that lost parts or were refused: what
// info prints for each, and what import and render make of them.

#include <gtest/gtest.h>

#include "cli/tests/CliRun.h"
#include "importer/tests/ImportFiles.h"

namespace kx {
namespace {

using namespace test;

class GameFile {
  public:
    GameFile(const std::string& name, const std::vector<uint8_t>& bytes) : file_(name) {
        EXPECT_TRUE(WriteWholeFile(file_.path(), bytes));
    }
    const std::string& path() const { return file_.path(); }

  private:
    TempFile file_;
};

// A station: the part file "cell.3db" is contained in "Root_cell.3db",
// which comes first.
TEST(GameLayouts, APartFindsItsOwnNode) {
    GameFile cmp("layout_station.cmp",
                 FileOf(Folder("\\", {Library({Lod("s.lod0.vms", Block({1, 2, 3}))}),
                                      Folder("Cmpnd", {Entry("Root", "Root_cell.3db", "Root"),
                                                       Entry("Part_cell", "cell.3db", "cell")}),
                                      PartNode("Root_cell.3db", Ref("s.lod0.vms", 0, 0, 0, 1)),
                                      PartNode("cell.3db", Ref("s.lod0.vms", 0, 3, 1, 2))})));
    auto r = Kaltrix({"info", cmp.path()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out,
              "model\tlevels=1\n"
              "level\ts.lod0.vms\tmeshes=3\ttriangles=6\tvertices=18\tparts=2\n"
              "  part\tRoot_cell.3db\t0x12688F2D\tparent=-\tmeshes=1\n"
              "  part\tcell.3db\t0x056DA10A\tparent=-\tmeshes=2\n"
              "  materials=0\n"
              "hardpoints=0\n");
}

// A damage model: an empty MultiLevel/Level0 before the real one.
TEST(GameLayouts, AnEmptyLevelFolderDoesNotLoseThePart) {
    GameFile cmp("layout_damage.cmp", StrayLevelModel(true));
    auto r = Kaltrix({"info", cmp.path()});
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string head =
        "model\tlevels=1\n"
        "level\td.lod0.vms\tmeshes=2\ttriangles=2\tvertices=6\tparts=1\n";
    const std::string tail =
        "  materials=0\n"
        "hardpoints=1\n"
        "  hardpoint\td.3db\tFixed\tHpMount01\n";
    EXPECT_EQ(r.out, head + "  part\td.3db\t0x12688F2D\tparent=-\tmeshes=2\n" + tail);

    // No level folder holds a reference: the part stays, named, with its
    // hardpoints.
    GameFile bare("layout_damage_bare.cmp", StrayLevelModel(false));
    r = Kaltrix({"info", bare.path()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, head + "  part\td.3db\t0x12688F2D\tparent=-\tmeshes=0\n" +
                         "  materials=0\n  note\tpart d.3db has no mesh reference for Level0\n" +
                         tail.substr(tail.find("hardpoints")));
    TempFile out("layout_damage_bare.ms3d");
    r = Kaltrix({"import", bare.path(), "-o", out.path()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.err, "Warning: part d.3db has no mesh reference for Level0\n");
    EXPECT_EQ(r.out, out.path() + ": 0 meshes, 0 triangles, 1 hardpoint markers imported from " +
                         bare.path() + "\n");
}

// An interface object: its parts' meshes are in a shared mesh library.
TEST(GameLayouts, MeshesInAMeshLibraryFile) {
    GameFile cmp("layout_iface.cmp",
                 FileOf(Folder("\\", {Folder("Cmpnd", {Entry("Root", "a.3db", "Root")}),
                                      PartNode("a.3db", Ref("iface.lod0.vms", 0, 0, 0, 1),
                                               {OneHardpoint("HpMount01")})})));
    GameFile vms("layout_iface.vms",
                 FileOf(Folder("\\", {Library({Lod("other.lod0.vms", Block({4})),
                                               Lod("iface.lod0.vms", Block({2}))})})));
    const std::string why = "its meshes are in another mesh library file: 0x0D4136C0";
    ASSERT_EQ(NameHash("iface.lod0.vms"), 0x0D4136C0u);
    auto r = Kaltrix({"info", cmp.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.out, "model\tlevels=0\n");
    EXPECT_EQ(r.err, "kaltrix: " + cmp.path() + ": " + why + "\n");
    // Read as if in the model's own library: both blocks of level 0.
    r = Kaltrix({"info", cmp.path(), "--mesh-library", vms.path()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out,
              "model\tlevels=1\n"
              "level\tother.lod0.vms\tmeshes=2\ttriangles=6\tvertices=18\tparts=1\n"
              "  part\ta.3db\t0x12688F2D\tparent=-\tmeshes=1\n"
              "  materials=0\n"
              "hardpoints=1\n"
              "  hardpoint\ta.3db\tFixed\tHpMount01\n");

    TempFile out("layout_iface.ms3d");
    r = Kaltrix({"import", cmp.path(), "-o", out.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "Malformed File: No Data: " + cmp.path() +
                         " Does not seem to contain useable data: " + why +
                         ".  Aborting Import\nkaltrix: nothing was imported from " + cmp.path() +
                         "\n");
    r = Kaltrix({"import", cmp.path(), "-o", out.path(), "--mesh-library", vms.path()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, out.path() + ": 1 meshes, 2 triangles, 1 hardpoint markers imported from " +
                         cmp.path() + "\n");

#ifdef KALTRIX_RENDER
    TempFile png("layout_iface.png");
    r = Kaltrix({"render", cmp.path(), "-o", png.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "kaltrix: " + cmp.path() + ": " + why + "\n");
    r = Kaltrix({"render", cmp.path(), "-o", png.path(), "--mesh-library", vms.path()});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(Kaltrix({"render", out.path(), "-o", png.path(), "--mesh-library", vms.path()}).rc,
              2);
#endif

    // A file that holds no mesh library is refused by name.
    r = Kaltrix({"import", cmp.path(), "-o", out.path(), "--mesh-library", cmp.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err.rfind("File Open Error: " + cmp.path() +
                              " is not a mesh library file: holds no VMeshLibrary\n",
                          0),
              0u)
        << r.err;

    r = Kaltrix({"info", cmp.path(), "--mesh-library", cmp.path() + ".none"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "kaltrix: " + cmp.path() + ".none: could not be read\n");
    r = Kaltrix({"info", cmp.path(), "--mesh-library", out.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find(out.path()), std::string::npos) << r.err;
    EXPECT_EQ(Kaltrix({"info", out.path(), "--mesh-library", vms.path()}).rc, 2);
}

// A shield holder: hardpoints and nothing else.
TEST(GameLayouts, AModelWithoutMeshes) {
    GameFile holder("layout_holder.3db", FileOf(Folder("\\", {OneHardpoint("HpShield01")})));
    auto r = Kaltrix({"info", holder.path()});
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string head =
        "model\tlevels=0\n"
        "level\t-\tmeshes=0\ttriangles=0\tvertices=0\tparts=1\n"
        "  part\tRoot\t0x00000000\tparent=-\tmeshes=0\n"
        "  materials=0\n";
    EXPECT_EQ(r.out, head + "hardpoints=1\n  hardpoint\tRoot\tFixed\tHpShield01\n");
    TempFile out("layout_holder.ms3d");
    r = Kaltrix({"import", holder.path(), "-o", out.path()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, out.path() + ": 0 meshes, 0 triangles, 1 hardpoint markers imported from " +
                         holder.path() + "\n");

    // With neither meshes nor hardpoints there is nothing to import, but
    // info still says what is there.
    GameFile empty("layout_empty.3db", FileOf(Folder("\\", {Leaf("Exporter Version", Str("x"))})));
    r = Kaltrix({"info", empty.path()});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, head + "hardpoints=0\n");
    r = Kaltrix({"import", empty.path(), "-o", out.path()});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "Malformed File: No Data: " + empty.path() +
                         " Does not seem to contain useable data.  Aborting Import\n"
                         "kaltrix: nothing was imported from " +
                         empty.path() + "\n");
}

}  // namespace
}  // namespace kx
