#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "surface/SurReader.h"
#include "surface/SurfacePart.h"
#include "testsupport/LittleEndian.h"

namespace kx {
namespace {

using test::Le;

HullTriangle Triangle(uint32_t index, std::array<uint32_t, 3> v, const std::vector<Vec3>& points) {
    HullTriangle t;
    t.flags = index;
    t.vertices = v;
    t.normal = TriangleNormal(points[v[0]], points[v[1]], points[v[2]]);
    return t;
}

TEST(LinkTriangles, LinksEachSharedEdgeToItsNeighboursEntry) {
    const std::vector<Vec3> points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    std::vector<HullTriangle> t = {Triangle(0, {0, 1, 2}, points), Triangle(1, {2, 1, 3}, points)};
    t[1].edges[2] = kEdgeWrapBit;  // bit 15 is kept as it was
    LinkTriangles(t);
    EXPECT_EQ(t[0].edges, (std::array<uint16_t, 3>{0, 3, 0}));
    EXPECT_EQ(t[1].edges, (std::array<uint16_t, 3>{0x7FFD, 0, 0x8000}));
    // Both face the same way: no opposite triangle.
    EXPECT_EQ(t[0].flags, 0u);
    EXPECT_EQ(t[1].flags, 1u);
}

TEST(LinkTriangles, TakesTheFirstNeighbourAndTheFirstOfEquallyOppositeTriangles) {
    // Three triangles on edge (0, 1): the first other one in hull order is the
    // neighbour of both others. Triangles 1 and 2 face exactly away from 0.
    const std::vector<Vec3> points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 2, 0}};
    std::vector<HullTriangle> t = {Triangle(0, {0, 1, 2}, points), Triangle(1, {1, 0, 3}, points),
                                   Triangle(2, {1, 0, 4}, points)};
    t[1].normal = {0, 0, -1};
    t[2].normal = {0, 0, -1};
    LinkTriangles(t);
    EXPECT_EQ(t[0].edges[0], 4);                      // to triangle 1, entry 0
    EXPECT_EQ(t[1].edges[0], 0x7FFC);                 // back to triangle 0
    EXPECT_EQ(t[2].edges[0], (0x8000 - 8) & 0x7FFF);  // to triangle 0 as well
    EXPECT_EQ((t[0].flags >> 12) & 0xFFF, 1u);
    EXPECT_EQ((t[1].flags >> 12) & 0xFFF, 0u);
    EXPECT_EQ((t[2].flags >> 12) & 0xFFF, 0u);
}

// Linking as the rules state it, triangle by triangle over the whole hull.
void ReferenceLink(std::vector<HullTriangle>& triangles) {
    const auto count = static_cast<int64_t>(triangles.size());
    for (int64_t i = 0; i < count; ++i) {
        HullTriangle& t = triangles[i];
        for (int k = 0; k < 3; ++k) {
            const uint32_t a = t.vertices[k], b = t.vertices[(k + 1) % 3];
            uint16_t link = 0;
            for (int64_t j = 0; j < count && link == 0; ++j) {
                if (j == i) {
                    continue;
                }
                const auto [p, q, r] = triangles[j].vertices;
                int entry = -1;
                if ((p == a && q == b) || (q == a && p == b)) {
                    entry = 0;
                } else if ((q == a && r == b) || (r == a && q == b)) {
                    entry = 1;
                } else if ((r == a && p == b) || (p == a && r == b)) {
                    entry = 2;
                }
                if (entry >= 0) {
                    link = static_cast<uint16_t>((4 * (j - i) + entry - k) & kEdgeLinkMask);
                    break;
                }
            }
            t.edges[k] = static_cast<uint16_t>((t.edges[k] & kEdgeWrapBit) | link);
        }
    }
    std::vector<uint32_t> opposite(triangles.size(), 0);
    for (int64_t i = 0; i < count; ++i) {
        float best = 0;
        for (int64_t j = 0; j < count; ++j) {
            const Vec3& a = triangles[i].normal;
            const Vec3& b = triangles[j].normal;
            const float d = a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
            if (j != i && d < best) {
                best = d;
                opposite[i] = static_cast<uint32_t>(j);
            }
        }
    }
    for (int64_t i = 0; i < count; ++i) {
        triangles[i].flags = (triangles[i].flags & 0xFF000FFFu) | (opposite[i] << 12);
    }
}

