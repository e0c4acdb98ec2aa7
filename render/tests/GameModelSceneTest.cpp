#include <gtest/gtest.h>

#include "host/FileIo.h"
#include "importer/tests/ImportFiles.h"
#include "render/GameModelScene.h"
#include "render/Palette.h"
#include "render/Picture.h"
#include "testsupport/TempFiles.h"

namespace kx {
namespace {

// Two unit squares facing the front viewer (-z), one mesh each.
std::vector<uint8_t> SquaresBlock() {
    VMeshBlock block;
    for (uint16_t m = 0; m < 2; ++m) {
        block.meshes.push_back({0, 0, 3, 6, kVMeshRecordPadding});
        block.triangles.push_back({0, 2, 1});
        block.triangles.push_back({0, 3, 2});
        for (auto [x, y] : {std::pair{-0.5f, -0.5f}, {0.5f, -0.5f}, {0.5f, 0.5f}, {-0.5f, 0.5f}}) {
            VMeshVertex v;
            v.position = {x, y, 0};
            block.vertices.push_back(v);
        }
    }
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(EncodeVMeshData(block, bytes));
    return bytes;
}

// A hull at the origin and a wing that its constraint moves to `origin`,
// with a hardpoint turned a quarter about z.
std::vector<uint8_t> TwoPartFile(std::array<float, 3> origin) {
    using namespace test;
    return FileOf(Folder(
        "\\",
        {Folder("VMeshLibrary", {Folder("ship.lod0.vms", {Leaf("VMeshData", SquaresBlock())})}),
         Folder("Cmpnd",
                {Folder("Cons", {Leaf("Fix", Joint("Root", "wing", origin, kIdentity))}),
                 Entry("Root", "hull.3db", "Root"), Entry("Part_wing", "wing.3db", "wing")}),
         PartNode("hull.3db", Ref("ship.lod0.vms", 0, 0, 0, 1)),
         PartNode("wing.3db", Ref("ship.lod0.vms", 4, 6, 1, 1),
                  {Folder("Hardpoints", {Folder("Fixed", {HardpointNode("HpGun", {0, 0.5f, 0},
                                                                        kQuarterZ)})})})}));
}

class GameModelFile {
  public:
    explicit GameModelFile(std::array<float, 3> origin) : file_("render_two_parts.cmp") {
        EXPECT_TRUE(WriteWholeFile(file_.path(), TwoPartFile(origin)));
    }
    const std::string& path() const { return file_.path(); }

