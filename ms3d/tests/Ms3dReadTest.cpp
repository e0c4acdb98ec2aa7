#include <gtest/gtest.h>

#include <array>

#include "host/FileIo.h"
#include "ms3d/Ms3dIo.h"
#include "ms3d/Ms3dModel.h"
#include "ms3d/Ms3dRead.h"
#include "ms3d/tests/HandBytes.h"
#include "ms3d/tests/TestModels.h"
#include "testsupport/TempFiles.h"

namespace kx {
namespace {

using test::HandBytes;

struct TinyOptions {
    uint16_t firstCorner = 2;  // triangle 0's first vertex
    uint16_t groupAFirst = 0;  // group A's first triangle
    int8_t groupBMaterial = 0;
};

// Four vertices and two triangles. Triangle 1 reuses vertex 1 with the s, t
// triangle 0 gave it, and vertex 2 with other s, t. Group A holds both
// triangles, group B only the second; B uses the one material.
HandBytes Tiny(TinyOptions o = {}) {
    HandBytes f;
    f.header().u16(4);
    f.vertex(0, 0, 0).vertex(1, 0, 0).vertex(0, 1, 0).vertex(1, 1, 0, 5);
    f.u16(2);
    f.triangle({o.firstCorner, 0, 1}, {0, 0, 1}, {1, 0, 0});
    f.triangle({1, 3, 2}, {1, 1, 0}, {0, 1, 0}, 1, -1);
    f.u16(2).group("A", {o.groupAFirst, 1}).group("B", {1}, o.groupBMaterial);
    f.u16(1).material("Steel", eAlphaMap, "steel.tga", "steel_a.tga");
    f.noAnimation();
    return f;
}

struct Parsed {
    bool ok;
    std::string error;
    Fault fault;
    Ms3dFile file;
};

Parsed Parse(const std::vector<uint8_t>& bytes) {
    auto result = ParseMs3d(bytes);
    return {result.Ok(), result.Reason(), result.GetFault(), result.Ok() ? *result : Ms3dFile{}};
}

std::array<float, 3> Position(msMesh* mesh, int v) {
    std::array<float, 3> p{};
    msVertex_GetVertex(msMesh_GetVertexAt(mesh, v), p.data());
    return p;
}

std::array<float, 2> Uv(msMesh* mesh, int v) {
    std::array<float, 2> uv{};
    msVertex_GetTexCoords(msMesh_GetVertexAt(mesh, v), uv.data());
    return uv;
}

std::array<word, 3> Corners(msMesh* mesh, int t, bool normals = false) {
    std::array<word, 3> c{};
    (normals ? msTriangle_GetNormalIndices : msTriangle_GetVertexIndices)(
        msMesh_GetTriangleAt(mesh, t), c.data());
    return c;
}

// The modeller keeps a group's vertices in file order, whatever order its
// triangles use them in (a hardpoint marker's position depends on it).
TEST(Ms3dRead, VerticesAreDistinctFileVertexAndTexCoordsInFileOrder) {
    Parsed p = Parse(Tiny().bytes);
    ASSERT_TRUE(p.ok) << p.error;
    auto model = test::NewModel();
    const Status built = BuildModel(p.file, model.get());
    ASSERT_TRUE(built.Ok()) << built.Reason();
    ASSERT_EQ(msModel_GetMeshCount(model.get()), 2);

    msMesh* a = msModel_GetMeshAt(model.get(), 0);
    ASSERT_EQ(msMesh_GetVertexCount(a), 5);
    using P = std::array<float, 3>;
    using T = std::array<float, 2>;
    EXPECT_EQ(Position(a, 0), (P{0, 0, 0}));
    EXPECT_EQ(Position(a, 1), (P{1, 0, 0}));
    EXPECT_EQ(Uv(a, 1), (T{1, 0}));
    EXPECT_EQ(Position(a, 2), (P{0, 1, 0}));
    EXPECT_EQ(Uv(a, 2), (T{0, 1}));
    // Vertex 2 again with other s, t: after its first use's copy.
    EXPECT_EQ(Position(a, 3), (P{0, 1, 0}));
    EXPECT_EQ(Uv(a, 3), (T{0, 0}));
    EXPECT_EQ(Position(a, 4), (P{1, 1, 0}));
    EXPECT_EQ(msVertex_GetBoneIndex(msMesh_GetVertexAt(a, 4)), -1);  // joints are not kept
    EXPECT_EQ(Corners(a, 0), (std::array<word, 3>{2, 0, 1}));
    EXPECT_EQ(Corners(a, 1), (std::array<word, 3>{1, 4, 3}));
    ASSERT_EQ(msMesh_GetVertexNormalCount(a), 2);
    P n{};
    msMesh_GetVertexNormalAt(a, 1, n.data());
    EXPECT_EQ(n, (P{0, 0, -1}));
    EXPECT_EQ(Corners(a, 0, true), (std::array<word, 3>{0, 0, 0}));
    EXPECT_EQ(Corners(a, 1, true), (std::array<word, 3>{0, 0, 1}));
    EXPECT_EQ(msTriangle_GetSmoothingGroup(msMesh_GetTriangleAt(a, 1)), 1);
    EXPECT_EQ(msMesh_GetMaterialIndex(a), -1);

    // Each group numbers its own vertices.
    msMesh* b = msModel_GetMeshAt(model.get(), 1);
    ASSERT_EQ(msMesh_GetVertexCount(b), 3);
    EXPECT_EQ(Position(b, 0), (P{1, 0, 0}));
    EXPECT_EQ(Corners(b, 0), (std::array<word, 3>{0, 2, 1}));
    EXPECT_EQ(Corners(b, 0, true), (std::array<word, 3>{0, 0, 1}));
    EXPECT_EQ(msMesh_GetMaterialIndex(b), 0);

    msMaterial* m = msModel_GetMaterialAt(model.get(), 0);
    char text[MS_MAX_PATH];
    msMaterial_GetName(m, text, sizeof text);
    EXPECT_STREQ(text, "Steel");
    msMaterial_GetAlphaTexture(m, text, sizeof text);
    EXPECT_STREQ(text, "steel_a.tga");
    std::array<float, 4> c{};
    msMaterial_GetSpecular(m, c.data());
    EXPECT_EQ(c, (std::array<float, 4>{0.7f, 0.8f, 0.9f, 1}));
    EXPECT_EQ(msMaterial_GetShininess(m), 8);
    EXPECT_EQ(msMaterial_GetTransparency(m), 0.5f);
    EXPECT_EQ(msMaterial_GetFlags(m), eAlphaMap);
}

TEST(Ms3dRead, MaterialsAreAppendedAfterTheModelsOwn) {
    Parsed p = Parse(Tiny().bytes);
    ASSERT_TRUE(p.ok);
    auto model = test::CubeModel();
    ASSERT_TRUE(BuildModel(p.file, model.get()).Ok());
    EXPECT_EQ(msModel_GetMaterialCount(model.get()), 2);
    EXPECT_EQ(msMesh_GetMaterialIndex(msModel_GetMeshAt(model.get(), 2)), 1);
}

// The trailer's parts may stop after any whole part, never inside one.
TEST(Ms3dRead, TrailerEndsOnlyBetweenItsParts) {
    HandBytes f = Tiny();
    std::vector<size_t> ends{f.bytes.size()};
    f.i32(1);                               // comments
    f.i32(1).i32(1).i32(3).text("abc", 3);  // group 1's comment
    f.i32(0).i32(0);                        // material and joint comments
    f.i32(1).i32(2).text("hi", 2);          // the model comment, no index
    ends.push_back(f.bytes.size());
    f.i32(3).text("", 4 * 14);  // vertex extras, 14 bytes a vertex
    ends.push_back(f.bytes.size());
    f.i32(1);  // joint extras, no joints
    ends.push_back(f.bytes.size());
    f.i32(1).f32(1).i32(0).f32(0.5f);  // model extras
    ends.push_back(f.bytes.size());

    for (size_t n = ends.front(); n <= f.bytes.size(); ++n) {
        std::vector<uint8_t> cut(f.bytes.begin(), f.bytes.begin() + n);
        bool atEnd = std::find(ends.begin(), ends.end(), n) != ends.end();
        Parsed p = Parse(cut);
        EXPECT_EQ(p.ok, atEnd) << "length " << n << ": " << p.error;
    }
    Parsed whole = Parse(f.bytes);
    EXPECT_TRUE(whole.file.skipped.trailer);
    EXPECT_EQ(whole.file.skipped.vertexExtraSubVersion, 3);
}

TEST(Ms3dRead, VertexExtrasOfEachSubVersion) {
    for (int sub : {1, 2, 3}) {
        HandBytes f = Tiny();
        f.i32(1).i32(0).i32(0).i32(0).i32(0);
        f.i32(sub).text("", 4 * (2 + 4 * sub));
        Parsed p = Parse(f.bytes);
        EXPECT_TRUE(p.ok) << sub << ": " << p.error;
        f.bytes.pop_back();
        EXPECT_FALSE(Parse(f.bytes).ok) << sub;
    }
    HandBytes f = Tiny();
    f.i32(1).i32(0).i32(0).i32(0).i32(0).i32(4).text("", 4 * 18);
    EXPECT_EQ(Parse(f.bytes).error, "unsupported vertex extras sub-version 4");
    EXPECT_EQ(Parse(f.bytes).fault, Fault::Refused);
}

TEST(Ms3dRead, JointsAndTheirKeyFramesAreSkipped) {
    auto withJoint = [](uint16_t rotations, size_t framesPresent) {
        HandBytes f;
        f.header().u16(0).u16(0).u16(0).u16(0).f32(24).f32(0).i32(30);
        f.u16(1).u8(0).text("root", 32).text("", 32).f32s({0, 0, 0, 0, 0, 0});
        f.u16(rotations).u16(1).text("", 16 * framesPresent);
        return f;
    };
    HandBytes good = withJoint(2, 3);
    good.i32(1).i32(0).i32(0).i32(1).i32(0).i32(1).text("x", 1).i32(0);  // joint 0's comment
    good.i32(1).i32(1).text("", 12);  // vertex extras (no vertices), joint extras
    Parsed p = Parse(good.bytes);
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.file.skipped.joints, 1u);

