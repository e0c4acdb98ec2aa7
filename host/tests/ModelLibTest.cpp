#include <gtest/gtest.h>

#include <string>

#include "host/headless/HeadlessModel.h"

namespace {

struct Model {
    msModel* m = kxModel_Create();
    ~Model() { kxModel_Free(m); }
};

TEST(ModelLib, BuildsAndReadsBackAMesh) {
    Model model;
    int mi = msModel_AddMesh(model.m);
    msMesh* mesh = msModel_GetMeshAt(model.m, mi);
    msMesh_SetName(mesh, "hull");
    msMesh_SetMaterialIndex(mesh, 0);
    for (int i = 0; i < 3; ++i) {
        msVertex* v = msMesh_GetVertexAt(mesh, msMesh_AddVertex(mesh));
        msVec3 p = {float(i), 2.0f, 3.0f};
        msVec2 uv = {0.5f, float(i)};
        msVertex_SetVertex(v, p);
        msVertex_SetTexCoords(v, uv);
    }
    int ni = msMesh_AddVertexNormal(mesh);
    msVec3 n = {0, 1, 0};
    msMesh_SetVertexNormalAt(mesh, ni, n);
    msTriangle* t = msMesh_GetTriangleAt(mesh, msMesh_AddTriangle(mesh));
    word idx[3] = {0, 1, 2};
    word nidx[3] = {0, 0, 0};
    msTriangle_SetVertexIndices(t, idx);
    msTriangle_SetNormalIndices(t, nidx);
    msTriangle_SetSmoothingGroup(t, 3);

    char name[8];
    msMesh_GetName(mesh, name, sizeof name);
    EXPECT_STREQ(name, "hull");
    EXPECT_EQ(msMesh_GetVertexCount(mesh), 3);
    msVec3 p;
    msVertex_GetVertex(msMesh_GetVertexAt(mesh, 2), p);
    EXPECT_EQ(p[0], 2.0f);
    word back[3];
    msTriangle_GetVertexIndices(msMesh_GetTriangleAt(mesh, 0), back);
    EXPECT_EQ(back[2], 2);
    EXPECT_EQ(msTriangle_GetSmoothingGroup(t), 3);
    msVec3 nb;
    msMesh_GetVertexNormalAt(mesh, 0, nb);
    EXPECT_EQ(nb[1], 1.0f);
}

TEST(ModelLib, NamesAreCutToTheirFieldsAndBuffers) {
    Model model;
    msMesh* mesh = msModel_GetMeshAt(model.m, msModel_AddMesh(model.m));
    const std::string longName(40, 'n');
    msMesh_SetName(mesh, longName.c_str());
    char buffer[199];
    msMesh_GetName(mesh, buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), std::string(MS_MAX_NAME - 1, 'n'));
    char small[4];
    msMesh_GetName(mesh, small, sizeof small);
    EXPECT_STREQ(small, "nnn");
}

TEST(ModelLib, OutOfRangeAndNullHandlesAreHarmless) {
    Model model;
    EXPECT_EQ(msModel_GetMeshAt(model.m, 0), nullptr);
    EXPECT_EQ(msModel_GetMeshAt(model.m, -1), nullptr);
    EXPECT_EQ(msMesh_GetVertexAt(nullptr, 0), nullptr);
    EXPECT_EQ(msMesh_GetVertexCount(nullptr), 0);
    msVec3 p = {7, 7, 7};
    msVertex_GetVertex(nullptr, p);
    EXPECT_EQ(p[0], 7.0f);
    msMesh* mesh = msModel_GetMeshAt(model.m, msModel_AddMesh(model.m));
    msMesh_SetVertexNormalAt(mesh, 5, p);  // no normal 5: ignored
    EXPECT_EQ(msMesh_GetVertexNormalCount(mesh), 0);
}

TEST(ModelLib, MeshHoldsAtMost65534Vertices) {
    Model model;
    msMesh* mesh = msModel_GetMeshAt(model.m, msModel_AddMesh(model.m));
    for (int i = 0; i < 65534; ++i) {
        ASSERT_EQ(msMesh_AddVertex(mesh), i);
    }
    EXPECT_EQ(msMesh_AddVertex(mesh), -1);
}

TEST(ModelLib, DestroyEmptiesTheModelButKeepsTheHandle) {
    Model model;
    msModel_AddMesh(model.m);
    int mat = msModel_AddMaterial(model.m);
    msMaterial* m = msModel_GetMaterialAt(model.m, mat);
    msVec4 c = {0.1f, 0.2f, 0.3f, 1.0f};
    msMaterial_SetDiffuse(m, c);
    msMaterial_SetDiffuseTexture(m, "hull.tga");
    msVec4 back;
    msMaterial_GetDiffuse(m, back);
    EXPECT_EQ(back[2], 0.3f);
    msModel_Destroy(model.m);
    EXPECT_EQ(msModel_GetMeshCount(model.m), 0);
    EXPECT_EQ(msModel_GetMaterialCount(model.m), 0);
    EXPECT_EQ(msModel_AddMesh(model.m), 0);
}

// The command line tells the meshes an import made from the person's by
// these serials, however the importer emptied the model in between.
TEST(ModelLib, MeshSerialsCountOnAcrossDestroyAndTouchNoFlags) {
    Model model;
    EXPECT_EQ(kxModel_NextMeshSerial(model.m), 0u);
    msModel_AddMesh(model.m);
    msModel_AddMesh(model.m);
    const unsigned mark = kxModel_NextMeshSerial(model.m);
    EXPECT_EQ(mark, 2u);
    EXPECT_EQ(kxMesh_GetSerial(msModel_GetMeshAt(model.m, 1)), 1u);
    msModel_Destroy(model.m);
    ASSERT_EQ(msModel_AddMesh(model.m), 0);
    msMesh* made = msModel_GetMeshAt(model.m, 0);
    EXPECT_GE(kxMesh_GetSerial(made), mark);
    EXPECT_EQ(msMesh_GetFlags(made), 0);
    EXPECT_EQ(kxModel_NextMeshSerial(nullptr), 0u);
    EXPECT_EQ(kxMesh_GetSerial(nullptr), 0u);
}

}  // namespace
