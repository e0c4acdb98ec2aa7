// Selecting a part's range of a block, and refusing ranges that leave it.

#include <gtest/gtest.h>

#include "meshdata/VMeshRange.h"

namespace kx {
namespace {

// Meshes: 0 (vertices 0-2, one triangle), 1 (material 9, two triangles over
// its vertices 0-3, which start at block vertex 3 + 1).
VMeshBlock Block() {
    VMeshBlock b;
    b.meshes = {{5, 0, 2, 3, 0xcc}, {9, 1, 4, 6, 0xcc}};
    b.triangles = {{0, 1, 2}, {0, 1, 2}, {2, 3, 0}};
    b.vertices.resize(8);
    return b;
}

VMeshRef Ref(uint16_t startVertex, uint16_t startIndex, uint16_t startMesh, uint16_t meshCount) {
    VMeshRef r;
    r.libraryId = 1;
    r.startVertex = startVertex;
    r.startIndex = startIndex;
    r.startMesh = startMesh;
    r.meshCount = meshCount;
    return r;
}

TEST(VMeshRange, CornersAreOffsetByTheReferenceAndTheMesh) {
    auto r = SelectVMeshRange(Block(), Ref(3, 3, 1, 1));
    ASSERT_TRUE(r) << r.Reason();
    ASSERT_EQ(r->size(), 1u);
    EXPECT_EQ((*r)[0].materialId, 9u);
    using T = std::array<uint32_t, 3>;
    EXPECT_EQ((*r)[0].triangles, (std::vector<T>{{4, 5, 6}, {6, 7, 4}}));

    auto whole = SelectVMeshRange(Block(), Ref(0, 0, 0, 1));
    ASSERT_TRUE(whole);
    EXPECT_EQ((*whole)[0].triangles, (std::vector<T>{{0, 1, 2}}));
}

TEST(VMeshRange, RangesOutsideTheBlockAreRefused) {
    auto meshes = SelectVMeshRange(Block(), Ref(0, 0, 1, 2));
    EXPECT_FALSE(meshes);
    EXPECT_EQ(meshes.Reason(), "The mesh reference selects meshes 1 to 2 of a block of 2");
    auto triangles = SelectVMeshRange(Block(), Ref(0, 6, 1, 1));
    EXPECT_FALSE(triangles);
    EXPECT_EQ(triangles.Reason(), "The mesh reference selects triangles up to 3 of a block of 3");
    auto vertices = SelectVMeshRange(Block(), Ref(4, 3, 1, 1));
    EXPECT_FALSE(vertices);
    EXPECT_EQ(vertices.Reason(), "The mesh reference selects vertex 8 of a block of 8");
    EXPECT_FALSE(SelectVMeshRange(Block(), Ref(0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF)));
}

}  // namespace
}  // namespace kx