  private:
    test::TempFile file_;
};

TEST(GameModelScene, PartsAndHardpointsArePlacedAsTheImporterPlacesThem) {
    GameModelFile file({3, 0, 0});
    auto model = LoadGameModelScene(file.path(), std::nullopt);
    ASSERT_TRUE(model.Ok()) << model.Reason();
    const RenderScene& scene = model->scene;
    ASSERT_EQ(scene.groups.size(), 2u);
    EXPECT_EQ(scene.level, "level 0 (ship.lod0.vms)");
    ASSERT_EQ(scene.TriangleCount(), 4u);
    // The wing's corners are the hull's moved by the constraint's origin.
    for (size_t c = 0; c < 6; ++c) {
        const size_t wing = scene.groupOf[0] == 0 ? c + 6 : c;
        const size_t hull = scene.groupOf[0] == 0 ? c : c + 6;
        EXPECT_EQ(scene.corners[wing], Add(scene.corners[hull], Vec3{3, 0, 0}));
    }
    ASSERT_EQ(scene.hardpoints.size(), 1u);
    const SceneHardpoint& gun = scene.hardpoints[0];
    EXPECT_EQ(gun.name, "HpGun");
    EXPECT_EQ(gun.position, (Vec3{3, 0.5f, 0}));
    // A quarter turn about z: its x axis along +y.
    EXPECT_EQ((Vec3{gun.frame[0][0], gun.frame[1][0], gun.frame[2][0]}), (Vec3{0, 1, 0}));
    EXPECT_EQ(model->placement(NameHash("wing"))[0][3], 3.0f);
    EXPECT_EQ(model->placement(12345), Identity4());
}

TEST(GameModelScene, APartMovedByItsConstraintMovesInThePicture) {
    RenderOptions options;
    options.view = ViewKind::Front;  // -x to the right
    options.width = 320;
    options.height = 120;
    options.hardpoints = false;
    auto orangeAt = [&](float wingX, int x) {
        GameModelFile file({wingX, 0, 0});
        auto model = LoadGameModelScene(file.path(), std::nullopt);
        EXPECT_TRUE(model.Ok()) << model.Reason();
        const Picture p = RenderPicture(model->scene, options).Value();
        const uint32_t rgb = p.At(x, 60);
        return ((rgb >> 16) & 0xFF) > (rgb & 0xFF) + 40;  // the second part's orange
    };
    EXPECT_TRUE(orangeAt(3, 40));
    EXPECT_FALSE(orangeAt(3, 280));
    EXPECT_TRUE(orangeAt(-3, 280));
    EXPECT_FALSE(orangeAt(-3, 40));
}

TEST(GameModelScene, RefusesLevelsTheFileLacksAndFilesItCannotRead) {
    GameModelFile file({0, 0, 0});
    auto r = LoadGameModelScene(file.path(), 1);
    EXPECT_EQ(r.GetFault(), Fault::Refused);
    EXPECT_EQ(r.Reason(), file.path() + ": has level 0 only");

    test::TempFile junk("render_junk.cmp");
    ASSERT_TRUE(WriteWholeFile(junk.path(), std::vector<uint8_t>(64, 'x')));
    auto bad = LoadGameModelScene(junk.path(), std::nullopt);
    EXPECT_FALSE(bad.Ok());
    EXPECT_EQ(bad.Reason().rfind(junk.path() + ": ", 0), 0u) << bad.Reason();
    EXPECT_EQ(LoadGameModelScene(junk.path() + ".missing", 0).GetFault(), Fault::Unreadable);
}

// A shield holder has no mesh, an interface object's meshes are in a mesh
// library file: both are drawn with what they have.
TEST(GameModelScene, ModelsWithoutMeshesOrWithMeshesInAMeshLibrary) {
    using namespace test;
    const auto hardpoints =
        Folder("Hardpoints", {Folder("Fixed", {HardpointNode("HpShield", {})})});
    test::TempFile holder("render_holder.3db");
    ASSERT_TRUE(WriteWholeFile(holder.path(), FileOf(Folder("\\", {hardpoints}))));
    auto model = LoadGameModelScene(holder.path(), std::nullopt);
    ASSERT_TRUE(model.Ok()) << model.Reason();
    EXPECT_EQ(model->scene.groups, std::vector<std::string>({"Root"}));
    EXPECT_EQ(model->scene.TriangleCount(), 0u);
    EXPECT_EQ(model->scene.hardpoints.size(), 1u);
    EXPECT_TRUE(RenderPicture(model->scene, RenderOptions{}).Ok());

    test::TempFile iface("render_iface.3db"), library("render_iface.vms");
    ASSERT_TRUE(WriteWholeFile(
        iface.path(), FileOf(Folder("\\", {PartNode("a.3db", Ref("ship.lod0.vms", 0, 0, 0, 2))}))));
    ASSERT_TRUE(WriteWholeFile(
        library.path(),
        FileOf(Folder("\\",
                      {Folder("VMeshLibrary",
                              {Folder("ship.lod0.vms", {Leaf("VMeshData", SquaresBlock())})})}))));
    auto refused = LoadGameModelScene(iface.path(), std::nullopt);
    EXPECT_EQ(refused.GetFault(), Fault::Refused);
    EXPECT_NE(refused.Reason().find("its meshes are in another mesh library file"),
              std::string::npos);
    model = LoadGameModelScene(iface.path(), std::nullopt, library.path());
    ASSERT_TRUE(model.Ok()) << model.Reason();
    EXPECT_EQ(model->scene.level, "level 0 (ship.lod0.vms)");
    EXPECT_EQ(model->scene.TriangleCount(), 4u);
    EXPECT_EQ(LoadGameModelScene(iface.path(), std::nullopt, iface.path() + ".none").GetFault(),
              Fault::Unreadable);
}

}  // namespace
}  // namespace kx
