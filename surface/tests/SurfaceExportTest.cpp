#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "ReaderWalk.h"
#include "SurfaceTestModels.h"
#include "container/NameHash.h"
#include "meshutil/SphereMesh.h"
#include "surface/HardpointShapes.h"
#include "surface/HullClosure.h"
#include "surface/SurReader.h"
#include "surface/SurfaceExport.h"
#include "testsupport/LittleEndian.h"

namespace kx::test {
namespace {

// A tetrahedron centred on the origin whose corners lie 3 from it, its
// faces wound outward in the order the gift wrap finds them.
const std::vector<Vec3> kTetra = {{2, 2, 1}, {-2, -2, 1}, {2, -2, -1}, {-2, 2, -1}};
const Faces kTetraFaces = {{1, 2, 0}, {2, 1, 3}, {1, 0, 3}, {0, 2, 3}};

// The tetrahedron's four triangles: flags (index, opposite, wrap byte) and
// links worked out by hand from the linking rules.
void TetraTriangles(Le& w, bool wrap) {
    const uint32_t flags[4] = {0x1000, 0x0001, 0x1002, 0x0003};
    const uint16_t links[4][3] = {
        {4, 11, 6}, {0x7FFC, 5, 7}, {0x7FFA, 5, 0x7FFB}, {0x7FF5, 0x7FF9, 0x7FFB}};
    for (int t = 0; t < 4; ++t) {
        w.u32(flags[t] | (wrap ? 0x80000000u : 0));
        for (int k = 0; k < 3; ++k) {
            w.u16(static_cast<uint16_t>(kTetraFaces[t][k]));
            w.u16(static_cast<uint16_t>(links[t][k] | (wrap ? 0x8000 : 0)));
        }
    }
}

// An export as a person meets it: the bytes to write, and every message in
// the order shown (the refusal last).
struct Exported {
    bool ok = false;
    std::vector<uint8_t> bytes;
    SurfaceMessages messages;
    Fault fault = Fault::None;
};

Exported Export(const TestModel& model, const SurfaceOptions& options) {
    SurfaceMessages warnings;
    Result<std::vector<uint8_t>> bytes =
        ExportSurface(model.get(), options, TestDevice(), warnings);
    Exported out;
    out.ok = bytes.Ok();
    out.fault = bytes.GetFault();
    out.messages = SurfaceExportMessages(bytes, std::move(warnings));
    if (bytes) {
        out.bytes = std::move(*bytes);
    }
    return out;
}

TEST(ExportSurface, WritesASingleGroupShrinkWrappedTetrahedronByteForByte) {
    TestModel model;
    model.Mesh("hull", kTetra, kTetraFaces);
    SurfaceOptions options = PlainOptions();
    options.collisionKind = CollisionKind::ShrinkWrapped;
    options.shipMass = 64;  // box 4 x 4 x 2: density 2
    const Exported result = Export(model, options);
    ASSERT_TRUE(result.ok);
    EXPECT_TRUE(result.messages.empty());

    const uint32_t root = 0x12688F2D;  // "Root"
    const float k = 4.0f * 4.0f * 2.0f * 2.0f * 0.031080997f * 0.083333336f;
    Le want;
    want.text("vers", 4);
    want.f32(2.0f);
    want.u32(root);
    want.u32(3);  // "!fxd", "exts", "surf": no hardpoints
    want.text("!fxd", 4);
    want.text("exts", 4);
    want.f32s({-2, -2, -1, 2, 2, 1});
    want.text("surf", 4);
    want.u32(328);
    want.f32s({0, 0, 0, 20 * k, 20 * k, 32 * k, 3});
    want.u8(0xCF);
    want.u8(0x48).u8(0x01).u8(0x00);
    want.u32(272);
    want.u32(0).u32(0).u32(0);
    // Record positions: hulls at 96 and 176, vertices at 256, nodes at 320.
    want.u32(160);
    want.u32(root);
    want.u8(4);
    want.u16(9);
    want.u8(0);
    want.u32(4);
    TetraTriangles(want, false);
    want.u32(80);
    want.u32(144);  // the wrap hull's distance to the root node
    want.u8(5);
    want.u16(9);
    want.u8(0);
    want.u32(4);
    TetraTriangles(want, true);
    for (const Vec3& p : kTetra) {
        want.f32s({p[0], p[1], p[2]});
        want.u32(root);
    }
    want.u32(0);  // no group node to skip to
    want.i32(176 - 320);
    want.f32s({0, 0, 0, 1.44f * 3.0f});
    want.u32(0xA061A7);
    want.u32(0);
    want.i32(96 - 348);
    want.f32s({0, 0, 0, 1.2f * 3.0f});
    want.u32(root >> 2);
    EXPECT_EQ(result.bytes, want.bytes);
}

// The sections and offsets of a single-group model with a hardpoint, worked
// out by hand: the layout the game's own files with hardpoints have.
TEST(ExportSurface, SingleGroupWithAHardpointHasTheGamesSectionLayout) {
    TestModel model;
    std::vector<Vec3> big = kTetra;
    for (Vec3& p : big) {
        p = Scale(p, 10.0f);
    }
    model.Mesh("hull", big, kTetraFaces);
    model.Marker("HpWeapon01", {0, 0, 0});  // its shape lies well inside
    SurfaceOptions options = PlainOptions();
    options.collisionKind = CollisionKind::ShrinkWrapped;
    const Exported result = Export(model, options);
    ASSERT_TRUE(result.ok);
    const std::vector<uint8_t>& b = result.bytes;
    // Record at 8: id, chunk count, "!fxd", "exts" and box, "surf" and size,
    // the 48-byte header from 56 (record 48). From the header: tetrahedron
    // hull at 48 (4 triangles), hardpoint hull at 128 (12), wrap at 336 (4),
    // 12 vertices at 416, 3 nodes at 608, "hpid" at 692.
    ASSERT_EQ(b.size(), 8u + 48 + 692 + 12);
    const size_t h = 56;
    auto tag = [&](size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); };
    EXPECT_EQ(U32At(b, 8), NameHash("Root"));
    EXPECT_EQ(U32At(b, 12), 4u);  // "!fxd", "exts", "surf", "hpid"
    EXPECT_EQ(tag(16), "!fxd");
    EXPECT_EQ(tag(20), "exts");
    EXPECT_EQ(tag(48), "surf");
    EXPECT_EQ(U32At(b, 52), 692u);
    EXPECT_EQ(U32At(b, h + 28), 0xCFu | (692u << 8));  // part code and the 24-bit size
    EXPECT_EQ(U32At(b, h + 32), 608u);
    const struct {
        size_t at;
        uint32_t toVertices, owner, typeAndCount, triangles;
    } hulls[] = {
        {48, 416 - 48, NameHash("Root"), 4 | (9u << 8), 4},
        {128, 416 - 128, NameHash("HpWeapon01"), 4 | (21u << 8), 12},
        {336, 416 - 336, 608 - 336, 5 | (9u << 8), 4},
    };
    for (const auto& hull : hulls) {
        EXPECT_EQ(U32At(b, h + hull.at), hull.toVertices) << hull.at;
        EXPECT_EQ(U32At(b, h + hull.at + 4), hull.owner) << hull.at;
        EXPECT_EQ(U32At(b, h + hull.at + 8), hull.typeAndCount) << hull.at;
        EXPECT_EQ(U32At(b, h + hull.at + 12), hull.triangles) << hull.at;
    }
    // The root over the wrap; its left subtree the tetrahedron's leaf, its
    // skip leading to the hardpoint's leaf.
    const struct {
        uint32_t skip;
        int32_t toHull;
    } nodes[] = {{56, 336 - 608}, {0, 48 - 636}, {0, 128 - 664}};
    for (size_t n = 0; n < 3; ++n) {
        EXPECT_EQ(U32At(b, h + 608 + 28 * n), nodes[n].skip) << n;
        EXPECT_EQ(static_cast<int32_t>(U32At(b, h + 608 + 28 * n + 4)), nodes[n].toHull) << n;
    }
    EXPECT_EQ(tag(h + 692), "hpid");
    EXPECT_EQ(U32At(b, h + 696), 1u);
    EXPECT_EQ(U32At(b, h + 700), NameHash("HpWeapon01"));
}

TEST(ExportSurface, WritesAFurtherGroupWithoutHardpointsAsOneHullAndOneNode) {
    TestModel model;
    model.Mesh("hull", kTetra, kTetraFaces);
    std::vector<Vec3> moved = kTetra;
    for (Vec3& p : moved) {
        p[0] += 8;
    }
    model.Mesh("wing", moved, kTetraFaces);
    SurfaceOptions options = PlainOptions();
    options.groupCount = 2;
    options.quantities[0] = 1;
    options.quantities[1] = 1;
    options.shipMass = 64;
    const Exported result = Export(model, options);
    ASSERT_TRUE(result.ok);
    const auto file = ReadSurFile(result.bytes);
    ASSERT_TRUE(file.Ok()) << file.Reason();
    ASSERT_EQ(file->parts.size(), 2u);
    const SurPart& rootPart = file->parts[0];
    EXPECT_EQ(rootPart.chunkCount, 3u);  // the shield alone makes no "hpid"
    EXPECT_FALSE(rootPart.hasHardpointList);

    // The further part, from its first byte to the end of the file.
    const uint32_t wing = NameHash("wing_lod1");
    const float k = 4.0f * 4.0f * 2.0f * 2.0f * 0.031080997f * 0.083333336f;
    Le want;
    want.u32(wing);
    want.u32(2);
    want.text("exts", 4);
    want.f32s({6, -2, -1, 10, 2, 1});
    want.text("surf", 4);
    want.u32(48 + 80 + 64 + 28);
    want.f32s({8, 0, 0, 20 * k, 20 * k, 32 * k, 1.2f * 3.0f});
    want.u8(0xF5);
    want.u8(0xDC).u8(0x00).u8(0x00);
    want.u32(48 + 80 + 64);
    want.u32(0).u32(0).u32(0);
    want.u32(80);  // hull at 92, vertices at 172
    want.u32(wing);
    want.u8(4);
    want.u16(9);
    want.u8(0);
    want.u32(4);
    TetraTriangles(want, false);
    for (const Vec3& p : moved) {
        want.f32s({p[0], p[1], p[2]});
        want.u32(wing);
    }
    want.u32(0);
    want.i32(92 - 236);
    want.f32s({8, 0, 0, 1.2f * 3.0f});
    want.u32(wing >> 2);
    const std::vector<uint8_t> tail(result.bytes.begin() + file->parts[1].fileOffset,
                                    result.bytes.end());
    EXPECT_EQ(tail, want.bytes);
}

TEST(ExportSurface, ShieldBubbleWrapsTheRootInACopyOfTheShieldHull) {
    TestModel model;
    model.Octahedron("hull", {0, 0, 0}, 2);
    model.Octahedron("wing", {5, 0, 0}, 1);
    model.Marker("HpWeapon01", {5, 1, 0});
    SurfaceOptions options = PlainOptions();
    options.groupCount = 2;
    options.quantities[0] = 1;
    options.quantities[1] = 2;
    const Exported result = Export(model, options);
    ASSERT_TRUE(result.ok);
    const auto file = ReadSurFile(result.bytes);
    ASSERT_TRUE(file.Ok()) << file.Reason();
    const SurPart& root = file->parts[0];
    // Root mesh, shield, wing mesh, the weapon, the wrap.
    ASSERT_EQ(root.hulls.size(), 5u);
    const SurHull& shield = root.hulls[1];
    const SurHull& wrap = root.hulls[4];
    EXPECT_EQ(shield.owner, 0xF00FB9DEu);
    EXPECT_EQ(wrap.type, 5);
    ASSERT_EQ(wrap.triangles.size(), 100u);
    for (size_t i = 0; i < 100; ++i) {
        const SurTriangle& s = shield.triangles[i];
        const SurTriangle& w = wrap.triangles[i];
        EXPECT_EQ(w.flags, (s.flags & 0xFFFFFF) | 0x80000000u);
        EXPECT_EQ(w.vertices, s.vertices);
        for (int e = 0; e < 3; ++e) {
            EXPECT_EQ(w.edges[e], s.edges[e] | 0x8000);
        }
    }
    EXPECT_EQ(root.chunkCount, 4u);
    EXPECT_EQ(root.hardpointIds, (std::vector<uint32_t>{0xF00FB9DE, NameHash("HpWeapon01")}));
    // The wing holds the weapon: its mesh, the weapon and its own wrap.
    const SurPart& wing = file->parts[1];
    EXPECT_EQ(wing.chunkCount, 3u);
    EXPECT_EQ(wing.hardpointIds, (std::vector<uint32_t>{NameHash("HpWeapon01")}));
    ASSERT_EQ(wing.hulls.size(), 3u);
    EXPECT_EQ(wing.hulls[2].type, 5);
}

TEST(ExportSurface, RefusesWhatItCannotExport) {
    {
        TestModel markers;
        markers.Marker("HpWeapon01", {0, 0, 0});
        markers.Mesh("IxHidden", kTetra, kTetraFaces);
        const Exported result = Export(markers, PlainOptions());
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(result.bytes.empty());
        EXPECT_EQ(result.fault, Fault::Refused);
        EXPECT_EQ(result.messages, (SurfaceMessages{{"Could not create mesh"},
                                                    {"Failed to calculate bounding sphere"}}));
    }
    {
        TestModel broken;
        broken.Mesh("hull", {{0, 0, 0}, {1, 0, std::numeric_limits<float>::quiet_NaN()}, {0, 1, 0}},
                    {{0, 1, 2}});
        const Exported result = Export(broken, PlainOptions());
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.messages,
                  (SurfaceMessages{{"Mesh hull has a position, normal or texture coordinate that "
                                    "is not a finite number."}}));
    }
    {
        // Finite host positions that a tiny divisor carries past the float range.
        TestModel huge;
        huge.Mesh("hull", {{0, 0, 0}, {3e38f, 0, 0}, {0, 1, 0}}, {{0, 1, 2}});
        SurfaceOptions options = PlainOptions();
        options.floatScale = 0.5f;
        EXPECT_FALSE(Export(huge, options).ok);
    }
    {
        TestModel pointing;
        pointing.Mesh("hull", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 3}});
        const Exported result = Export(pointing, PlainOptions());
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.messages.back().text,
                  "Mesh hull has a triangle whose vertex index lies outside the mesh.");
    }
    {
        // The second group holds only a marker: it cannot be built.
        TestModel empty;
        empty.Mesh("hull", kTetra, kTetraFaces);
        empty.Marker("HpWeapon01", {0, 0, 0});
        SurfaceOptions options = PlainOptions();
        options.groupCount = 2;
        options.quantities = {1, 1};
        const Exported result = Export(empty, options);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.messages, (SurfaceMessages{{"CreateSurFile: Failed to create mesh"},
                                                    {"Could not generate D3DMeshes  - exiting"}}));
    }
}

