#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <set>

#include "surface/GiftWrap.h"
#include "surface/HullClosure.h"
#include "surface/SurfaceHulls.h"

namespace kx {
namespace {

// The gift wrap run literally, as the reference for general positions: a
// scan per face over all points, the wrap point replaced by every later point
// strictly in front of the plane through the edge and it.
std::vector<std::array<uint32_t, 3>> LiteralGiftWrap(const std::vector<Vec3>& all) {
    auto plane = [](const Vec3& a, const Vec3& b, const Vec3& w) {
        Vec3 n = Cross(Sub(b, a), Sub(w, a));
        const float length = Length(n);
        if (length >= 0.000001f) {
            n = {n[0] / length, n[1] / length, n[2] / length};
        }
        return std::make_pair(n, Dot(n, a));
    };
    auto run = [&](const std::vector<uint32_t>& list, std::vector<uint32_t>& found) {
        std::vector<std::array<uint32_t, 3>> faces;
        const auto n = static_cast<uint32_t>(list.size());
        auto at = [&](uint32_t i) { return all[list[i]]; };
        uint32_t p1 = 0;
        for (uint32_t i = 1; i < n; ++i) {
            p1 = at(i)[1] < at(p1)[1] ? i : p1;
        }
        uint32_t p2 = p1 == 0 ? 1 : 0;
        const Vec3 above = Add(at(p1), Vec3{0, 0, 1});
        for (uint32_t q = p2 + 1; q < n; ++q) {
            const auto [normal, offset] = plane(at(p1), at(p2), above);
            if (q != p1 && Dot(normal, at(q)) > offset) {
                p2 = q;
            }
        }
        found = {p1, p2};
        std::vector<std::array<uint32_t, 3>> edges = {{p1, p2, 1}, {p2, p1, 1}};
        auto record = [&](uint32_t a, uint32_t b) {
            for (auto& e : edges) {
                if ((e[0] == a && e[1] == b) || (e[0] == b && e[1] == a)) {
                    ++e[2];
                    return;
                }
            }
            edges.push_back({a, b, 1});
        };
        for (size_t e = 0; e < edges.size(); ++e) {
            if (edges[e][2] >= 2) {
                continue;
            }
            ++edges[e][2];
            const uint32_t a = edges[e][0], b = edges[e][1];
            uint32_t w = 0;
            while (w == a || w == b) {
                ++w;
            }
            for (uint32_t q = w + 1; q < n; ++q) {
                const auto [normal, offset] = plane(at(a), at(b), at(w));
                if (q != a && q != b && Dot(normal, at(q)) > offset) {
                    w = q;
                }
            }
            faces.push_back({a, b, w});
            if (std::find(found.begin(), found.end(), w) == found.end()) {
                found.push_back(w);
            }
            record(a, w);
            record(w, b);
            e = static_cast<size_t>(-1);  // the first edge used fewer than twice, again
        }
        for (auto& f : faces) {
            for (uint32_t& c : f) {
                c = list[c];
            }
        }
        return faces;
    };
    std::vector<uint32_t> list(all.size()), found;
    std::iota(list.begin(), list.end(), 0u);
    run(list, found);
    const std::vector<uint32_t> hull = found;  // positions in the identity list
    return run(hull, found);
}

// Every edge of a closed surface is held by two faces, once each way.
void ExpectClosed(const std::vector<std::array<uint32_t, 3>>& faces) {
    std::map<std::pair<uint32_t, uint32_t>, int> directed;
    for (const auto& f : faces) {
        for (int k = 0; k < 3; ++k) {
            ++directed[{f[k], f[(k + 1) % 3]}];
        }
    }
    for (const auto& [edge, count] : directed) {
        EXPECT_EQ(count, 1) << edge.first << "-" << edge.second;
        EXPECT_EQ(directed.count({edge.second, edge.first}), 1u)
            << edge.first << "-" << edge.second;
    }
}

TEST(GiftWrap, WrapsOnlyTheOuterPointsOfACloud) {
    // A cube's corners around a cloud of inner points, with a repeated corner.
    std::vector<Vec3> points;
    for (int i = 0; i < 200; ++i) {
        points.push_back({static_cast<float>(i % 7) * 0.2f - 0.6f,
                          static_cast<float>(i % 11) * 0.1f - 0.5f,
                          static_cast<float>(i % 13) * 0.08f - 0.48f});
    }
    const uint32_t firstCorner = static_cast<uint32_t>(points.size());
    for (int c = 0; c < 8; ++c) {
        points.push_back({c & 1 ? 1.0f : -1.0f, c & 2 ? 1.0f : -1.0f, c & 4 ? 1.0f : -1.0f});
    }
    points.push_back(points[firstCorner + 3]);
    const auto faces = *WrapHullFaces(points, 4096);
    std::set<uint32_t> used;
    for (const auto& f : faces) {
        used.insert(f.begin(), f.end());
    }
    std::set<uint32_t> corners;
    for (uint32_t c = 0; c < 8; ++c) {
        corners.insert(firstCorner + c);
    }
    EXPECT_EQ(used, corners);  // the repeat is dropped, the inner points never wrapped
    EXPECT_EQ(faces.size(), 12u);
    ExpectClosed(faces);
}

TEST(GiftWrap, GivesTheLiteralWrapsFacesInItsOrderWhereNoPointLiesOnAFace) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (int round = 0; round < 20; ++round) {
        // A ball of points, some pushed out to its surface, off the origin.
        std::vector<Vec3> points;
        const int count = 20 + round * 15;
        while (static_cast<int>(points.size()) < count) {
            Vec3 p{unit(random), unit(random), unit(random)};
            if (Dot(p, p) > 1.0f) {
                continue;
            }
            if (points.size() % 3 == 0) {
                p = Scale(p, 1.0f / Length(p));
            }
            points.push_back(Add(Scale(p, 3.0f), Vec3{5.0f, -2.0f, 1.0f}));
        }
        EXPECT_EQ(*WrapHullFaces(points, 4096), LiteralGiftWrap(points)) << "round " << round;
    }
}

TEST(GiftWrap, ALineOfPointsAtTheStartDoesNotStopTheWrap) {
    // The lowest point and the next ones lie on one vertical edge of a box.
    const std::vector<Vec3> box = {{0, 0, 1}, {0, 0, 0}, {0, 0, 2}, {2, 0, 0}, {2, 0, 2},
                                   {0, 2, 0}, {0, 2, 2}, {2, 2, 0}, {2, 2, 2}};
    const auto faces = *WrapHullFaces(box, 4096);
    std::set<uint32_t> used;
    for (const auto& f : faces) {
        used.insert(f.begin(), f.end());
    }
    for (uint32_t corner = 1; corner < box.size(); ++corner) {
        EXPECT_TRUE(used.count(corner)) << corner;
    }
    ExpectClosed(faces);
}

TEST(GiftWrap, FlatFacetsAndFlatSetsGiveOneClosedSurface) {
    EXPECT_TRUE(WrapHullFaces(std::vector<Vec3>{}, 10)->empty());
    EXPECT_TRUE(WrapHullFaces(std::vector<Vec3>{{0, 0, 0}, {1, 0, 0}, {-0.0f, 0, 0}}, 10)->empty());
    // Three points: both sides of one triangle.
    const auto triangle = *WrapHullFaces(std::vector<Vec3>{{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, 10);
    EXPECT_EQ(triangle.size(), 2u);
    ExpectClosed(triangle);

    // Grids on a level and on a tilted plane (where rounding puts points a
    // hair on either side), a line, and a box whose faces are grids.
    std::vector<Vec3> line, level, tilted, box;
    for (int i = 0; i < 20; ++i) {
        line.push_back({static_cast<float>(i) * 0.1f, 0, 0});
        for (int j = 0; j < 20; ++j) {
            level.push_back({i * 0.013f, 0.5f, j * 0.017f});
            tilted.push_back({i * 0.013f, i * 0.007f + j * 0.011f, j * 0.017f});
            for (int k = 0; k < 20; ++k) {
                if (i % 19 == 0 || j % 19 == 0 || k % 19 == 0) {
                    box.push_back({0.37f + i * 0.07f, -0.21f + j * 0.03f, 0.05f + k * 0.11f});
                }
            }
        }
    }
    EXPECT_TRUE(WrapHullFaces(line, 4096)->empty());
    for (const auto* flat : {&level, &tilted}) {
        const auto faces = *WrapHullFaces(*flat, 4096);
        // The outline's two triangles on each side, the sides split along
        // different diagonals: every edge is run once each way.
        ASSERT_EQ(faces.size(), 4u);
        ExpectClosed(faces);
        EXPECT_TRUE(IsClosedHull(faces));
    }
    const auto boxFaces = *WrapHullFaces(box, 4096);
    EXPECT_EQ(boxFaces.size(), 12u);
    ExpectClosed(boxFaces);

    // Points along a vertical hull edge and on a flat facet: none left outside.
    const std::vector<Vec3> edge = {{0, -1, 0}, {0, -1, 0.5f}, {0, -1, 1},   {1, 0, 0},
                                    {-1, 0, 0}, {0, 1, 0},     {0, 0, 1.5f}, {0, 0, -1}};
    const auto edgeFaces = *WrapHullFaces(edge, 4096);
    ExpectClosed(edgeFaces);
    for (const auto& f : edgeFaces) {
        const Vec3 n = Cross(Sub(edge[f[1]], edge[f[0]]), Sub(edge[f[2]], edge[f[0]]));
        for (const Vec3& q : edge) {
            EXPECT_LE(Dot(n, Sub(q, edge[f[0]])), 1e-5f);
        }
    }
    EXPECT_FALSE(WrapHullFaces(box, 11));
}

TEST(SquashShield, PressesTheSphereToTheModelBoxProportions) {
    SurfaceBox box;
    box.Extend(Vec3{-4, -2, -1});
    box.Extend(Vec3{4, 2, 1});
    std::vector<SurfaceVertex> v = {{{4, 2, 1}, 0}, {{-4, -2, -1}, 0}, {{0, 0, 0}, 0}};
    SquashShield(v, box);
    // Factors 1, 0.5 and 0.25 on both sides; those below 0.8333333 grow by 1.2.
    EXPECT_EQ(v[0].position, (Vec3{4, 2 * (0.5f * 1.2f), 1 * (0.25f * 1.2f)}));
    EXPECT_EQ(v[1].position, (Vec3{-4, -2 * (0.5f * 1.2f), -1 * (0.25f * 1.2f)}));
    EXPECT_EQ(v[2].position, (Vec3{0, 0, 0}));

    // Off the origin: the factors scale the coordinates, not their offsets
    // from the box centre (1, -3, -1.5).
    SurfaceBox lopsided;
    lopsided.Extend(Vec3{-2, -6, -3});
    lopsided.Extend(Vec3{4, 0, 0});
    std::vector<SurfaceVertex> w = {{{5, 1, 1}, 0}, {{-5, -1, -1}, 0}};
    SquashShield(w, lopsided);
    EXPECT_EQ(w[0].position, (Vec3{5, 1, 1.5f / 3.0f * 1.2f}));
    EXPECT_EQ(w[1].position, (Vec3{-5, -1, -1.5f / 3.0f * 1.2f}));

    SurfaceBox point;
    point.Extend(Vec3{1, 1, 1});
    std::vector<SurfaceVertex> round = {{{2, 3, 4}, 0}};
    SquashShield(round, point);
    EXPECT_EQ(round[0].position, (Vec3{2, 3, 4}));
}

TEST(Inertia, IsABoxOfTheShipsDensityAndNeverInfinite) {
    SurfaceBox box;
    box.Extend(Vec3{0, 0, 0});
    box.Extend(Vec3{2, 4, 8});
    const float density = BoxDensity(128, box);
    EXPECT_EQ(density, 2.0f);
    const float k = 2.0f * 4.0f * 8.0f * 2.0f * 0.031080997f * 0.083333336f;
    EXPECT_EQ(BoxInertia(box, density), (Vec3{80 * k, 68 * k, 20 * k}));
    EXPECT_EQ(OffsetInertia(box, density, {1, 2, 3}), (Vec3{13 * k, 10 * k, 5 * k}));
    EXPECT_EQ(BoxInertia(box, BoxDensity(0, box)), (Vec3{0, 0, 0}));

    SurfaceBox flat;
    flat.Extend(Vec3{0, 0, 0});
    flat.Extend(Vec3{2, 0, 8});
    EXPECT_EQ(BoxDensity(100, flat), 0.0f);
    EXPECT_EQ(BoxDensity(100, SurfaceBox{}), 0.0f);
}

}  // namespace
}  // namespace kx