// Links `t` and checks every triangle's edges and flags against the rules.
void LinkAsTheRules(std::vector<HullTriangle>& t) {
    std::vector<HullTriangle> expected = t;
    ReferenceLink(expected);
    LinkTriangles(t);
    for (size_t i = 0; i < t.size(); ++i) {
        ASSERT_EQ(t[i].edges, expected[i].edges) << "triangle " << i;
        ASSERT_EQ(t[i].flags, expected[i].flags) << "triangle " << i;
    }
}

TEST(LinkTriangles, ChoosesWhatTheRulesChooseOnCrowdedHulls) {
    // Few vertices for many triangles, so most edges have several candidate
    // neighbours; points on a coarse lattice, so many normals are equal or
    // exactly opposite (ties), some triangles degenerate, and some normals
    // set by hand as the hardpoint shapes set them.
    uint32_t seed = 2024;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    for (const uint32_t vertexCount : {4u, 7u, 12u, 40u}) {
        for (const size_t triangleCount : {size_t{2}, size_t{9}, size_t{60}, size_t{700}}) {
            std::vector<Vec3> points;
            for (uint32_t v = 0; v < vertexCount; ++v) {
                points.push_back({float(next(5)) - 2, float(next(5)) - 2, float(next(5)) - 2});
            }
            std::vector<HullTriangle> t;
            for (size_t i = 0; i < triangleCount; ++i) {
                HullTriangle tri =
                    Triangle(static_cast<uint32_t>(i),
                             {next(vertexCount), next(vertexCount), next(vertexCount)}, points);
                if (next(10) == 0) {
                    tri.normal = {0, 0, next(2) ? 1.0f : -1.0f};
                }
                tri.edges[next(3)] = next(2) ? kEdgeWrapBit : 0;
                t.push_back(tri);
            }
            SCOPED_TRACE(testing::Message()
                         << vertexCount << " vertices, " << triangleCount << " triangles");
            LinkAsTheRules(t);
        }
    }
}

TEST(LinkTriangles, FindsTheOppositeOnARoundHullAndWithNormalsOutOfRange) {
    // Normals all over the sphere, nearly equal ones among them: the
    // opposite is the scan's choice down to the last bit.
    std::vector<HullTriangle> t;
    for (uint32_t i = 0; i < 3000; ++i) {
        HullTriangle tri;
        tri.flags = i;
        tri.vertices = {i, i + 1, i + 2};
        const float phi = 0.7f * static_cast<float>(i), z = 1.0f - 2.0f * float(i % 997) / 996;
        const float r = std::sqrt(std::max(0.0f, 1 - z * z));
        tri.normal = Normalised(Vec3{r * std::cos(phi), r * std::sin(phi), z});
        t.push_back(tri);
    }
    LinkAsTheRules(t);
    // A normal that is not finite is never chosen, and a triangle with one
    // has no opposite; the others still find theirs.
    t.resize(4);
    t[1].normal = {std::nanf(""), 0, 0};
    t[2].normal = {-t[0].normal[0], -t[0].normal[1], -t[0].normal[2]};
    LinkAsTheRules(t);
    EXPECT_EQ((t[0].flags >> 12) & 0xFFF, 2u);
    EXPECT_EQ((t[1].flags >> 12) & 0xFFF, 0u);
}

