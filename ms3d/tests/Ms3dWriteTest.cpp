#include <gtest/gtest.h>

#include <filesystem>

#include "ms3d/Ms3dIo.h"
#include "ms3d/Ms3dModel.h"
#include "ms3d/Ms3dRead.h"
#include "ms3d/Ms3dWrite.h"
#include "ms3d/tests/HandBytes.h"
#include "ms3d/tests/TestModels.h"
#include "testsupport/TempFiles.h"

namespace kx {
namespace {

using test::ModelPtr;

std::vector<uint8_t> Write(msModel* model) {
    const Result<Ms3dFile> file = FileFromModel(model);
    EXPECT_TRUE(file.Ok()) << file.Reason();
    return file ? SerializeMs3d(*file) : std::vector<uint8_t>{};
}

ModelPtr Read(const std::vector<uint8_t>& bytes) {
    ModelPtr model = test::NewModel();
    auto file = ParseMs3d(bytes);
    EXPECT_TRUE(file.Ok()) << file.Reason();
    if (file) {
        const Status built = BuildModel(*file, model.get());
        EXPECT_TRUE(built.Ok()) << built.Reason();
    }
    return model;
}

TEST(Ms3dWrite, LaysOutAHandComputedFile) {
    ModelPtr model = test::NewModel();
    msMaterial* m = msModel_GetMaterialAt(model.get(), msModel_AddMaterial(model.get()));
    msMaterial_SetName(m, "Steel");
    msVec4 ambient{0.1f, 0.2f, 0.3f, 1}, diffuse{0.4f, 0.5f, 0.6f, 1},
        specular{0.7f, 0.8f, 0.9f, 1}, emissive{0, 0, 0.1f, 1};
    msMaterial_SetAmbient(m, ambient);
    msMaterial_SetDiffuse(m, diffuse);
    msMaterial_SetSpecular(m, specular);
    msMaterial_SetEmissive(m, emissive);
    msMaterial_SetShininess(m, 8);
    msMaterial_SetTransparency(m, 0.5f);
    msMaterial_SetFlags(m, eSphereMap);
    msMaterial_SetDiffuseTexture(m, "steel.tga");
    msMesh* mesh = msModel_GetMeshAt(model.get(), msModel_AddMesh(model.get()));
    msMesh_SetName(mesh, "plate");
    msMesh_SetMaterialIndex(mesh, 0);
    const float corners[3][2] = {{0, 0}, {1, 0}, {0, 1}};
    for (const auto& c : corners) {
        msVertex* v = msMesh_GetVertexAt(mesh, msMesh_AddVertex(mesh));
        msVec3 p{c[0], c[1], 0};
        msVec2 uv{c[0], c[1]};
        msVertex_SetVertex(v, p);
        msVertex_SetTexCoords(v, uv);
    }
    msVec3 up{0, 0, 1};
    msMesh_SetVertexNormalAt(mesh, msMesh_AddVertexNormal(mesh), up);
    msTriangle* t = msMesh_GetTriangleAt(mesh, msMesh_AddTriangle(mesh));
    word corners3[3] = {0, 1, 2}, normals[3] = {0, 0, 0};
    msTriangle_SetVertexIndices(t, corners3);
    msTriangle_SetNormalIndices(t, normals);
    msTriangle_SetSmoothingGroup(t, 1);

    test::HandBytes expected;
    expected.header().u16(3);
    expected.vertex(0, 0, 0, -1, 1).vertex(1, 0, 0, -1, 1).vertex(0, 1, 0, -1, 1);
    expected.u16(1).triangle({0, 1, 2}, {0, 1, 0}, {0, 0, 1});
    expected.u16(1).group("plate", {0}, 0);
    expected.u16(1).material("Steel", eSphereMap, "steel.tga", "");
    expected.noAnimation();
    EXPECT_EQ(Write(model.get()), expected.bytes);
}

TEST(Ms3dWrite, ModelsComeBackEqual) {
    std::vector<ModelPtr> models;
    models.push_back(test::CubeModel());
    models.push_back(test::MixedModel());
    models.push_back(test::GridModel(50));
    for (const ModelPtr& model : models) {
        ModelPtr back = Read(Write(model.get()));
        EXPECT_EQ(test::ModelDifference(model.get(), back.get()), "");
    }
}

using test::TempFile;

TEST(Ms3dWrite, ThroughAFileOnDisk) {
    ModelPtr model = test::MixedModel();
    TempFile path("mixed.ms3d");
    const Status written = WriteMs3dModel(path.path(), model.get());
    ASSERT_TRUE(written.Ok()) << written.Reason();
    ModelPtr back = test::NewModel();
    auto skipped = ReadMs3dModel(path.path(), back.get());
    ASSERT_TRUE(skipped.Ok()) << skipped.Reason();
    EXPECT_EQ(test::ModelDifference(model.get(), back.get()), "");
    EXPECT_EQ(skipped->joints, 0u);
    EXPECT_FALSE(skipped->trailer);
}

TEST(Ms3dWrite, RefusesWhatAFileCannotHold) {
    auto refused = [](msModel* model) {
        const Result<Ms3dFile> file = FileFromModel(model);
        return file ? std::string("written")
                    : (file.GetFault() == Fault::Refused ? "" : "not Refused: ") + file.Reason();
    };

    ModelPtr model = test::CubeModel();
    msMesh* cube = msModel_GetMeshAt(model.get(), 0);
    msMesh_SetMaterialIndex(cube, 1);
    EXPECT_EQ(refused(model.get()), "mesh 0 ('cube') uses material 1, the model has 1 materials");
    msMesh_SetMaterialIndex(cube, 0);

    word corners[3] = {0, 1, 24};
    msTriangle_SetVertexIndices(msMesh_GetTriangleAt(cube, 3), corners);
    EXPECT_EQ(refused(model.get()), "mesh 0 ('cube') triangle 3 uses vertex 24 of 24");
    corners[2] = 2;
    msTriangle_SetVertexIndices(msMesh_GetTriangleAt(cube, 3), corners);
    word normals[3] = {6, 0, 0};
    msTriangle_SetNormalIndices(msMesh_GetTriangleAt(cube, 3), normals);
    EXPECT_EQ(refused(model.get()), "mesh 0 ('cube') triangle 3 uses normal 6 of 6");

    // A group's material index is one signed byte.
    ModelPtr many = test::CubeModel();
    for (int i = 0; i < 128; ++i) {
        msModel_AddMaterial(many.get());
    }
    msMesh_SetMaterialIndex(msModel_GetMeshAt(many.get(), 0), 128);
    EXPECT_EQ(refused(many.get()),
              "mesh 0 ('cube') uses material 128, past the 128 a file can refer to");

    // The file counts vertices in 16 bits.
    ModelPtr big = test::NewModel();
    for (int m = 0; m < 2; ++m) {
        msMesh* mesh = msModel_GetMeshAt(big.get(), msModel_AddMesh(big.get()));
        for (int v = 0; v < 40000; ++v) {
            msMesh_AddVertex(mesh);
        }
    }
    EXPECT_EQ(refused(big.get()), "the model has more than 65535 vertices, the most a file holds");
}

TEST(Ms3dWrite, LongTexturePathsAreCutToTheField) {
    ModelPtr model = test::CubeModel();
    std::string longPath(200, 'p');
    msMaterial_SetDiffuseTexture(msModel_GetMaterialAt(model.get(), 0), longPath.c_str());
    ModelPtr back = Read(Write(model.get()));
    char path[MS_MAX_PATH];
    msMaterial_GetDiffuseTexture(msModel_GetMaterialAt(back.get(), 0), path, sizeof path);
    EXPECT_EQ(std::string(path), longPath.substr(0, 127));
}

// Models made by other people: read, written, read again.
TEST(Ms3dWrite, RealFilesComeBackEqual) {
    const std::string dir = KALTRIX_TESTDATA_DIR "/ms3d/";
    if (!std::filesystem::exists(dir)) {
        GTEST_SKIP() << "no " << dir;
    }
    struct Expected {
        const char* name;
        int groups, triangles, materials;
        size_t joints;
        bool trailer;
    };
    const Expected files[] = {
        {"jeep1.ms3d", 7, 2032, 1, 0, false},   {"twospheres_withmats.ms3d", 2, 240, 2, 0, true},
        {"Woman4.ms3d", 10, 3450, 2, 31, true}, {"Chair.ms3d", 11, 1052, -1, 0, false},
        {"Box.ms3d", 2, 12, 0, 0, false},
    };
    for (const Expected& e : files) {
        SCOPED_TRACE(e.name);
        ModelPtr model = test::NewModel();
        auto skipped = ReadMs3dModel(dir + e.name, model.get());
        ASSERT_TRUE(skipped.Ok()) << skipped.Reason();
        EXPECT_EQ(msModel_GetMeshCount(model.get()), e.groups);
        int triangles = 0;
        for (int i = 0; i < msModel_GetMeshCount(model.get()); ++i) {
            triangles += msMesh_GetTriangleCount(msModel_GetMeshAt(model.get(), i));
        }
        EXPECT_EQ(triangles, e.triangles);
        if (e.materials >= 0) {
            EXPECT_EQ(msModel_GetMaterialCount(model.get()), e.materials);
        }
        EXPECT_EQ(skipped->joints, e.joints);
        if (e.trailer) {
            EXPECT_EQ(skipped->vertexExtraSubVersion, 3);
        }

        std::vector<uint8_t> written = Write(model.get());
        ModelPtr back = Read(written);
        EXPECT_EQ(test::ModelDifference(model.get(), back.get()), "");
        EXPECT_EQ(Write(back.get()), written);
    }
}

}  // namespace
}  // namespace kx
