#include <gtest/gtest.h>

#include "TestMeshes.h"
#include "meshutil/CompactMesh.h"
#include "meshutil/DataBuffer.h"
#include "meshutil/WeldVertices.h"

namespace kx::meshutil::test {
namespace {

// Welds the way the collision exporter does: zero tolerances, the adjacency
// array as input and output.
Status ExporterWeld(TriMesh& mesh, Indices& adjacency) {
    const WeldEpsilons zero;
    return WeldVertices(&mesh, 0, &zero, adjacency.data(), adjacency.data(), nullptr, nullptr);
}

// Second triangle written with its own copies of the shared vertices, moved by d in z.
TriMeshPtr SplitSquare(float d, bool flipped = false) {
    return MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, d}, {0, 1, d}, {1, 1, 0}},
                    flipped ? Indices{0, 1, 2, 3, 4, 5} : Indices{0, 1, 2, 4, 3, 5});
}

TEST(WeldVertices, MergesCopiesIntoTheVertexMetFirstAndKeepsOrder) {
    auto mesh = SplitSquare(-0.0f);  // -0 equals +0
    Indices adjacency = AdjacencyOf(*mesh, 0.05f);
    ASSERT_EQ(ExporterWeld(*mesh, adjacency), STATUS_OK);
    EXPECT_EQ(FacesOf(*mesh), (Indices{0, 1, 2, 2, 1, 3}));
    EXPECT_EQ(PointsOf(*mesh), (Points{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}));
    EXPECT_EQ(adjacency, (Indices{N, 1, N, 0, N, N}));
}

TEST(WeldVertices, SurvivorIsFirstMatchInRingOrder) {
    // Three faces round one place, each with its own copy of it (vertices 0, 5, 6).
    // Vertex 0 stands for the place but lies apart; 5 and 6 match, and the ring
    // visits the members by descending index, so 6 survives.
    auto mesh = MakeMesh(
        {{0, 0, 0.01f}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 0, 0}, {0, 0, 0}},
        {0, 1, 2, 5, 2, 3, 6, 3, 4});
    Indices adjacency = AdjacencyOf(*mesh, 0.05f);
    ASSERT_EQ(ExporterWeld(*mesh, adjacency), STATUS_OK);
    EXPECT_EQ(FacesOf(*mesh), (Indices{0, 1, 2, 5, 2, 3, 5, 3, 4}));
    EXPECT_EQ(mesh->GetVertexCount(), 6u);
}

TEST(WeldVertices, LeavesApartWhatDiffersOrIsNotConnected) {
    struct Case {
        TriMeshPtr mesh;
        const char* what;
    };
    Case cases[] = {
        {SplitSquare(0.01f), "closer than epsilon but not equal"},
        {SplitSquare(0.0f, true), "equal but wound against each other"},
        {MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}, {-1, 0, 0}, {0, -1, 0}},
                  {0, 1, 2, 3, 4, 5}),
         "touching at one point"},
    };
    for (Case& c : cases) {
        Indices adjacency = AdjacencyOf(*c.mesh, 0.05f);
        EXPECT_EQ(ExporterWeld(*c.mesh, adjacency), STATUS_OK) << c.what;
        EXPECT_EQ(c.mesh->GetVertexCount(), 6u) << c.what;
    }
}

TEST(WeldVertices, FlagsAndDefaultTolerancesDecideTheMatch) {
    auto all = SplitSquare(0.01f);
    Indices adjacency = AdjacencyOf(*all, 0.05f);
    ASSERT_EQ(
        WeldVertices(all.get(), WELD_ALL, nullptr, adjacency.data(), nullptr, nullptr, nullptr),
        STATUS_OK);
    EXPECT_EQ(all->GetVertexCount(), 4u);

    auto close = SplitSquare(1e-7f);  // within the default 1.0e-6
    adjacency = AdjacencyOf(*close, 0.05f);
    ASSERT_EQ(WeldVertices(close.get(), 0, nullptr, adjacency.data(), nullptr, nullptr, nullptr),
              STATUS_OK);
    EXPECT_EQ(close->GetVertexCount(), 4u);

    auto computed = SplitSquare(0.0f);  // no adjacency: exact positions
    ASSERT_EQ(WeldVertices(computed.get(), 0, nullptr, nullptr, nullptr, nullptr, nullptr),
              STATUS_OK);
    EXPECT_EQ(computed->GetVertexCount(), 4u);
}