// A flat wing of two triangles and two tetrahedra apart in one group do not
// close; with closed hulls each is its convex hull (the wing's both sides of
// its outline), and every hull a reader finds is closed.
TEST(ExportSurface, NamesTheGroupsThatDoNotCloseOrClosesEveryHull) {
    TestModel model;
    model.Mesh("hull", kTetra, kTetraFaces);
    model.Mesh("wing", {{4, 0, 0}, {6, 0, 0}, {4, 0, 2}, {6, 0, 2}}, {{0, 2, 1}, {1, 2, 3}});
    std::vector<Vec3> far = kTetra;
    for (Vec3& p : far) {
        p[0] -= 10;
    }
    model.Mesh("pod_a", kTetra, kTetraFaces);
    model.Mesh("pod_b", far, kTetraFaces);
    model.Marker("HpWeapon01", {5, 0, 1});
    for (bool closed : {false, true}) {
        for (int groups : {1, 3}) {
            SurfaceOptions options = PlainOptions();
            options.closedHulls = closed;
            options.groupCount = groups;
            options.quantities = {1, 1, 3};
            const Exported result = Export(model, options);
            const std::string run = std::to_string(groups) + (closed ? " closed" : "");
            ASSERT_TRUE(result.ok) << run;
            // Apart in one group only where the pods share one.
            const std::string open = groups == 1 ? "wing" : "wing, pod_a, pod_b";
            const SurfaceMessages want = {
                {"These groups do not make closed collision hulls: " + open, "Warning", true}};
            EXPECT_EQ(result.messages, closed ? SurfaceMessages{} : want) << run;
            const auto faults = ReaderFaults(result.bytes, closed);
            EXPECT_EQ(faults, std::vector<std::string>{}) << run;
        }
    }
}

