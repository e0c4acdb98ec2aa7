// Converting plain host mesh data: names, scale and orientation, normals and
// boxes.

#include <gtest/gtest.h>

#include <cmath>

#include "meshdata/ExportMesh.h"

namespace kx {
namespace {

using Tri = std::array<uint16_t, 3>;

ExportMesh Convert(std::vector<HostVertex> vertices, std::vector<Tri> triangles, float divisor = 1,
                   float factor = 1) {
    ExportMesh m;
    SetMeshGeometry(m, vertices, triangles, divisor, factor);
    return m;
}

TEST(ExportMesh, NamesFollowTheHardpointAndIxRules) {
    struct Case {
        const char* host;
        const char* name;
        bool hardpoint;
    };
    for (const Case& c :
         {Case{"IxHpGun", "pGun", false}, Case{"Ix_Hull", "Hull", false},
          Case{"iX-hull", "hull", false}, Case{"HpGun01", "HpGun01", true}, Case{"hP", "hP", true},
          Case{"Ix", "", false}, Case{"Hull", "Hull", false}, Case{"H", "H", false}}) {
        ExportMesh m;
        SetMeshName(m, c.host);
        EXPECT_EQ(m.name, c.name) << c.host;
        EXPECT_EQ(m.hardpoint, c.hardpoint) << c.host;
    }
}

TEST(ExportMesh, PositionsAreScaledAndOrientedTextureCoordinatesKept) {
    auto upsideDown = Convert({{{92, 184, -46}, 0.25f, 0.75f}}, {}, 92, -1);
    EXPECT_EQ(upsideDown.vertices[0].position, (Vec3{1, -2, 0.5f}));
    EXPECT_EQ(upsideDown.vertices[0].u, 0.25f);
    EXPECT_EQ(upsideDown.vertices[0].v, 0.75f);
    auto backToFront = Convert({{{10, 20, -30}, 0, 0}}, {}, 10, 1);
    EXPECT_EQ(backToFront.vertices[0].position, (Vec3{1, 2, -3}));
}

TEST(ExportMesh, FaceAndVertexNormals) {
    // Two faces sharing the edge 0-1 at a right angle, and vertex 4 unused.
    auto m = Convert({{{0, 0, 0}}, {{2, 0, 0}}, {{0, 2, 0}}, {{0, 0, -2}}, {{5, 5, 5}}},
                     {{0, 1, 2}, {0, 1, 3}});
    ASSERT_EQ(m.faceNormals.size(), 2u);
    EXPECT_EQ(m.faceNormals[0], (Vec3{0, 0, 1}));
    EXPECT_EQ(m.faceNormals[1], (Vec3{0, 1, 0}));
    const float h = 1 / std::sqrt(2.0f);
    EXPECT_FLOAT_EQ(m.vertices[0].normal[1], h);
    EXPECT_FLOAT_EQ(m.vertices[0].normal[2], h);
    EXPECT_EQ(m.vertices[2].normal, (Vec3{0, 0, 1}));
    EXPECT_EQ(m.vertices[3].normal, (Vec3{0, 1, 0}));
    EXPECT_EQ(m.vertices[4].normal, (Vec3{0, 1, 0}));
}

TEST(ExportMesh, DegenerateAndDamagedFacesHaveZeroNormals) {
    // A flat triangle gives a zero face normal and a zero mean; a corner past
    // the vertices gives a zero normal without being read, and shades nothing.
    auto m = Convert({{{0, 0, 0}}, {{1, 1, 1}}, {{2, 2, 2}}}, {{0, 1, 2}, {0, 1, 9}});
    EXPECT_EQ(m.faceNormals[0], (Vec3{0, 0, 0}));
    EXPECT_EQ(m.faceNormals[1], (Vec3{0, 0, 0}));
    EXPECT_EQ(m.vertices[0].normal, (Vec3{0, 0, 0}));
    EXPECT_EQ(m.triangles[1], (Tri{0, 1, 9}));
}

TEST(ExportMesh, BoxOverTheConvertedPositions) {
    auto m = Convert({{{1, 2, 3}}, {{-1, 5, 4}}, {{0, -2, 9}}}, {}, 1, -1);
    EXPECT_EQ(m.box, (Box{1, -1, 2, -5, -3, -9}));
    EXPECT_EQ(Convert({}, {}).box, Box{});
    Box b{1, -1, 1, -1, 1, -1};
    WidenBox(b, Box{0.5f, -3, 4, 0, 1, -1});
    EXPECT_EQ(b, (Box{1, -3, 4, -1, 1, -1}));
}

}  // namespace
}  // namespace kx
