#include "ms3d/tests/TestModels.h"

#include <array>
#include <cstring>
#include <sstream>
#include <vector>

namespace kx::test {

namespace {

template <typename T>
std::string Show(const T* v, size_t n) {
    std::ostringstream os;
    for (size_t i = 0; i < n; ++i) {
        os << (i ? " " : "") << +v[i];
    }
    return os.str();
}

// Compares two arrays read through the same getter; floats by their bits.
template <typename T, size_t N>
bool Same(const std::array<T, N>& a, const std::array<T, N>& b) {
    return std::memcmp(a.data(), b.data(), sizeof(T) * N) == 0;
}

struct Diff {
    std::string first;
    template <typename T, size_t N>
    void Check(const std::string& what, const std::array<T, N>& a, const std::array<T, N>& b) {
        if (first.empty() && !Same(a, b)) {
            first = what + ": " + Show(a.data(), N) + " vs " + Show(b.data(), N);
        }
    }
    template <typename T>
    void Check(const std::string& what, T a, T b) {
        Check(what, std::array<T, 1>{a}, std::array<T, 1>{b});
    }
    void Check(const std::string& what, const std::string& a, const std::string& b) {
        if (first.empty() && a != b) {
            first = what + ": '" + a + "' vs '" + b + "'";
        }
    }
};

std::string Text(void (*get)(msMaterial*, char*, int), msMaterial* m) {
    char buffer[MS_MAX_PATH];
    get(m, buffer, sizeof buffer);
    return buffer;
}

std::string MeshName(msMesh* mesh) {
    char buffer[MS_MAX_NAME];
    msMesh_GetName(mesh, buffer, sizeof buffer);
    return buffer;
}

template <size_t N, typename Object>
std::array<float, N> Vec(void (*get)(Object*, float*), Object* o) {
    std::array<float, N> v{};
    get(o, v.data());
    return v;
}

void CompareMesh(Diff& d, const std::string& at, msMesh* a, msMesh* b) {
    d.Check(at + " name", MeshName(a), MeshName(b));
    d.Check(at + " flags", msMesh_GetFlags(a), msMesh_GetFlags(b));
    d.Check(at + " material", msMesh_GetMaterialIndex(a), msMesh_GetMaterialIndex(b));
    d.Check(at + " vertex count", msMesh_GetVertexCount(a), msMesh_GetVertexCount(b));
    d.Check(at + " normal count", msMesh_GetVertexNormalCount(a), msMesh_GetVertexNormalCount(b));
    d.Check(at + " triangle count", msMesh_GetTriangleCount(a), msMesh_GetTriangleCount(b));
    if (!d.first.empty()) {
        return;
    }
    for (int v = 0; v < msMesh_GetVertexCount(a) && d.first.empty(); ++v) {
        msVertex* va = msMesh_GetVertexAt(a, v);
        msVertex* vb = msMesh_GetVertexAt(b, v);
        std::string w = at + " vertex " + std::to_string(v);
        d.Check(w + " position", Vec<3>(msVertex_GetVertex, va), Vec<3>(msVertex_GetVertex, vb));
        d.Check(w + " uv", Vec<2>(msVertex_GetTexCoords, va), Vec<2>(msVertex_GetTexCoords, vb));
        d.Check(w + " flags", msVertex_GetFlags(va), msVertex_GetFlags(vb));
        d.Check(w + " bone", msVertex_GetBoneIndex(va), msVertex_GetBoneIndex(vb));
    }
    for (int n = 0; n < msMesh_GetVertexNormalCount(a) && d.first.empty(); ++n) {
        std::array<float, 3> na{}, nb{};
        msMesh_GetVertexNormalAt(a, n, na.data());
        msMesh_GetVertexNormalAt(b, n, nb.data());
        d.Check(at + " normal " + std::to_string(n), na, nb);
    }
    for (int t = 0; t < msMesh_GetTriangleCount(a) && d.first.empty(); ++t) {
        msTriangle* ta = msMesh_GetTriangleAt(a, t);
        msTriangle* tb = msMesh_GetTriangleAt(b, t);
        std::string w = at + " triangle " + std::to_string(t);
        std::array<word, 3> ia{}, ib{};
        msTriangle_GetVertexIndices(ta, ia.data());
        msTriangle_GetVertexIndices(tb, ib.data());
        d.Check(w + " vertices", ia, ib);
        msTriangle_GetNormalIndices(ta, ia.data());
        msTriangle_GetNormalIndices(tb, ib.data());
        d.Check(w + " normals", ia, ib);
        d.Check(w + " flags", msTriangle_GetFlags(ta), msTriangle_GetFlags(tb));
        d.Check(w + " smoothing", msTriangle_GetSmoothingGroup(ta),
                msTriangle_GetSmoothingGroup(tb));
    }
}

void CompareMaterial(Diff& d, const std::string& at, msMaterial* a, msMaterial* b) {
    d.Check(at + " name", Text(msMaterial_GetName, a), Text(msMaterial_GetName, b));
    d.Check(at + " flags", msMaterial_GetFlags(a), msMaterial_GetFlags(b));
    d.Check(at + " ambient", Vec<4>(msMaterial_GetAmbient, a), Vec<4>(msMaterial_GetAmbient, b));
    d.Check(at + " diffuse", Vec<4>(msMaterial_GetDiffuse, a), Vec<4>(msMaterial_GetDiffuse, b));
    d.Check(at + " specular", Vec<4>(msMaterial_GetSpecular, a), Vec<4>(msMaterial_GetSpecular, b));
    d.Check(at + " emissive", Vec<4>(msMaterial_GetEmissive, a), Vec<4>(msMaterial_GetEmissive, b));
    d.Check(at + " shininess", msMaterial_GetShininess(a), msMaterial_GetShininess(b));
    d.Check(at + " transparency", msMaterial_GetTransparency(a), msMaterial_GetTransparency(b));
    d.Check(at + " texture", Text(msMaterial_GetDiffuseTexture, a),
            Text(msMaterial_GetDiffuseTexture, b));
    d.Check(at + " alpha map", Text(msMaterial_GetAlphaTexture, a),
            Text(msMaterial_GetAlphaTexture, b));
}

// Builds a mesh by hand: vertices and normals are added as given.
struct MeshMaker {
    msMesh* mesh;
    MeshMaker(msModel* model, const char* name, int material) {
        mesh = msModel_GetMeshAt(model, msModel_AddMesh(model));
        msMesh_SetName(mesh, name);
        msMesh_SetMaterialIndex(mesh, material);
    }
    void Vertex(float x, float y, float z, float u, float v, byte flags = 0) {
        msVertex* vertex = msMesh_GetVertexAt(mesh, msMesh_AddVertex(mesh));
        msVec3 p{x, y, z};
        msVec2 uv{u, v};
        msVertex_SetVertex(vertex, p);
        msVertex_SetTexCoords(vertex, uv);
        msVertex_SetFlags(vertex, flags);
    }
    void Normal(float x, float y, float z) {
        msVec3 n{x, y, z};
        msMesh_SetVertexNormalAt(mesh, msMesh_AddVertexNormal(mesh), n);
    }
    void Triangle(word a, word b, word c, word na, word nb, word nc, byte smoothing = 1,
                  word flags = 0) {
        msTriangle* t = msMesh_GetTriangleAt(mesh, msMesh_AddTriangle(mesh));
        word v[3] = {a, b, c};
        word n[3] = {na, nb, nc};
        msTriangle_SetVertexIndices(t, v);
        msTriangle_SetNormalIndices(t, n);
        msTriangle_SetSmoothingGroup(t, smoothing);
        msTriangle_SetFlags(t, flags);
    }
};

void Material(msModel* model, const char* name, float shade, const char* texture, const char* alpha,
              int flags) {
    msMaterial* m = msModel_GetMaterialAt(model, msModel_AddMaterial(model));
    msMaterial_SetName(m, name);
    msVec4 ambient{shade * 0.2f, shade * 0.2f, shade * 0.2f, 1.0f};
    msVec4 diffuse{shade, shade * 0.9f, shade * 0.8f, 1.0f};
    msVec4 specular{0.5f, 0.5f, 0.5f, 1.0f};
    msVec4 emissive{0.0f, 0.0f, shade * 0.1f, 1.0f};
    msMaterial_SetAmbient(m, ambient);
    msMaterial_SetDiffuse(m, diffuse);
    msMaterial_SetSpecular(m, specular);
    msMaterial_SetEmissive(m, emissive);
    msMaterial_SetShininess(m, 12.5f);
    msMaterial_SetTransparency(m, 0.75f);
    msMaterial_SetFlags(m, flags);
    msMaterial_SetDiffuseTexture(m, texture);
    msMaterial_SetAlphaTexture(m, alpha);
}

// Six faces of four vertices each, one normal a face.
void AddCube(msModel* model, const char* name, int material, float size) {
    MeshMaker cube(model, name, material);
    const float s = size;
    const std::array<std::array<float, 3>, 6> normals{
        {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}}};
    for (word f = 0; f < 6; ++f) {
        const auto& n = normals[f];
        // Two axes across the face.
        std::array<float, 3> u{n[1] != 0 ? 1.0f : 0.0f, 0, n[1] != 0 ? 0.0f : 1.0f};
        if (n[0] == 0 && n[1] == 0) {
            u = {1, 0, 0};
        }
        std::array<float, 3> v{n[1] * u[2] - n[2] * u[1], n[2] * u[0] - n[0] * u[2],
                               n[0] * u[1] - n[1] * u[0]};
        for (int corner = 0; corner < 4; ++corner) {
            float a = (corner == 1 || corner == 2) ? 1.0f : -1.0f;
            float b = corner >= 2 ? 1.0f : -1.0f;
            cube.Vertex(s * (n[0] + a * u[0] + b * v[0]), s * (n[1] + a * u[1] + b * v[1]),
                        s * (n[2] + a * u[2] + b * v[2]), (a + 1) / 2, (b + 1) / 2);
        }
        cube.Normal(n[0], n[1], n[2]);
        word base = static_cast<word>(4 * f);
        cube.Triangle(base, base + 1, base + 2, f, f, f, static_cast<byte>(f + 1));
        cube.Triangle(base, base + 2, base + 3, f, f, f, static_cast<byte>(f + 1));
    }
}

}  // namespace