TEST(WeldVertices, WeldsThroughSliverPairs) {
    // h = (a, c, x), f = (a, b, c) and f reversed with its own copies: f and its
    // reverse list each other on two edges.
    auto mesh =
        MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0.5f, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 0}},
                 {0, 2, 3, 0, 1, 2, 4, 5, 6});
    Indices adjacency = AdjacencyOf(*mesh, 0.05f);
    ASSERT_EQ(ExporterWeld(*mesh, adjacency), STATUS_OK);
    EXPECT_EQ(FacesOf(*mesh), (Indices{0, 2, 3, 0, 1, 2, 2, 1, 0}));
}

TEST(WeldVertices, RemovesUnusedVerticesEvenWithoutMerging) {
    auto mesh = MakeMesh({{9, 9, 9}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {1, 2, 3});
    Indices adjacency = AdjacencyOf(*mesh, 0.05f);
    ASSERT_EQ(ExporterWeld(*mesh, adjacency), STATUS_OK);
    EXPECT_EQ(FacesOf(*mesh), (Indices{0, 1, 2}));
    EXPECT_EQ(PointsOf(*mesh), (Points{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
}

TEST(WeldVertices, RefusesBadCalls) {
    Indices adjacency(6, N);
    EXPECT_EQ(WeldVertices(nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr),
              STATUS_INVALID_CALL);
    auto mesh = SplitSquare(0.0f);
    EXPECT_EQ(WeldVertices(mesh.get(), 0x10, nullptr, nullptr, nullptr, nullptr, nullptr),
              STATUS_INVALID_CALL);
    auto writeOnly = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2}, 0x152);
    EXPECT_EQ(WeldVertices(writeOnly.get(), 0, nullptr, nullptr, nullptr, nullptr, nullptr),
              STATUS_INVALID_CALL);
    const Indices outOfRange = {N, 5, N, N, N, N};
    EXPECT_EQ(WeldVertices(mesh.get(), 0, nullptr, outOfRange.data(), nullptr, nullptr, nullptr),
              STATUS_INVALID_CALL);
    EXPECT_EQ(mesh->GetVertexCount(), 6u);
}

TEST(CompactMesh, DropsUnusedFacesAndRewritesAdjacencyInPlace) {
    auto mesh = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {7, 7, 7}},
                         {0xFFFF, 4, 4, 0, 1, 2, 2, 1, 3});
    Indices adjacency = {N, N, N, N, 2, N, 1, N, N};
    Indices faceRemap(3);
    DataBuffer* vertexRemap = nullptr;
    ASSERT_EQ(
        CompactMesh(mesh.get(), adjacency.data(), adjacency.data(), faceRemap.data(), &vertexRemap),
        STATUS_OK);
    EXPECT_EQ(FacesOf(*mesh), (Indices{0, 1, 2, 2, 1, 3}));
    EXPECT_EQ(mesh->GetVertexCount(), 4u);
    EXPECT_EQ(adjacency, (Indices{N, 1, N, 0, N, N, N, N, N}));
    EXPECT_EQ(faceRemap, (Indices{1, 2, N}));
    ASSERT_NE(vertexRemap, nullptr);
    EXPECT_EQ(vertexRemap->GetBufferSize(), 16u);
    EXPECT_EQ(static_cast<std::uint32_t*>(vertexRemap->GetBufferPointer())[3], 3u);
    vertexRemap->Release();
}

TEST(CompactMesh, NoFaceLeftIsNoDataAndChangesNothing) {
    auto mesh = MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0xFFFF, 1, 2});
    EXPECT_EQ(CompactMesh(mesh.get(), nullptr, nullptr, nullptr, nullptr), STATUS_NO_DATA);
    EXPECT_EQ(mesh->GetFaceCount(), 1u);
    EXPECT_EQ(mesh->GetVertexCount(), 3u);
}

}  // namespace
}  // namespace kx::meshutil::test