    p = Parse(withJoint(1000, 3).bytes);
    EXPECT_FALSE(p.ok);
    EXPECT_NE(p.error.find("key frames of joint 0"), std::string::npos) << p.error;
}

TEST(Ms3dRead, DamagedFilesSayWhatIsWrong) {
    const std::vector<uint8_t> good = Tiny().bytes;
    for (size_t n = 0; n < good.size(); ++n) {
        Parsed p = Parse(std::vector<uint8_t>(good.begin(), good.begin() + n));
        EXPECT_FALSE(p.ok) << n;
        EXPECT_FALSE(p.error.empty());
        EXPECT_EQ(p.error.find('\n'), std::string::npos);
    }
    EXPECT_EQ(Parse(std::vector<uint8_t>(good.begin(), good.begin() + 12)).error,
              "file ends inside the header");
    EXPECT_EQ(Parse(std::vector<uint8_t>(good.begin(), good.begin() + 40)).error,
              "4 vertices run past the end of the file (24 bytes left)");

    auto patched = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> b = good;
        b[at] = value;
        return Parse(b).error;
    };
    EXPECT_EQ(patched(0, 'X'), "not a model file (no MS3D000000 header)");
    EXPECT_EQ(patched(10, 3), "unsupported version 3 (only 4 is read)");
    std::vector<uint8_t> otherVersion = good;
    otherVersion[10] = 3;
    EXPECT_EQ(Parse(otherVersion).fault, Fault::WrongKind);
    EXPECT_EQ(patched(15, 0xFF),  // vertex count 0xFF04
              "65284 vertices run past the end of the file (" + std::to_string(good.size() - 16) +
                  " bytes left)");
    EXPECT_EQ(Parse(Tiny({.firstCorner = 4}).bytes).error,
              "triangle 0 uses vertex 4, the file has 4 vertices");
    EXPECT_EQ(Parse(Tiny({.groupAFirst = 2}).bytes).error,
              "group 0 ('A') lists triangle 2, the file has 2 triangles");
    EXPECT_EQ(Parse(Tiny({.groupBMaterial = 1}).bytes).error,
              "group 1 ('B') uses material 1, the file has 1 materials");
    EXPECT_FALSE(Parse(Tiny({.groupBMaterial = -2}).bytes).ok);