TEST(LinkTriangles, ChoosesTheSameWithVertexNumbersFarApartAndNormalsInClusters) {
    // Vertex numbers far beyond the hull's size (ranked before linking), on
    // a crowded hull; normals in a few tight clusters with sparse ones
    // between, so that the nearest to many a reversed normal lies outside
    // the cells first searched.
    uint32_t seed = 77;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    const std::vector<Vec3> centres = {{0, 0, 1}, {0.6f, 0.8f, 0}, {-0.6f, -0.8f, 0.1f}};
    std::vector<HullTriangle> t;
    for (uint32_t i = 0; i < 2500; ++i) {
        HullTriangle tri;
        tri.flags = i;
        tri.vertices = {next(300) * 1000003u + 7, next(300) * 1000003u + 7,
                        next(300) * 1000003u + 7};
        const Vec3 jitter{float(next(1000)) - 500, float(next(1000)) - 500,
                          float(next(1000)) - 500};
        const Vec3& centre = centres[i % centres.size()];
        const float spread = i % 7 == 0 ? 1e-3f : 2e-5f;
        tri.normal =
            i % 11 == 0 ? Normalised(jitter) : Normalised(Add(centre, Scale(jitter, spread)));
        t.push_back(tri);
    }
    LinkAsTheRules(t);
}

TEST(SurfacePart, WritesEveryOffsetFromTheRecordsOwnLayout) {
    const std::vector<Vec3> points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    SurfacePart part;
    part.id = 0xAABBCCDD;
    part.partCode = 0xF5;
    part.box.Extend(Vec3{0, 0, 0});
    part.box.Extend(Vec3{1, 1, 0});
    part.centre = {0.5f, 0.5f, 0};
    part.radius = 2;
    part.inertia = {1, 2, 3};
    BoundingNode group;
    group.tag = 7;
    part.AppendGroupNode(group);
    const uint32_t hull = part.AddHull(kHullOrdinary, 0x11);
    for (const Vec3& p : points) {
        part.AddVertex(p, 0x11);
    }
    part.Hull(hull).triangles = {Triangle(0, {0, 1, 2}, points), Triangle(1, {2, 1, 3}, points)};
    BoundingNode node;
    node.centre = {0.5f, 0.5f, 0};
    node.radius = 1;
    node.tag = 8;
    part.AppendHullNode(node, hull);
    part.hardpointListPresent = true;
    part.hardpointIds = {0x22};
    ASSERT_TRUE(part.Finish().Ok());

    Le want;
    want.u32(0xAABBCCDD);
    want.u32(3);  // exts, surf, hpid
    want.text("exts", 4);
    for (float f : {0.f, 0.f, 0.f, 1.f, 1.f, 0.f}) {
        want.f32(f);
    }
    want.text("surf", 4);
    // 48 header + 48 hull + 64 vertices + 28 for the one node: a group of one
    // hull node gives way to it.
    want.u32(188);
    for (float f : {0.5f, 0.5f, 0.f, 1.f, 2.f, 3.f, 2.f}) {
        want.f32(f);
    }
    want.u8(0xF5);
    want.u8(0xBC).u8(0x00).u8(0x00);
    want.u32(160);  // node list
    want.u32(0).u32(0).u32(0);
    // Hull at record byte 92, vertex list at 140, nodes at 204.
    want.u32(48);
    want.u32(0x11);
    want.u8(4);
    want.u16(4 + 2 + 1);
    want.u8(0);
    want.u32(2);
    want.u32(0);
    for (uint16_t v : {0, 0, 1, 3, 2, 0}) {
        want.u16(v);
    }
    want.u32(1);
    for (uint16_t v : {2, 0x7FFD, 1, 0, 3, 0}) {
        want.u16(v);
    }
    for (const Vec3& p : points) {
        want.f32(p[0]);
        want.f32(p[1]);
        want.f32(p[2]);
        want.u32(0x11);
    }
    want.u32(0);
    want.i32(92 - 204);
    for (float f : {0.5f, 0.5f, 0.f, 1.f}) {
        want.f32(f);
    }
    want.u32(8);
    want.text("hpid", 4);
    want.u32(1);
    want.u32(0x22);

    ByteWriter got;
    part.Write(got);
    EXPECT_EQ(got.Data(), want.bytes);
}

