// The model exporter run as a person runs it: the settings window, the
// result window and the file they write, compared with files spelled out by
// hand.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

#include "container/NameHash.h"
#include "exporter/tests/ExportHarness.h"
#include "host/FileIo.h"

namespace kx::test {
namespace {

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

const std::vector<uint8_t> kIdentityRows = Le().f32s({1, 0, 0, 0, 1, 0, 0, 0, 1}).bytes;

// A triangle at (x, y, z), (x + 1, y, z), (x, y - 1, z): its face and vertex
// normals are (0, 0, -1), its uv (0, 0.5), (0.25, 0.5), (0.5, 0.5).
void Triangle(TestModel& model, const char* name, float x, float y, float z, int material) {
    model.Mesh(name, {At(x, y, z), At(x + 1, y, z), At(x, y - 1, z)}, material);
}

// That triangle's three vertices in a mesh data block.
Le& TriangleVertices(Le& b, float x, float y, float z) {
    b.f32s({x, y, z, 0, 0, -1, 0, 0.5f});
    b.f32s({x + 1, y, z, 0, 0, -1, 0.25f, 0.5f});
    return b.f32s({x, y - 1, z, 0, 0, -1, 0.5f, 0.5f});
}

// "VMeshRef": 60, the library's id, the ranges, the box, centre, radius.
std::vector<uint8_t> MeshRef(const std::string& library, std::array<uint16_t, 6> ranges,
                             std::array<float, 6> box, std::array<float, 3> centre, float radius) {
    Le b;
    b.u32(60).u32(NameHash(library));
    for (uint16_t v : ranges) {
        b.u16(v);
    }
    for (float v : box) {
        b.f32(v);
    }
    return b.f32s({centre[0], centre[1], centre[2], radius}).bytes;
}

TEST(TarrowExport, SinglePartModelByteForByte) {
    TempDir dir("single");
    TestModel model;
    const int steel = model.Material("Steel");
    Triangle(model, "hull", 1, -1, -1, steel);
    model.Marker("Hp_Fixed_HpEngine01", 1, -1, -1);
    model.Marker("hp-revolute-HpTurret01", 3, -3, -3);
    const std::string out = dir.File("hull.cmp");
    ASSERT_TRUE(Export(model.m, out, [](ExportRun&) {}));

    Le block;
    block.u32(1).u32(4).u16(1).u16(3).u16(0x112).u16(3);
    block.u32(NameHash("Steel")).u16(0).u16(2).u16(3).u16(0xCC);
    block.u16(0).u16(1).u16(2);
    TriangleVertices(block, 1, -1, -1);
    Le turret;
    // The nearest triangle's normal is (0, 0, -1): the rows for a normal
    // along z.
    turret.f32s({1, 0, -0.0f, -0.0f, 0, -1, 0, 1, 0});

    // The summary box starts at the origin: x 0..2, y -2..0, z -1..0.
    const HandNode root = Folder(
        "\\",
        {Folder("VMeshLibrary", {Folder("hull.lod0.vms", {Leaf("VMeshData", block.bytes)})}),
         Folder("Cmpnd",
                {Folder("Root", {Leaf("File name", Str("hull.3db")), Leaf("Index", Number(0)),
                                 Leaf("Object name", Str("Root"))})}),
         Folder(
             "hull.3db",
             {Folder(
                  "Hardpoints",
                  {Folder("Fixed",
                          {Folder("HpEngine01", {Leaf("Orientation", kIdentityRows),
                                                 Leaf("Position", Le().f32s({1, -1, -1}).bytes)})}),
                   Folder("Revolute", {Folder("HpTurret01",
                                              {Leaf("Axis", Le().f32s({0, 1, 0}).bytes),
                                               Leaf("Max", Le().u32(0x40C90FDA).u32(0).bytes),
                                               Leaf("Min", Le().u32(0xC0C90FDA).u32(0).bytes),
                                               Leaf("Orientation", turret.bytes),
                                               Leaf("Position", Le().f32s({3, -3, -3}).bytes)})})}),
              Folder("MultiLevel",
                     {Folder("Level0",
                             {Folder("VMeshPart",
                                     {Leaf("VMeshRef", MeshRef("hull.lod0.vms", {0, 3, 0, 3, 0, 1},
                                                               {2, 0, 0, -2, 0, -1}, {1, -1, -0.5f},
                                                               1.5f))})})})})});
    const std::vector<uint8_t> expected =
        HandFile(root, {"\\",         "VMeshLibrary", "hull.lod0.vms", "VMeshData",   "Cmpnd",
                        "Root",       "File name",    "Index",         "Object name", "hull.3db",
                        "Hardpoints", "Fixed",        "HpEngine01",    "Orientation", "Position",
                        "Revolute",   "HpTurret01",   "Axis",          "Max",         "Min",
                        "MultiLevel", "Level0",       "VMeshPart",     "VMeshRef"});
    EXPECT_EQ(FileBytes(out), expected);
}

TEST(TarrowExport, TwoPartShipByteForByte) {
    TempDir dir("two_parts");
    TestModel model;
    const int steel = model.Material("Steel");
    Triangle(model, "hull", 1, -1, -1, steel);
    Triangle(model, "wing", 2, -2, -2, steel);
    const std::string out = dir.File("ship.cmp");
    ASSERT_TRUE(Export(model.m, out, [](ExportRun& run) { run.Groups({1, 1}); }));

    Le block;
    block.u32(1).u32(4).u16(2).u16(6).u16(0x112).u16(6);
    // Each part numbers its meshes' vertices from 0.
    block.u32(NameHash("Steel")).u16(0).u16(2).u16(3).u16(0xCC);
    block.u32(NameHash("Steel")).u16(0).u16(2).u16(3).u16(0xCC);
    block.u16(0).u16(1).u16(2).u16(0).u16(1).u16(2);
    TriangleVertices(block, 1, -1, -1);
    TriangleVertices(block, 2, -2, -2);
    Le fix;
    fix.text("Root", 64).text("wing_lod1", 64).f32s({0, 0, 0});
    fix.append(kIdentityRows);

    const float radius = std::sqrt(0.5f);
    auto part = [](const std::string& file, std::vector<uint8_t> ref) {
        return Folder(file,
                      {Folder("MultiLevel",
                              {Folder("Level0", {Folder("VMeshPart", {Leaf("VMeshRef", ref)})})})});
    };
    const HandNode root = Folder(
        "\\", {Folder("VMeshLibrary", {Folder("hull.lod0.vms", {Leaf("VMeshData", block.bytes)})}),
               Folder("Cmpnd",
                      {Folder("Cons", {Leaf("Fix", fix.bytes)}),
                       Folder("Root", {Leaf("File name", Str("hull_lod1.3db")),
                                       Leaf("Index", Number(0)), Leaf("Object name", Str("Root"))}),
                       Folder("Part_wing_lod1",
                              {Leaf("File name", Str("wing_lod1.3db")), Leaf("Index", Number(1)),
                               Leaf("Object name", Str("wing_lod1"))})}),
               part("hull_lod1.3db", MeshRef("hull.lod0.vms", {0, 3, 0, 3, 0, 1},
                                             {2, 1, -1, -2, -1, -1}, {1.5f, -1.5f, -1}, radius)),
               part("wing_lod1.3db", MeshRef("hull.lod0.vms", {3, 3, 3, 3, 1, 1},
                                             {3, 2, -2, -3, -2, -2}, {2.5f, -2.5f, -2}, radius))});
    const std::vector<uint8_t> expected =
        HandFile(root, {"\\", "VMeshLibrary", "hull.lod0.vms", "VMeshData", "Cmpnd", "Cons", "Fix",
                        "Root", "File name", "Index", "Object name", "hull_lod1.3db", "MultiLevel",
                        "Level0", "VMeshPart", "VMeshRef", "Part_wing_lod1", "wing_lod1.3db"});
    EXPECT_EQ(FileBytes(out), expected);
}

// A model of one triangle mesh "hull" with a material.
void Hull(TestModel& model) {
    Triangle(model, "hull", 1, -1, -1, model.Material("Steel"));
}

TEST(TarrowExport, RefusesAModelWithoutMeshesOrMaterialsBeforeAnyWindow) {
    TempDir dir("refused");
    TestModel empty;
    empty.Material("Steel");
    TestModel bare;
    Triangle(bare, "hull", 1, -1, -1, -1);
    for (auto [model, text] : {std::pair{&empty, "The model is empty! Nothing exported!"},
                               std::pair{&bare, "Materials must be assigned before exporting"}}) {
        ExportRun run;
        run.New(dir.File("out.cmp")).Continue();
        EXPECT_EQ(run.Execute(model->m), 0);
        EXPECT_EQ(run.ui.messages,
                  (std::vector<RecordedMessage>{{text, "Error", MessageIcon::Warning}}));
        EXPECT_TRUE(run.ui.windows.empty());
        EXPECT_FALSE(std::filesystem::exists(dir.File("out.cmp")));
    }
    // Neither was handed back: the model stays the modeller's.
    EXPECT_EQ(empty.MeshCount(), 0);
    EXPECT_EQ(bare.MeshCount(), 1);

    ExportRun none;
    EXPECT_EQ(none.Execute(nullptr), -1);
}

TEST(TarrowExport, CancelAndQuantityMismatchHandTheModelBack) {
    TempDir dir("cancel");
    {
        TestModel model;
        Hull(model);
        ExportRun run;
        run.New(dir.File("out.cmp")).Cancel();
        EXPECT_EQ(run.Execute(model.m), 0);
        EXPECT_EQ(model.MeshCount(), 0);  // destroyed
        EXPECT_EQ(run.ui.windows, std::vector<std::string>{"Kaltrix CMP Settings"});
        EXPECT_TRUE(run.ui.messages.empty());
    }
    {
        // Three counted meshes ("Hp" and "Hfov" names never count; "Ix_" is
        // dropped first), two asked for.
        TestModel model;
        Hull(model);
        model.Marker("Hp_Fixed_HpGun01", 0, 0, 0);
        Triangle(model, "Ix_HfovCover", 2, 2, 2, 0);
        Triangle(model, "wing", 3, 3, 3, 0);
        Triangle(model, "tail", 4, 4, 4, 0);
        ExportRun run;
        run.New(dir.File("out.cmp")).Groups({1, 1}).Continue();
        EXPECT_EQ(run.Execute(model.m), 0);
        EXPECT_EQ(run.ui.messages,
                  (std::vector<RecordedMessage>{
                      {"Number of mesh group quantities does not match model - Exiting", "Warning",
                       MessageIcon::Warning}}));
        EXPECT_EQ(model.MeshCount(), 0);
        EXPECT_EQ(run.ui.windows, std::vector<std::string>{"Kaltrix CMP Settings"});
        EXPECT_FALSE(std::filesystem::exists(dir.File("out.cmp")));
    }
}

TEST(TarrowExport, FailedSaveIsReportedAndTheTreeStillShown) {
    TempDir dir("failed_save");
    TestModel model;
    Hull(model);
    const std::string out = dir.File("missing_folder/out.cmp");
    ExportRun run;
    run.New(out).Continue();
    EXPECT_EQ(run.Execute(model.m), 0);
    EXPECT_FALSE(run.written);
    EXPECT_EQ(run.ui.messages,
              (std::vector<RecordedMessage>{
                  {"Could not write " + out, "File Error", MessageIcon::Warning}}));
    EXPECT_EQ(run.ui.windows,
              (std::vector<std::string>{"Kaltrix CMP Settings", "Kaltrix CMP Exporter"}));
    ASSERT_FALSE(run.ui.resultTree.empty());
    EXPECT_EQ(run.ui.resultTree.front(), (ControlItem{"\\", {}, 0}));
    EXPECT_EQ(run.ui.resultTree.back(), (ControlItem{"VMeshRef", {}, 5}));
    EXPECT_EQ(model.MeshCount(), 0);
}

TEST(TarrowExport, EveryFileIsWrittenThroughTheHostsFileService) {
    TempDir dir("through_service");
    TestModel model;
    Hull(model);
    const std::string out = dir.File("hull.cmp"), ces = dir.File("hull.ces");
    ExportRun run;
    run.New(out);
    run.ui.QueueFile(ces);
    run.Click(CExportSettingsDlg::kSaveSettings).Continue();
    EXPECT_EQ(run.Execute(model.m), 0);
    const std::vector<std::string> written = run.files.Written();
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[0], ces);
    // The mesh data block, in a temporary file of its own that is gone again.
    EXPECT_NE(written[1].find("export.vms"), std::string::npos) << written[1];
    EXPECT_FALSE(std::filesystem::exists(written[1]));
    EXPECT_EQ(written[2], out);
    EXPECT_TRUE(run.written);
}

TEST(TarrowExport, UpdateReplacesOnlyAMissingOrEmptyFile) {
    TempDir dir("update_bad");
    const std::string fresh = dir.File("fresh.cmp");
    {
        TestModel model;
        Hull(model);
        ASSERT_TRUE(Export(model.m, fresh, [](ExportRun&) {}));
    }

    // A damaged container, a file of another kind (wrong magic, or a flipped
    // version bit) are left exactly as they were.
    struct Case {
        std::vector<uint8_t> bytes;
        std::string message;
    };
    for (const Case& c : {
             Case{Le().text("UTF ", 4).u32(0x101).u32(56).u32(440).bytes, "is damaged"},
             Case{Le().text("not a model at all").bytes, "is not a model file"},
             Case{Le().text("UTF ", 4).u32(0x103).bytes, "is not a model file"},
         }) {
        const std::string path = dir.File("other.cmp");
        ASSERT_TRUE(WriteWholeFile(path, c.bytes));
        TestModel model;
        Hull(model);
        ExportRun run;
        run.Update(path).Continue();
        EXPECT_EQ(run.Execute(model.m), 0);
        EXPECT_FALSE(run.written);
        EXPECT_EQ(run.ui.messages,
                  (std::vector<RecordedMessage>{{path + " " + c.message + " and was not changed",
                                                 "File Error", MessageIcon::Warning}}));
        EXPECT_EQ(FileBytes(path), c.bytes);
        EXPECT_EQ(model.MeshCount(), 0);
    }

    // An empty file, or a container of nothing but its root, takes the whole
    // model as a new file would.
    for (const std::vector<uint8_t>& other :
         {std::vector<uint8_t>{}, HandFile(Leaf("\\", {}), {"\\"})}) {
        const std::string path = dir.File("other.cmp");
        ASSERT_TRUE(WriteWholeFile(path, other));
        TestModel again;
        Hull(again);
        EXPECT_TRUE(Export(
            again.m, path, [](ExportRun&) {}, true));
        EXPECT_EQ(FileBytes(path), FileBytes(fresh));
    }
}

// The first mesh has no triangles: it still gives the base name.
TEST(TarrowExport, MeshesWithoutTrianglesAreLeftOutWithOneWarning) {
    TempDir dir("left_out");
    TestModel model;
    const int steel = model.Material("Steel");
    model.Mesh("bare", {At(5, 5, 5), At(6, 6, 6)}, steel);
    Triangle(model, "hull", 1, -1, -1, steel);
    model.Mesh("none", {}, steel);
    const std::string out = dir.File("ship.cmp");
    ExportRun run;
    run.New(out).Continue();
    EXPECT_EQ(run.Execute(model.m), 0);
    EXPECT_TRUE(run.written);
    EXPECT_EQ(run.ui.messages, (std::vector<RecordedMessage>{
                                   {"These meshes have no triangles and were left out: bare, none",
                                    "Warning", MessageIcon::Warning}}));

    Le block;
    block.u32(1).u32(4).u16(1).u16(3).u16(0x112).u16(3);
    block.u32(NameHash("Steel")).u16(0).u16(2).u16(3).u16(0xCC);
    block.u16(0).u16(1).u16(2);
    TriangleVertices(block, 1, -1, -1);
    WrittenFile file(out);
    EXPECT_EQ(file.Leaf("VMeshLibrary/bare.lod0.vms/VMeshData"), block.bytes);
    EXPECT_EQ(
        file.Leaf("bare.3db/MultiLevel/Level0/VMeshPart/VMeshRef"),
        MeshRef("bare.lod0.vms", {0, 3, 0, 3, 0, 1}, {2, 0, 0, -2, 0, -1}, {1, -1, -0.5f}, 1.5f));
}

TEST(TarrowExport, RefusesNonFiniteNumbersAndPartsOfOneName) {
    TempDir dir("refused_model");
    const std::string out = dir.File("ship.cmp");
    {
        TestModel model;
        Hull(model);
        ASSERT_TRUE(Export(model.m, out, [](ExportRun&) {}));
    }
    const std::vector<uint8_t> before = FileBytes(out);
    const float nan = std::nanf("");
    const float inf = INFINITY;
    const std::string notFinite =
        " has a position, normal or texture coordinate that is not a finite number.";
    struct Case {
        std::function<void(TestModel&, int)> build;
        std::vector<int> groups;
        std::string message;
    };
    for (const Case& c : {
             Case{[&](TestModel&m, int s) {
                      m.Mesh("hull", {{nan, 0, 0}, At(1, 0, 0), At(0, 1, 0)}, s);
                  },
                  {},
                  "Mesh hull" + notFinite},
             // Finite but so large that the normals overflow.
             Case{[&](TestModel&m, int s) {
                      m.Mesh("hull", {{0, 0, 0}, {3e38f, 0, 0}, {0, 3e38f, 0}}, s);
                  },
                  {},
                  "Mesh hull" + notFinite},
             Case{[&](TestModel&m, int s) {
                      Triangle(m, "hull", 1, -1, -1, s);
                      m.Mesh("Hp_Fixed_HpGun", {{inf, 0, 0}, {0, 0, 0}, {0, 0, 0}});
                  },
                  {},
                  "Mesh Hp_Fixed_HpGun" + notFinite},
             Case{[&](TestModel&m, int s) {
                      Triangle(m, "wing", 1, -1, -1, s);
                      Triangle(m, "Wing", 2, -2, -2, s);
                  },
                  {1, 1},
                  "Two parts would have the same name: wing_lod1 and Wing_lod1. Rename one of "
                  "the meshes."},
         }) {
        TestModel model;
        c.build(model, model.Material("Steel"));
        ExportRun run;
        run.Update(out);
        if (!c.groups.empty()) {
            run.Groups(c.groups);
        }
        run.Continue();
        EXPECT_EQ(run.Execute(model.m), 0);
        EXPECT_FALSE(run.written);
        EXPECT_EQ(run.ui.messages,
                  (std::vector<RecordedMessage>{{c.message, "Error", MessageIcon::Error}}));
        EXPECT_EQ(run.ui.windows, std::vector<std::string>{"Kaltrix CMP Settings"});
        EXPECT_EQ(FileBytes(out), before);
    }

    // A texture coordinate alone is enough.
    TestModel model;
    Hull(model);
    msVec2 uv = {0, inf};
    msVertex_SetTexCoords(msMesh_GetVertexAt(msModel_GetMeshAt(model.m, 0), 1), uv);
    ExportRun run;
    run.New(dir.File("uv.cmp")).Continue();
    EXPECT_EQ(run.Execute(model.m), 0);
    EXPECT_EQ(
        run.ui.messages,
        (std::vector<RecordedMessage>{{"Mesh hull" + notFinite, "Error", MessageIcon::Error}}));
    EXPECT_FALSE(std::filesystem::exists(dir.File("uv.cmp")));
}

#if defined(__linux__)
// Runs with the system's temporary folder elsewhere, then puts it back.
class TemporaryFolder {
  public:
    explicit TemporaryFolder(const char* path) {
        if (const char* old = std::getenv("TMPDIR")) {
            old_ = old;
        }
        setenv("TMPDIR", path, 1);
    }
    ~TemporaryFolder() {
        if (old_) {
            setenv("TMPDIR", old_->c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
    }

  private:
    std::optional<std::string> old_;
};

TEST(TarrowExport, AnUnwritableTemporaryFolderIsNamed) {
    // Nothing can create a file in /proc, not even root.
    if (!std::filesystem::is_directory("/proc")) {
        GTEST_SKIP() << "no /proc";
    }
    TempDir dir("unwritable_temp");
    TestModel model;
    Hull(model);
    const std::string out = dir.File("hull.cmp");
    ExportRun run;
    run.New(out).Continue();
    {
        TemporaryFolder temp("/proc");
        EXPECT_EQ(run.Execute(model.m), -1);
    }
    ASSERT_EQ(run.ui.messages.size(), 1u);
    const RecordedMessage& m = run.ui.messages[0];
    const std::string text =
        "Could not open export file for some reason, check if it's not being used by another "
        "application!\n/proc/kx-";
    EXPECT_EQ(m.text.substr(0, text.size()), text);
    const std::string tail = "-export.vms could not be written";
    ASSERT_GT(m.text.size(), tail.size());
    EXPECT_EQ(m.text.substr(m.text.size() - tail.size()), tail);
    EXPECT_EQ(m.caption, "Error exporting VMS file");
    EXPECT_EQ(m.icon, MessageIcon::Error);
    EXPECT_FALSE(std::filesystem::exists(out));
}
#endif

}  // namespace
}  // namespace kx::test