    HandBytes comment = Tiny();
    comment.i32(1).i32(1).i32(2).i32(1).text("x", 1);
    EXPECT_EQ(Parse(comment.bytes).error, "group comment for group 2, the file has 2 groups");
    HandBytes longComment = Tiny();
    longComment.i32(1).i32(0).i32(0).i32(0).i32(1).i32(1000).text("x", 1);
    EXPECT_EQ(Parse(longComment.bytes).error,
              "a model comment of 1000 bytes does not fit in the file");
}

using test::TempFile;

TEST(Ms3dRead, AFailedReadNamesTheFileAndLeavesTheModelAlone) {
    TempFile cut("cut.ms3d");
    std::vector<uint8_t> bytes = Tiny().bytes;
    bytes.resize(100);
    ASSERT_TRUE(WriteWholeFile(cut.path(), bytes));
    auto model = test::NewModel();
    auto cutRead = ReadMs3dModel(cut.path(), model.get());
    EXPECT_EQ(cutRead.GetFault(), Fault::Damaged);
    EXPECT_EQ(cutRead.Reason(), cut.path() +
                                    ": 2 triangles run past the end of the file (22 bytes "
                                    "left)");

    // Valid as a file, but one group would need more triangles than a mesh holds.
    HandBytes big;
    big.header().u16(3).vertex(0, 0, 0).vertex(1, 0, 0).vertex(0, 1, 0).u16(1);
    big.triangle({0, 1, 2}, {0, 1, 0}, {0, 0, 1});
    big.u16(1).u8(0).text("big", 32).u16(65535).text("", 2 * 65535).u8(0xFF);
    big.u16(0).noAnimation();
    TempFile bigPath("big.ms3d");
    ASSERT_TRUE(WriteWholeFile(bigPath.path(), big.bytes));
    auto bigRead = ReadMs3dModel(bigPath.path(), model.get());
    EXPECT_EQ(bigRead.GetFault(), Fault::Refused);
    EXPECT_EQ(bigRead.Reason(), bigPath.path() + ": group 0 ('big') has more than 65534 triangles");
    EXPECT_EQ(msModel_GetMeshCount(model.get()), 0);

    auto missing = ReadMs3dModel("/nonexistent/x.ms3d", model.get());
    EXPECT_EQ(missing.GetFault(), Fault::Unreadable);
    EXPECT_EQ(missing.Reason(), "/nonexistent/x.ms3d: cannot read the file");
}

}  // namespace
}  // namespace kx
