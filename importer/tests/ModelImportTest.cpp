// The host model an import makes: one mesh per mesh record, named after
// its part, no vertex shared, placed by the part's transform; part order;
// hardpoint markers after each part or after the model.

#include <gtest/gtest.h>

#include "host/headless/HeadlessModel.h"
#include "importer/CMPModel.h"
#include "importer/tests/ImportFiles.h"

namespace kx::test {
namespace {

struct Imported {
    Imported(const HandNode& root, bool markersAfterModel = false, ImportOptions options = {}) {
        EXPECT_TRUE(file.Open(FileOf(root)).Ok());
        EXPECT_TRUE(file.LoadLevel(0).Ok());
        auto plan = file.Plan(options);
        EXPECT_TRUE(plan.Ok()) << plan.Reason();
        status = ImportModel(model, plan.Value(), file.Arrays(), markersAfterModel, totals);
    }
    ~Imported() { kxModel_Free(model); }

    msMesh* Mesh(int i) const { return msModel_GetMeshAt(model, i); }
    std::string Name(int i) const {
        char name[64];
        msMesh_GetName(Mesh(i), name, sizeof name);
        return name;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int i = 0; i < msModel_GetMeshCount(model); ++i) {
            names.push_back(Name(i));
        }
        return names;
    }
    Vec3 Position(int mesh, int vertex) const {
        Vec3 p;
        msVertex_GetVertex(msMesh_GetVertexAt(Mesh(mesh), vertex), p.data());
        return p;
    }
    Vec3 Normal(int mesh, int index) const {
        Vec3 n;
        msMesh_GetVertexNormalAt(Mesh(mesh), index, n.data());
        return n;
    }