TEST(SurfacePart, LaysTheNodesOutAsABinaryTreeWithTheRootFirst) {
    SurfacePart part;
    part.fixed = true;
    const uint32_t a = part.AddHull(kHullOrdinary, 1);
    const uint32_t b = part.AddHull(kHullOrdinary, 2);
    auto at = [](float x, float r, uint32_t tag) {
        BoundingNode n;
        n.centre = {x, 0, 0};
        n.radius = r;
        n.tag = tag;
        return n;
    };
    part.AppendHullNode(at(0, 1, 10), a);
    part.AppendGroupNode(at(4, 1.5f, 20));  // two hull nodes: an inner node
    part.AppendHullNode(at(4, 1, 21), b);
    part.AppendHullNode(at(6, 1, 22), a);
    part.AppendGroupNode(at(9, 2, 30));  // one hull node: gives way to it
    part.AppendHullNode(at(9, 1, 31), b);
    const uint32_t wrap = part.AddHull(kHullWrap, 0);
    part.InsertRootNode(at(4, 20, 40), wrap);
    EXPECT_EQ(part.ChunkCount(), 3u);  // no "hpid": three chunks
    ASSERT_TRUE(part.Finish().Ok());

    // root(hull 10, added(group 20(21, 22), 31)), in walk order.
    const auto& nodes = part.Nodes();
    ASSERT_EQ(nodes.size(), 7u);
    const uint32_t tags[] = {40, 10, 20 >> 1, 20, 21, 22, 31};
    const uint32_t skips[] = {2, 0, 4, 2, 0, 0, 0};
    for (size_t n = 0; n < nodes.size(); ++n) {
        EXPECT_EQ(nodes[n].tag, tags[n]) << n;
        EXPECT_EQ(nodes[n].skip, 28 * skips[n]) << n;
    }
    // The group (x 2.5 to 5.5) grew to hold its second hull node too (to 7);
    // the added node holds the group and the last hull node (x 2.5 to 10).
    EXPECT_EQ(nodes[3].centre[0], 4.75f);
    EXPECT_EQ(nodes[3].radius, 2.25f);
    EXPECT_EQ(nodes[2].centre[0], 6.25f);
    EXPECT_EQ(nodes[2].radius, 3.75f);
    EXPECT_EQ(nodes[0].radius, 20.0f);  // already holds everything

    const auto read = ReadSurFile(WriteSurfaceFile(std::span(&part, 1)));
    ASSERT_TRUE(read.Ok()) << read.Reason();
    const SurPart& p = read->parts[0];
    // The wrap hull leads to the root node, the root node to the wrap hull.
    EXPECT_EQ(p.hulls[2].position + p.hulls[2].owner, p.nodeListOffset);
    EXPECT_EQ(int64_t{p.nodeListOffset} + p.nodes[0].hullOffset, p.hulls[2].position);
    EXPECT_EQ(p.nodes[2].hullOffset, 0);
}

TEST(SurfacePart, RefusesNumbersItsFieldsCannotHold) {
    SurfacePart wide;
    wide.id = 0x1234ABCD;
    for (uint32_t v = 0; v <= kMaxPartVertices; ++v) {
        wide.AddVertex({}, 0);
    }
    const Status vertices = wide.Finish();
    ASSERT_FALSE(vertices.Ok());
    EXPECT_EQ(vertices.GetFault(), Fault::Refused);
    EXPECT_EQ(vertices.Reason(),
              "Part 0x1234ABCD has 65536 vertices; a surface part holds at most 65535");

    SurfacePart large;
    large.id = 0x12;
    const uint32_t hull = large.AddHull(kHullOrdinary, 0);
    large.AddVertex({}, 0);
    large.Hull(hull).triangles.resize(kMaxHullTriangles);
    EXPECT_TRUE(large.Finish().Ok());
    large.Hull(hull).triangles.resize(kMaxHullTriangles + 1);
    const Status triangles = large.Finish();
    ASSERT_FALSE(triangles.Ok());
    EXPECT_EQ(triangles.Reason(),
              "Part 0x00000012 has a hull of 4097 triangles; a surface hull holds at most 4096");
}

}  // namespace
}  // namespace kx
