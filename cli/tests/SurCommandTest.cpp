#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <memory>

#include "cli/tests/CliRun.h"
#include "exportsettings/SettingsFile.h"
#include "host/FileIo.h"
#include "host/headless/HeadlessModel.h"
#include "meshutil/TriMesh.h"
#include "ms3d/Ms3dIo.h"
#include "surface/SurReader.h"
#include "surface/SurfaceExport.h"
#include "testsupport/LittleEndian.h"

namespace kx {
namespace {

// A closed octahedron around `at`, or a marker triangle when `size` is tiny.
void Octahedron(msModel* model, const char* name, Vec3 at, float size) {
    msMesh* mesh = msModel_GetMeshAt(model, msModel_AddMesh(model));
    msMesh_SetName(mesh, name);
    const Vec3 corners[6] = {{size, 0, 0},  {-size, 0, 0}, {0, size, 0},
                             {0, -size, 0}, {0, 0, size},  {0, 0, -size}};
    for (const Vec3& c : corners) {
        msVec3 p = {at[0] + c[0], at[1] + c[1], at[2] + c[2]};
        msVertex_SetVertex(msMesh_GetVertexAt(mesh, msMesh_AddVertex(mesh)), p);
    }
    msMesh_AddVertexNormal(mesh);
    const word faces[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                              {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
    for (const auto& f : faces) {
        word idx[3] = {f[0], f[1], f[2]};
        msTriangle_SetVertexIndices(msMesh_GetTriangleAt(mesh, msMesh_AddTriangle(mesh)), idx);
    }
}

// A model file of two octahedra, "hull" and "wing", and a weapon on the wing.
class ShipFile {
  public:
    ShipFile() : file_("sur_ship.ms3d") {
        std::unique_ptr<msModel, void (*)(msModel*)> model(kxModel_Create(), kxModel_Free);
        Octahedron(model.get(), "hull", {0, 0, 0}, 3);
        Octahedron(model.get(), "wing", {6, 0, 0}, 2);
        Octahedron(model.get(), "HpWeapon01", {6, 1, 0}, 0.1f);
        const Status written = WriteMs3dModel(file_.path(), model.get());
        EXPECT_TRUE(written.Ok()) << written.Reason();
    }
    const std::string& path() const { return file_.path(); }

  private:
    TempFile file_;
};

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::vector<uint8_t> bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

TEST(SurCommand, WritesWhatTheExportComputesAndInfoReadsIt) {
    ShipFile ship;
    TempFile out("sur_ship.sur");
    auto r = Kaltrix({"sur", ship.path(), "-o", out.path(), "--orientation", "back-to-front",
                      "--scale", "10", "--groups", "1,2", "--wrap", "--mass", "750"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.err, "");

    std::unique_ptr<msModel, void (*)(msModel*)> model(kxModel_Create(), kxModel_Free);
    ASSERT_TRUE(ReadMs3dModel(ship.path(), model.get()));
    SettingsWords words{};
    words[settings_word::kIntegerScale] = static_cast<uint32_t>(-1);
    words[settings_word::kFloatScale] = std::bit_cast<uint32_t>(10.0f);
    words[settings_word::kOrientation] = 1;
    words[settings_word::kGroupCount] = 2;
    words[settings_word::kQuantity0] = 1;
    words[settings_word::kQuantity0 + 1] = 2;
    int owner = 0;  // the mesh utilities keep only the owner's address
    SurfaceMessages warnings;
    const Result<std::vector<uint8_t>> want = ExportSurface(
        model.get(), SurfaceOptionsFromWords(words, CollisionKind::ShrinkWrapped, 750, false),
        reinterpret_cast<meshutil::Device*>(&owner), warnings);
    ASSERT_TRUE(want.Ok()) << want.Reason();
    EXPECT_EQ(ReadAll(out.path()), *want);

    auto info = Kaltrix({"info", out.path()});
    ASSERT_EQ(info.rc, 0) << info.err;
    EXPECT_EQ(info.out.rfind("surface\tversion=2\tparts=2\n", 0), 0u) << info.out;
    EXPECT_NE(info.out.find("\n  hardpoints=1\t0x"), std::string::npos) << info.out;

    // Cut short, the file is refused with its first fault.
    std::vector<uint8_t> bytes = *want;
    bytes.resize(bytes.size() - 7);
    TempFile damaged("sur_damaged.sur");
    ASSERT_TRUE(WriteWholeFile(damaged.path(), bytes));
    auto bad = Kaltrix({"info", damaged.path()});
    EXPECT_EQ(bad.rc, 1);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err.rfind("kaltrix: " + damaged.path() + ": ", 0), 0u) << bad.err;
}

TEST(SurCommand, SettingsFileComesFirstAndOptionsOverrideIt) {
    ShipFile ship;
    TempFile ces("sur_old.ces"), out("sur_settings.sur"), plain("sur_plain.sur");
    std::vector<uint8_t> old(88, 0);
    old[0] = 20;  // integer scale
    old[12] = 2;  // groups: 1, 2
    old[16] = 1;
    old[20] = 2;
    ASSERT_TRUE(WriteWholeFile(ces.path(), old));
    auto r = Kaltrix({"sur", ship.path(), "-o", out.path(), "--settings", ces.path(), "--scale",
                      "10", "--no-reduction"});
    ASSERT_EQ(r.rc, 0) << r.err;
    auto same = Kaltrix({"sur", ship.path(), "-o", plain.path(), "--scale", "10", "--groups", "1,2",
                         "--no-reduction"});
    ASSERT_EQ(same.rc, 0) << same.err;
    // The old layout also sets the model type to Ship, which only weapons'
    // hardpoint placement looks at.
    EXPECT_EQ(ReadAll(out.path()), ReadAll(plain.path()));
}

TEST(SurCommand, InfoPassesEveryFileWrittenForOneToEighteenGroups) {
    for (bool hardpoints : {false, true}) {
        TempFile ms3d("sur_groups.ms3d"), out("sur_groups.sur");
        std::unique_ptr<msModel, void (*)(msModel*)> model(kxModel_Create(), kxModel_Free);
        for (int g = 0; g < 18; ++g) {
            const float x = 8.0f * static_cast<float>(g);
            Octahedron(model.get(), ("part" + std::to_string(g)).c_str(), {x, 0, 0}, 2);
            if (hardpoints) {
                Octahedron(model.get(), ("HpWeapon" + std::to_string(g)).c_str(), {x, 1, 0}, 0.1f);
            }
        }
        const Status written = WriteMs3dModel(ms3d.path(), model.get());
        ASSERT_TRUE(written.Ok()) << written.Reason();
        for (int groups = 1; groups <= 18; ++groups) {
            std::string quantities;
            for (int g = 0; g < groups; ++g) {
                const int meshes = hardpoints ? 2 : 1;
                quantities +=
                    (g ? "," : "") + std::to_string(g + 1 < groups ? meshes : (18 - g) * meshes);
            }
            for (const char* kind : {"--shield", "--wrap"}) {
                auto r =
                    Kaltrix({"sur", ms3d.path(), "-o", out.path(), "--groups", quantities, kind});
                ASSERT_EQ(r.rc, 0) << groups << kind << r.err;
                auto info = Kaltrix({"info", out.path()});
                ASSERT_EQ(info.rc, 0) << groups << kind << info.err;
                EXPECT_EQ(
                    info.out.rfind("surface\tversion=2\tparts=" + std::to_string(groups) + "\n", 0),
                    0u);
            }
        }
    }
}

// Finite positions near the float limit overflow the radii, centres and
// inertia measured from them: refused as the model exporter refuses them.
TEST(SurCommand, MeasuresThatOverflowAreRefused) {
    TempFile in("sur_huge.ms3d"), out("sur_huge.sur");
    {
        std::unique_ptr<msModel, void (*)(msModel*)> model(kxModel_Create(), kxModel_Free);
        Octahedron(model.get(), "wing", {0, 0, 0}, 2);
        Octahedron(model.get(), "hull", {0, 0, 0}, 3e38f);
        const Status written = WriteMs3dModel(in.path(), model.get());
        ASSERT_TRUE(written.Ok()) << written.Reason();
    }
    for (std::vector<std::string> options :
         {std::vector<std::string>{}, {"--wrap"}, {"--groups", "1,1"}}) {
        std::vector<std::string> args{"sur", in.path(), "-o", out.path()};
        args.insert(args.end(), options.begin(), options.end());
        auto r = Kaltrix(args);
        EXPECT_EQ(r.rc, 1) << args.back();
        EXPECT_EQ(r.err,
                  "Error: Mesh hull has a position, normal or texture coordinate that is not a "
                  "finite number.\n")
            << args.back();
        EXPECT_FALSE(std::filesystem::exists(out.path()));
    }
}

// Two octahedra apart in one group do not close: named in a warning, the
// file written all the same; --closed-hulls makes every hull closed.
TEST(SurCommand, ClosedHullsOptionClosesWhatTheWarningNames) {
    TempFile ms3d("sur_closed.ms3d"), out("sur_closed.sur");
    std::unique_ptr<msModel, void (*)(msModel*)> model(kxModel_Create(), kxModel_Free);
    Octahedron(model.get(), "hull", {0, 0, 0}, 3);
    Octahedron(model.get(), "wing", {8, 0, 0}, 2);
    Octahedron(model.get(), "tail", {0, 0, 8}, 2);
    Octahedron(model.get(), "HpWeapon01", {8, 1, 0}, 0.1f);
    const Status written = WriteMs3dModel(ms3d.path(), model.get());
    ASSERT_TRUE(written.Ok()) << written.Reason();

    auto open = Kaltrix({"sur", ms3d.path(), "-o", out.path(), "--groups", "2,2"});
    ASSERT_EQ(open.rc, 0) << open.err;
    EXPECT_EQ(open.err, "Warning: These groups do not make closed collision hulls: hull, wing\n");
    auto info = Kaltrix({"info", out.path()});
    ASSERT_EQ(info.rc, 0) << info.err;
    EXPECT_NE(info.out.find("closed=no"), std::string::npos) << info.out;

    auto closed =
        Kaltrix({"sur", ms3d.path(), "-o", out.path(), "--groups", "2,2", "--closed-hulls"});
    ASSERT_EQ(closed.rc, 0) << closed.err;
    EXPECT_EQ(closed.err, "");
    info = Kaltrix({"info", out.path()});
    ASSERT_EQ(info.rc, 0) << info.err;
    EXPECT_EQ(info.out.find("closed=no"), std::string::npos) << info.out;
    EXPECT_EQ(info.out.find("reached=0"), std::string::npos) << info.out;

    // The root's right subtree turned into its left one: the walk reaches
    // that subtree twice and the rest never, which info reports.
    std::vector<uint8_t> bytes = ReadAll(out.path());
    const auto file = ReadSurFile(bytes);
    ASSERT_TRUE(file.Ok()) << file.Reason();
    test::PutU32(bytes, 8 + 48 + file->parts[0].nodeListOffset, 28);
    ASSERT_TRUE(WriteWholeFile(out.path(), bytes));
    info = Kaltrix({"info", out.path()});
    EXPECT_EQ(info.rc, 1);
    EXPECT_NE(info.out.find("reached=0"), std::string::npos) << info.out;
    EXPECT_EQ(info.err, "kaltrix: " + out.path() +
                            ": part 0 (id 0x12688F2D): node 1 is reached 2 times by a walk of "
                            "the node tree\n");
}

TEST(SurCommand, ExitCodes) {
    ShipFile ship;
    TempFile out("sur_codes.sur");
    for (std::vector<std::string> args :
         {std::vector<std::string>{"sur", ship.path()},
          {"sur", "-o", out.path()},
          {"sur", ship.path(), "-o", out.path(), "--lod", "1"},
          {"sur", ship.path(), "-o", out.path(), "--mass", "heavy"},
          {"sur", ship.path(), "-o", out.path(), "--scale", "nan"}}) {
        auto r = Kaltrix(args);
        EXPECT_EQ(r.rc, 2) << args.back();
        EXPECT_FALSE(std::filesystem::exists(out.path()));
    }

    auto missing =
        Kaltrix({"sur", ship.path(), "-o", out.path(), "--settings", out.path() + ".ces"});
    EXPECT_EQ(missing.rc, 1);
    EXPECT_EQ(missing.err, "File Open Error: Settings file could not be opened\n");
    EXPECT_FALSE(std::filesystem::exists(out.path()));

    // Quantities beyond the meshes leave a group without one: refused.
    auto refused = Kaltrix({"sur", ship.path(), "-o", out.path(), "--groups", "1,1,1,1"});
    EXPECT_EQ(refused.rc, 1) << refused.err;
    EXPECT_NE(refused.err, "");
    EXPECT_FALSE(std::filesystem::exists(out.path()));
}

}  // namespace
}  // namespace kx
