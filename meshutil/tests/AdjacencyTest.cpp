#include <gtest/gtest.h>

#include "TestMeshes.h"

namespace kx::meshutil::test {
namespace {

const Points kSquare = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};

TEST(GenerateAdjacency, LinksOnlyEdgesThatRunOppositeWays) {
    auto consistent = MakeMesh(kSquare, {0, 1, 2, 2, 1, 3});
    EXPECT_EQ(AdjacencyOf(*consistent, 0.05f), (Indices{N, 1, N, 0, N, N}));
    auto flipped = MakeMesh(kSquare, {0, 1, 2, 1, 2, 3});
    EXPECT_EQ(AdjacencyOf(*flipped, 0.05f), (Indices{N, N, N, N, N, N}));
}

// Second triangle written with its own copies of the shared vertices, moved by d.
TriMeshPtr SplitSquare(float d) {
    return MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, d}, {0, 1, d}, {1, 1, 0}},
                    {0, 1, 2, 4, 3, 5});
}

TEST(GenerateAdjacency, JoinsCopiesStrictlyCloserThanEpsilon) {
    EXPECT_EQ(AdjacencyOf(*SplitSquare(0.25f), 0.5f), (Indices{N, 1, N, 0, N, N}));
    EXPECT_EQ(AdjacencyOf(*SplitSquare(0.5f), 0.5f), (Indices{N, N, N, N, N, N}));
}

TEST(GenerateAdjacency, EpsilonZeroMeansTheSamePosition) {
    EXPECT_EQ(AdjacencyOf(*SplitSquare(0.0f), 0.0f), (Indices{N, 1, N, 0, N, N}));
    EXPECT_EQ(AdjacencyOf(*SplitSquare(-0.0f), 0.0f), (Indices{N, 1, N, 0, N, N}));
    EXPECT_EQ(AdjacencyOf(*SplitSquare(1e-7f), 0.0f), (Indices{N, N, N, N, N, N}));
}

TEST(GenerateAdjacency, NeverJoinsTwoCornersOfOneFace) {
    // Vertices 0 and 1 are closer than epsilon; joined, face 0 would collapse.
    auto mesh = MakeMesh({{0, 0, 0}, {0.01f, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {0, 1, 2, 2, 1, 3});
    EXPECT_EQ(AdjacencyOf(*mesh, 0.05f), (Indices{N, 1, N, 0, N, N}));
}

// Faces 1 and 2 both run B -> A against face 0's A -> B.
Indices ThreeOnOneEdge(const std::array<float, 3>& d1, const std::array<float, 3>& d2) {
    auto mesh = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0.5f, 1, 0}, d1, d2}, {0, 1, 2, 1, 0, 3, 1, 0, 4});
    return AdjacencyOf(*mesh, 0.001f);
}

TEST(GenerateAdjacency, ThreeFacesOnOneEdgeLinkTheBestAlignedPair) {
    const std::array<float, 3> flat = {0.5f, -1, 0}, folded = {0.5f, -1, 1};
    EXPECT_EQ(ThreeOnOneEdge(folded, flat), (Indices{2, N, N, N, N, N, 0, N, N}));
    EXPECT_EQ(ThreeOnOneEdge(flat, folded), (Indices{1, N, N, 0, N, N, N, N, N}));
    // Equal scores: the face recorded last wins.
    EXPECT_EQ(ThreeOnOneEdge(folded, {0.5f, -1, -1}), (Indices{2, N, N, N, N, N, 0, N, N}));
}

TEST(GenerateAdjacency, DegenerateAndUnusedFacesHaveNoNeighbours) {
    auto degenerate = MakeMesh(kSquare, {0, 1, 2, 2, 1, 1, 2, 1, 3});
    EXPECT_EQ(AdjacencyOf(*degenerate, 0.05f), (Indices{N, 2, N, N, N, N, 0, N, N}));
    auto unused = MakeMesh(kSquare, {0, 1, 2, 0xFFFF, 1, 3, 2, 1, 3});
    EXPECT_EQ(AdjacencyOf(*unused, 0.05f), (Indices{N, 2, N, N, N, N, 0, N, N}));
}