    CMPModel file;
    msModel* model = kxModel_Create();
    ImportTotals totals;
    Status status;
};

HandNode Single(std::vector<int> triangles, std::vector<HandNode> more = {}) {
    const auto meshes = static_cast<uint16_t>(triangles.size());
    return Folder("\\", {Folder("VMeshLibrary",
                                {Folder("m.lod0.vms", {Leaf("VMeshData", Block(triangles, 5))})}),
                         PartNode("m.3db", Ref("m.lod0.vms", 0, 0, 0, meshes), std::move(more))});
}

TEST(ModelImport, EveryCornerIsAVertexOfItsOwnWithTheStoredValues) {
    Imported im(Single({1, 2}));
    ASSERT_TRUE(im.status.Ok());
    ASSERT_EQ(im.Names(), std::vector<std::string>({"Root", "Root"}));
    msMesh* second = im.Mesh(1);
    ASSERT_EQ(msMesh_GetTriangleCount(second), 2);
    ASSERT_EQ(msMesh_GetVertexCount(second), 6);
    ASSERT_EQ(msMesh_GetVertexNormalCount(second), 6);
    for (int t = 0; t < 2; ++t) {
        msTriangle* triangle = msMesh_GetTriangleAt(second, t);
        word vertices[3], normals[3];
        msTriangle_GetVertexIndices(triangle, vertices);
        msTriangle_GetNormalIndices(triangle, normals);
        EXPECT_EQ(msTriangle_GetSmoothingGroup(triangle), 1);
        for (int k = 0; k < 3; ++k) {
            // Corners in stored order; the second mesh's vertices start at 3.
            EXPECT_EQ(vertices[k], 3 * t + k);
            EXPECT_EQ(normals[k], vertices[k]);
            const float f = static_cast<float>(3 + 3 * t + k);
            EXPECT_EQ(im.Position(1, vertices[k]), (Vec3{f, 10 + f, 20 + f}));
            EXPECT_EQ(im.Normal(1, normals[k]), (Vec3{0, 0, 1}));
            msVertex* v = msMesh_GetVertexAt(second, vertices[k]);
            Vec2 uv;
            msVertex_GetTexCoords(v, uv.data());
            EXPECT_EQ(uv, (Vec2{f / 100, 1 - f / 100}));
            EXPECT_EQ(msVertex_GetBoneIndex(v), -1);
        }
    }
    // No host material was made for material 5.
    EXPECT_EQ(msMesh_GetMaterialIndex(second), -1);
    EXPECT_EQ(im.file.Arrays().meshes[1].hostMesh, 1);
}

TEST(ModelImport, ARotatedPartTurnsItsPositionsButNotItsNormals) {
    auto root = Folder(
        "\\", {Folder("VMeshLibrary", {Folder("s.lod0.vms", {Leaf("VMeshData", Block({1, 1}))})}),
               Folder("Cmpnd",
                      {Folder("Cons", {Leaf("Fix", Joint("Root", "wing", {0, 0, 5}, kQuarterZ))}),
                       Entry("Root", "hull.3db", "Root"), Entry("Part_wing", "wing.3db", "wing")}),
               PartNode("hull.3db", Ref("s.lod0.vms", 0, 0, 0, 1)),
               PartNode("wing.3db", Ref("s.lod0.vms", 0, 3, 1, 1))});
    Imported im(root);
    ASSERT_TRUE(im.status.Ok());
    ASSERT_EQ(im.Names(), std::vector<std::string>({"hull.3db", "wing.3db"}));
    // Stored vertex 3 is (3, 13, 23): a quarter turn about z, then up 5.
    EXPECT_EQ(im.Position(1, 0), (Vec3{-13, 3, 28}));
    EXPECT_EQ(im.Normal(1, 0), (Vec3{0, 0, 1}));
    EXPECT_EQ(im.Position(0, 0), (Vec3{0, 10, 20}));
}

// Parts a, b, c with a hardpoint each; b is the root.
HandNode ThreeParts() {
    std::vector<HandNode> entries, parts;
    for (const char* p : {"a", "b", "c"}) {
        const std::string name = p;
        entries.push_back(Entry("Part_" + name, name + ".3db", name == "b" ? "Root" : name));
        parts.push_back(PartNode(
            name + ".3db", Ref("m.lod0.vms", 0, 0, 0, 1),
            {Folder("Hardpoints", {Folder("Fixed", {HardpointNode("Hp" + name, {0, 0, 0})})})}));
    }
    std::vector<HandNode> top = {
        Folder("VMeshLibrary", {Folder("m.lod0.vms", {Leaf("VMeshData", Block({1}))})}),
        Folder("Cmpnd", std::move(entries))};
    for (HandNode& part : parts) {
        top.push_back(std::move(part));
    }
    return Folder("\\", std::move(top));
}

TEST(ModelImport, TheRootComesFirstThenTheOthersFromLastToFirst) {
    using N = std::vector<std::string>;
    Imported each(ThreeParts());
    ASSERT_TRUE(each.status.Ok());
    EXPECT_EQ(each.Names(),
              N({"b.3db", "Hp|Fixed|Hpb", "c.3db", "Hp|Fixed|Hpc", "a.3db", "Hp|Fixed|Hpa"}));
    Imported after(ThreeParts(), true);
    EXPECT_EQ(after.Names(),
              N({"b.3db", "c.3db", "a.3db", "Hp|Fixed|Hpc", "Hp|Fixed|Hpb", "Hp|Fixed|Hpa"}));
    EXPECT_EQ(after.totals.meshes, 3u);
    EXPECT_EQ(after.totals.markers, 3u);
    Imported none(ThreeParts(), false, {false, "Hp"});
    EXPECT_EQ(none.Names(), N({"b.3db", "c.3db", "a.3db"}));
}

TEST(ModelImport, AMarkerIsAnArrowheadPlacedLikeItsHardpoint) {
    Imported still(
        Single({1}, {Folder("Hardpoints", {Folder("Fixed", {HardpointNode("HpA", {})})})}));
    ASSERT_EQ(still.Names(), std::vector<std::string>({"Root", "Hp|Fixed|HpA"}));
    const Vec3 initial[] = {{0, 0, -0.75f}, {-0.5f, 0, 0.375f}, {0.5f, 0, 0.375f}, {0, 0, 0}};
    msMesh* marker = still.Mesh(1);
    ASSERT_EQ(msMesh_GetVertexCount(marker), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(still.Position(1, i), initial[i]);
    }
    ASSERT_EQ(msMesh_GetTriangleCount(marker), 2);
    word first[3], second[3];
    msTriangle_GetVertexIndices(msMesh_GetTriangleAt(marker, 0), first);
    msTriangle_GetVertexIndices(msMesh_GetTriangleAt(marker, 1), second);
    EXPECT_EQ(std::vector<word>(first, first + 3), std::vector<word>({0, 1, 3}));
    EXPECT_EQ(std::vector<word>(second, second + 3), std::vector<word>({0, 3, 2}));
    // Its triangles' normal indices name normals that exist.
    ASSERT_EQ(msMesh_GetVertexNormalCount(marker), 4);
    EXPECT_EQ(still.Normal(1, 3), (Vec3{0, 1, 0}));

    // Turned a quarter about z and moved: the tip stays on -z, the wings turn.
    Imported turned(Single(
        {1},
        {Folder("Hardpoints", {Folder("Fixed", {HardpointNode("HpA", {1, 2, 3}, kQuarterZ)})})}));
    EXPECT_EQ(turned.Position(1, 0), (Vec3{1, 2, 2.25f}));
    EXPECT_EQ(turned.Position(1, 1), (Vec3{1, 1.5f, 3.375f}));
    // The exporters read a marker's position as the mean of its first three
    // vertices: that is the hardpoint's own.
    Vec3 sum{};
    for (int i = 0; i < 3; ++i) {
        sum = Add(sum, turned.Position(1, i));
    }
    EXPECT_EQ(Scale(sum, 0.33333334f), (Vec3{1, 2, 3}));
}

TEST(ModelImport, AMeshBeyondTheHostsVertexLimitContinuesInAnotherMesh) {
    const int triangles = static_cast<int>(kHostMeshTriangles) + 1;
    Imported im(Single({triangles}));
    ASSERT_TRUE(im.status.Ok());
    ASSERT_EQ(im.Names(), std::vector<std::string>({"Root", "Root"}));
    EXPECT_EQ(msMesh_GetTriangleCount(im.Mesh(0)), triangles - 1);
    EXPECT_EQ(msMesh_GetTriangleCount(im.Mesh(1)), 1);
    EXPECT_EQ(im.Position(1, 2), (Vec3{65534, 65544, 65554}));
    EXPECT_EQ(im.totals.triangles, static_cast<size_t>(triangles));
}

}  // namespace
}  // namespace kx::test