TEST(ExportSurface, HardpointShapesAndTheShieldAreClosed) {
    for (uint32_t type = 1; type <= 8; ++type) {
        std::vector<std::array<uint32_t, 3>> corners;
        for (const HullTriangle& t : GetHardpointShape(type).triangles) {
            corners.push_back(t.vertices);
        }
        EXPECT_TRUE(IsClosedHull(corners)) << type;
    }
    meshutil::TriMesh* sphere = nullptr;
    ASSERT_EQ(meshutil::CreateSphereMesh(TestDevice(), 2.0f, 10, 6, &sphere, nullptr),
              meshutil::STATUS_OK);
    std::vector<std::array<uint32_t, 3>> corners;
    for (uint32_t f = 0; f < sphere->GetFaceCount(); ++f) {
        corners.push_back(
            {sphere->Index(3 * f), sphere->Index(3 * f + 1), sphere->Index(3 * f + 2)});
    }
    sphere->Release();
    EXPECT_TRUE(IsClosedHull(corners));
}

TEST(SurfaceOptionsFromWords, TakesEachSettingByItsWord) {
    SettingsWords words{};
    words[0] = static_cast<uint32_t>(-1);
    words[1] = 1;
    words[3] = 2;
    words[4] = 3;
    words[21] = 7;
    words[22] = 0xABCD0003;  // the model type is the low half
    words[27] = std::bit_cast<uint32_t>(50.5f);
    const SurfaceOptions o =
        SurfaceOptionsFromWords(words, CollisionKind::ShrinkWrapped, 250, true);
    EXPECT_EQ(o.integerScale, -1);
    EXPECT_EQ(o.floatScale, 50.5f);
    EXPECT_EQ(o.orientation, 1);
    EXPECT_EQ(o.groupCount, 2);
    EXPECT_EQ(o.quantities[0], 3);
    EXPECT_EQ(o.quantities[17], 7);
    EXPECT_EQ(o.modelType, 3);
    EXPECT_EQ(o.collisionKind, CollisionKind::ShrinkWrapped);
    EXPECT_EQ(o.shipMass, 250u);
    EXPECT_TRUE(o.reductionOff);
}

TEST(ExportSurface, ScalesByTheReciprocalAndOrientsUpsideDown) {
    TestModel model;
    model.Mesh("hull", kTetra, kTetraFaces);
    SurfaceOptions options;
    options.floatScale = std::numeric_limits<float>::infinity();  // unusable: integer scale
    options.integerScale = 3;
    options.orientation = 0;
    options.collisionKind = CollisionKind::ShrinkWrapped;
    const Exported result = Export(model, options);
    ASSERT_TRUE(result.ok);
    const auto file = ReadSurFile(result.bytes);
    ASSERT_TRUE(file.Ok()) << file.Reason();
    const float inverse = 1.0f / 3.0f;
    const Vec3 first = file->parts[0].vertices[0].position;
    EXPECT_EQ(first, (Vec3{2 * inverse, -2.0f * inverse, -1.0f * inverse}));
}

}  // namespace
}  // namespace kx::test