TEST(GenerateAdjacency, RefusesBadCallsWithoutWriting) {
    Indices adjacency(6, 7);
    auto outOfRange = MakeMesh(kSquare, {0, 1, 2, 2, 1, 3});
    outOfRange->SetIndex(5, 4);
    EXPECT_EQ(outOfRange->GenerateAdjacency(0.05f, adjacency.data()), STATUS_INVALID_CALL);
    EXPECT_EQ(outOfRange->PointRepsToAdjacency(nullptr, adjacency.data()), STATUS_INVALID_CALL);
    EXPECT_EQ(adjacency, Indices(6, 7));

    auto mesh = MakeMesh(kSquare, {0, 1, 2, 2, 1, 3});
    EXPECT_EQ(mesh->GenerateAdjacency(0.05f, nullptr), STATUS_INVALID_CALL);
    EXPECT_EQ(mesh->GenerateAdjacency(-1.0f, adjacency.data()), STATUS_INVALID_CALL);
    const Indices badReps = {0, 1, 2, 9};
    EXPECT_EQ(mesh->PointRepsToAdjacency(badReps.data(), adjacency.data()), STATUS_INVALID_CALL);
    for (const std::uint32_t writeOnly : {0x040u, 0x400u}) {
        auto locked = MakeMesh(kSquare, {0, 1, 2, 2, 1, 3}, 0x112 | writeOnly);
        EXPECT_EQ(locked->GenerateAdjacency(0.05f, adjacency.data()), STATUS_INVALID_CALL);
    }
    EXPECT_EQ(adjacency, Indices(6, 7));
}

TEST(AdjacencyToPointReps, GivesEachLocationTheVertexMetFirst) {
    auto mesh =
        MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {5, 5, 5}},
                 {0, 1, 2, 4, 3, 5});
    const Indices adjacency = AdjacencyOf(*mesh, 0.05f);
    Indices reps(7);
    ASSERT_EQ(mesh->AdjacencyToPointReps(adjacency.data(), reps.data()), STATUS_OK);
    EXPECT_EQ(reps, (Indices{0, 1, 2, 1, 2, 5, 6}));

    const Indices broken = {N, 2, N, N, N, N};
    EXPECT_EQ(mesh->AdjacencyToPointReps(broken.data(), reps.data()), STATUS_INVALID_CALL);
    EXPECT_EQ(mesh->AdjacencyToPointReps(nullptr, reps.data()), STATUS_INVALID_CALL);
}

// Faces h = (a, c, x), f = (a, b, c) and g = f reversed with its own copies of the
// corners: a double-sided sliver. f and g list each other on two edges.
TriMeshPtr SliverPair() {
    return MakeMesh(
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0.5f, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 0}},
        {0, 2, 3, 0, 1, 2, 4, 5, 6});
}

TEST(AdjacencyToPointReps, WalksThroughSliverPairs) {
    auto mesh = SliverPair();
    const Indices adjacency = AdjacencyOf(*mesh, 0.05f);
    ASSERT_EQ(adjacency, (Indices{1, N, N, 2, 2, 0, 1, 1, N}));
    Indices reps(7);
    ASSERT_EQ(mesh->AdjacencyToPointReps(adjacency.data(), reps.data()), STATUS_OK);
    EXPECT_EQ(reps, (Indices{0, 1, 2, 3, 2, 1, 0}));
}

// A fan of `faces` triangles around vertex 0, open at both ends.
TriMeshPtr Fan(std::uint32_t faces) {
    Points points = {{0, 0, 0}};
    Indices indices;
    for (std::uint32_t i = 0; i <= faces; ++i) {
        points.push_back({static_cast<float>(i), 1, 0});
    }
    for (std::uint32_t i = 1; i <= faces; ++i) {
        indices.insert(indices.end(), {0, i, i + 1});
    }
    return MakeMesh(points, indices);
}

TEST(AdjacencyToPointReps, StopsAfterTenThousandStepsAroundOneCorner) {
    for (const std::uint32_t faces : {10001u, 10002u}) {
        auto mesh = Fan(faces);
        const Indices adjacency = AdjacencyOf(*mesh, 0.001f);
        Indices reps(mesh->GetVertexCount());
        EXPECT_EQ(mesh->AdjacencyToPointReps(adjacency.data(), reps.data()),
                  faces == 10001 ? STATUS_OK : STATUS_INVALID_MESH);
    }
}

}  // namespace
}  // namespace kx::meshutil::test