std::string ModelDifference(msModel* a, msModel* b) {
    Diff d;
    d.Check("mesh count", msModel_GetMeshCount(a), msModel_GetMeshCount(b));
    d.Check("material count", msModel_GetMaterialCount(a), msModel_GetMaterialCount(b));
    for (int i = 0; i < msModel_GetMeshCount(a) && d.first.empty(); ++i) {
        CompareMesh(d, "mesh " + std::to_string(i), msModel_GetMeshAt(a, i),
                    msModel_GetMeshAt(b, i));
    }
    for (int i = 0; i < msModel_GetMaterialCount(a) && d.first.empty(); ++i) {
        CompareMaterial(d, "material " + std::to_string(i), msModel_GetMaterialAt(a, i),
                        msModel_GetMaterialAt(b, i));
    }
    return d.first;
}

ModelPtr CubeModel() {
    ModelPtr model = NewModel();
    Material(model.get(), "Crate", 0.8f, "crate.tga", "", 0);
    AddCube(model.get(), "cube", 0, 1.0f);
    return model;
}

ModelPtr MixedModel() {
    ModelPtr model = NewModel();
    Material(model.get(), "Hull", 0.6f, "textures\\hull.tga", "textures\\hull_a.tga",
             eAlphaMap | eSphereMap);
    Material(model.get(), "A material name of exactly 31 ch", 0.3f, "", "", eCombineAlpha);
    AddCube(model.get(), "body", 1, 2.0f);
    MeshMaker(model.get(), "empty", -1);
    // A mesh of two triangles sharing an edge, with flags, no material,
    // a normal shared by corners of both triangles and a name of 31 characters.
    MeshMaker sheet(model.get(), "Hp_Fixed_HpWeapon01_and_more_xy", -1);
    msMesh_SetFlags(sheet.mesh, eHidden);
    sheet.Vertex(0, 0, 0, 0, 0, eSelected);
    sheet.Vertex(1, 0, 0, 1, 0);
    sheet.Vertex(0, 1, 0, 0, 1, eHidden);
    sheet.Vertex(1, 1, 0.5f, 1, 1);
    sheet.Normal(0, 0, 1);
    sheet.Normal(-0.0f, 0.1f, 0.99f);
    sheet.Normal(0.2f, 0, 0.97f);
    sheet.Triangle(0, 1, 2, 0, 0, 1, 0, eSelected);
    sheet.Triangle(2, 1, 3, 1, 2, 0, 255, eHidden | eDirty);
    AddCube(model.get(), "tail", 0, 0.5f);
    return model;
}

ModelPtr GridModel(int cells) {
    ModelPtr model = NewModel();
    Material(model.get(), "Ground", 0.5f, "ground.tga", "", 0);
    MeshMaker grid(model.get(), "grid", 0);
    grid.Normal(0, 1, 0);
    // Grid points become vertices when a triangle first uses them, the order
    // a read gives them.
    std::vector<int> ids((cells + 1) * (cells + 1), -1);
    int next = 0;
    auto at = [&](int row, int col) {
        int& id = ids[row * (cells + 1) + col];
        if (id < 0) {
            id = next++;
            grid.Vertex(static_cast<float>(col), 0, static_cast<float>(row),
                        static_cast<float>(col) / cells, static_cast<float>(row) / cells);
        }
        return static_cast<word>(id);
    };
    for (int row = 0; row < cells; ++row) {
        for (int col = 0; col < cells; ++col) {
            word a = at(row, col), b = at(row + 1, col), c = at(row, col + 1);
            grid.Triangle(a, b, c, 0, 0, 0);
            word d = at(row + 1, col + 1);
            grid.Triangle(c, b, d, 0, 0, 0);
        }
    }
    return model;
}

}  // namespace kx::test
