// The in-memory model behind the model-access calls, for the headless host
// and the tests. Out-of-range indices and null handles are answered with
// null, zero or no effect, never undefined behaviour.

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/headless/HeadlessModel.h"

struct msVertex {
    byte flags = 0;
    std::array<float, 3> position{};
    std::array<float, 2> uv{};
    int bone = -1;
};

struct msTriangle {
    word flags = 0;
    std::array<word, 3> vertices{};
    std::array<word, 3> normals{};
    byte smoothingGroup = 0;
};

struct msMesh {
    unsigned serial = 0;  // see kxMesh_GetSerial
    byte flags = 0;
    std::string name;
    int material = -1;
    std::vector<std::unique_ptr<msVertex>> vertices;
    std::vector<std::array<float, 3>> normals;
    std::vector<std::unique_ptr<msTriangle>> triangles;
};

struct msMaterial {
    int flags = 0;
    std::string name;
    std::array<float, 4> ambient{}, diffuse{}, specular{}, emissive{};
    float shininess = 0.0f;
    float transparency = 1.0f;
    std::string diffuseTexture;
    std::string alphaTexture;
};

struct msModel {
    unsigned nextMeshSerial = 0;
    std::vector<std::unique_ptr<msMesh>> meshes;
    std::vector<std::unique_ptr<msMaterial>> materials;
};

namespace {

// The modeller's own limit on elements per mesh.
constexpr size_t kMaxMeshElements = 65534;

template <typename T>
T* At(std::vector<std::unique_ptr<T>>& items, int index) {
    if (index < 0 || static_cast<size_t>(index) >= items.size()) {
        return nullptr;
    }
    return items[static_cast<size_t>(index)].get();
}

template <typename T>
int Append(std::vector<std::unique_ptr<T>>& items, size_t limit) {
    if (items.size() >= limit) {
        return -1;
    }
    items.push_back(std::make_unique<T>());
    return static_cast<int>(items.size() - 1);
}

void CopyOut(const std::string& text, char* buffer, int size) {
    if (!buffer || size <= 0) {
        return;
    }
    size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

// Names are held in fixed fields of the modeller's size; longer ones are cut.
std::string Bounded(const char* text, size_t field) {
    if (!text) {
        return {};
    }
    size_t n = 0;
    while (n < field - 1 && text[n] != '\0') {
        ++n;
    }
    return std::string(text, n);
}

template <size_t N>
void CopyVec(const std::array<float, N>& from, float* to) {
    if (to) {
        std::copy(from.begin(), from.end(), to);
    }
}

template <size_t N>
void SetVec(std::array<float, N>& to, const float* from) {
    if (from) {
        std::copy(from, from + N, to.begin());
    }
}

}  // namespace

extern "C" {

msModel* kxModel_Create(void) {
    return new msModel();
}

void kxModel_Free(msModel* model) {
    delete model;
}

unsigned kxModel_NextMeshSerial(msModel* model) {
    return model ? model->nextMeshSerial : 0;
}

unsigned kxMesh_GetSerial(msMesh* mesh) {
    return mesh ? mesh->serial : 0;
}

void msModel_Destroy(msModel* model) {
    if (model) {
        model->meshes.clear();
        model->materials.clear();
    }
}

int msModel_GetMeshCount(msModel* model) {
    return model ? static_cast<int>(model->meshes.size()) : 0;
}

int msModel_AddMesh(msModel* model) {
    const int index = model ? Append(model->meshes, 65535) : -1;
    if (index >= 0) {
        model->meshes[static_cast<size_t>(index)]->serial = model->nextMeshSerial++;
    }
    return index;
}

msMesh* msModel_GetMeshAt(msModel* model, int index) {
    return model ? At(model->meshes, index) : nullptr;
}

int msModel_GetMaterialCount(msModel* model) {
    return model ? static_cast<int>(model->materials.size()) : 0;
}

int msModel_AddMaterial(msModel* model) {
    return model ? Append(model->materials, 65535) : -1;
}

msMaterial* msModel_GetMaterialAt(msModel* model, int index) {
    return model ? At(model->materials, index) : nullptr;
}

void msMesh_GetName(msMesh* mesh, char* name, int size) {
    CopyOut(mesh ? mesh->name : std::string(), name, size);
}

void msMesh_SetName(msMesh* mesh, const char* name) {
    if (mesh) {
        mesh->name = Bounded(name, MS_MAX_NAME);
    }
}

byte msMesh_GetFlags(msMesh* mesh) {
    return mesh ? mesh->flags : 0;
}

void msMesh_SetFlags(msMesh* mesh, byte flags) {
    if (mesh) {
        mesh->flags = flags;
    }
}

int msMesh_GetMaterialIndex(msMesh* mesh) {
    return mesh ? mesh->material : -1;
}

void msMesh_SetMaterialIndex(msMesh* mesh, int index) {
    if (mesh) {
        mesh->material = index;
    }
}

int msMesh_GetVertexCount(msMesh* mesh) {
    return mesh ? static_cast<int>(mesh->vertices.size()) : 0;
}

int msMesh_AddVertex(msMesh* mesh) {
    return mesh ? Append(mesh->vertices, kMaxMeshElements) : -1;
}

msVertex* msMesh_GetVertexAt(msMesh* mesh, int index) {
    return mesh ? At(mesh->vertices, index) : nullptr;
}

int msMesh_GetTriangleCount(msMesh* mesh) {
    return mesh ? static_cast<int>(mesh->triangles.size()) : 0;
}

int msMesh_AddTriangle(msMesh* mesh) {
    return mesh ? Append(mesh->triangles, kMaxMeshElements) : -1;
}

msTriangle* msMesh_GetTriangleAt(msMesh* mesh, int index) {
    return mesh ? At(mesh->triangles, index) : nullptr;
}

int msMesh_GetVertexNormalCount(msMesh* mesh) {
    return mesh ? static_cast<int>(mesh->normals.size()) : 0;
}

int msMesh_AddVertexNormal(msMesh* mesh) {
    if (!mesh || mesh->normals.size() >= kMaxMeshElements) {
        return -1;
    }
    mesh->normals.push_back({});
    return static_cast<int>(mesh->normals.size() - 1);
}

void msMesh_SetVertexNormalAt(msMesh* mesh, int index, msVec3 normal) {
    if (mesh && index >= 0 && static_cast<size_t>(index) < mesh->normals.size()) {
        SetVec(mesh->normals[static_cast<size_t>(index)], normal);
    }
}

void msMesh_GetVertexNormalAt(msMesh* mesh, int index, msVec3 normal) {
    if (mesh && index >= 0 && static_cast<size_t>(index) < mesh->normals.size()) {
        CopyVec(mesh->normals[static_cast<size_t>(index)], normal);
    }
}

word msTriangle_GetFlags(msTriangle* triangle) {
    return triangle ? triangle->flags : 0;
}

void msTriangle_SetFlags(msTriangle* triangle, word flags) {
    if (triangle) {
        triangle->flags = flags;
    }
}

void msTriangle_GetVertexIndices(msTriangle* triangle, word indices[3]) {
    if (triangle && indices) {
        std::copy(triangle->vertices.begin(), triangle->vertices.end(), indices);
    }
}

void msTriangle_SetVertexIndices(msTriangle* triangle, word indices[3]) {
    if (triangle && indices) {
        std::copy(indices, indices + 3, triangle->vertices.begin());
    }
}

void msTriangle_GetNormalIndices(msTriangle* triangle, word indices[3]) {
    if (triangle && indices) {
        std::copy(triangle->normals.begin(), triangle->normals.end(), indices);
    }
}

void msTriangle_SetNormalIndices(msTriangle* triangle, word indices[3]) {
    if (triangle && indices) {
        std::copy(indices, indices + 3, triangle->normals.begin());
    }
}

byte msTriangle_GetSmoothingGroup(msTriangle* triangle) {
    return triangle ? triangle->smoothingGroup : 0;
}

void msTriangle_SetSmoothingGroup(msTriangle* triangle, byte group) {
    if (triangle) {
        triangle->smoothingGroup = group;
    }
}

byte msVertex_GetFlags(msVertex* vertex) {
    return vertex ? vertex->flags : 0;
}

void msVertex_SetFlags(msVertex* vertex, byte flags) {
    if (vertex) {
        vertex->flags = flags;
    }
}

void msVertex_GetVertex(msVertex* vertex, msVec3 position) {
    if (vertex) {
        CopyVec(vertex->position, position);
    }
}

void msVertex_SetVertex(msVertex* vertex, msVec3 position) {
    if (vertex) {
        SetVec(vertex->position, position);
    }
}

void msVertex_GetTexCoords(msVertex* vertex, msVec2 uv) {
    if (vertex) {
        CopyVec(vertex->uv, uv);
    }
}

void msVertex_SetTexCoords(msVertex* vertex, msVec2 uv) {
    if (vertex) {
        SetVec(vertex->uv, uv);
    }
}

int msVertex_GetBoneIndex(msVertex* vertex) {
    return vertex ? vertex->bone : -1;
}

int msVertex_SetBoneIndex(msVertex* vertex, int bone) {
    if (!vertex) {
        return -1;
    }
    vertex->bone = bone;
    return bone;
}

void msMaterial_GetName(msMaterial* material, char* name, int size) {
    CopyOut(material ? material->name : std::string(), name, size);
}

void msMaterial_SetName(msMaterial* material, const char* name) {
    if (material) {
        material->name = Bounded(name, MS_MAX_NAME);
    }
}

int msMaterial_GetFlags(msMaterial* material) {
    return material ? material->flags : 0;
}

void msMaterial_SetFlags(msMaterial* material, int flags) {
    if (material) {
        material->flags = flags;
    }
}

#define KX_COLOUR_ACCESSORS(Name, field)                             \
    void msMaterial_Get##Name(msMaterial* material, msVec4 colour) { \
        if (material) {                                              \
            CopyVec(material->field, colour);                        \
        }                                                            \
    }                                                                \
    void msMaterial_Set##Name(msMaterial* material, msVec4 colour) { \
        if (material) {                                              \
            SetVec(material->field, colour);                         \
        }                                                            \
    }
KX_COLOUR_ACCESSORS(Ambient, ambient)
KX_COLOUR_ACCESSORS(Diffuse, diffuse)
KX_COLOUR_ACCESSORS(Specular, specular)
KX_COLOUR_ACCESSORS(Emissive, emissive)
#undef KX_COLOUR_ACCESSORS

float msMaterial_GetShininess(msMaterial* material) {
    return material ? material->shininess : 0.0f;
}

void msMaterial_SetShininess(msMaterial* material, float shininess) {
    if (material) {
        material->shininess = shininess;
    }
}

float msMaterial_GetTransparency(msMaterial* material) {
    return material ? material->transparency : 0.0f;
}

void msMaterial_SetTransparency(msMaterial* material, float transparency) {
    if (material) {
        material->transparency = transparency;
    }
}

void msMaterial_GetDiffuseTexture(msMaterial* material, char* name, int size) {
    CopyOut(material ? material->diffuseTexture : std::string(), name, size);
}

void msMaterial_SetDiffuseTexture(msMaterial* material, const char* name) {
    if (material) {
        material->diffuseTexture = Bounded(name, MS_MAX_PATH);
    }
}

void msMaterial_GetAlphaTexture(msMaterial* material, char* name, int size) {
    CopyOut(material ? material->alphaTexture : std::string(), name, size);
}

void msMaterial_SetAlphaTexture(msMaterial* material, const char* name) {
    if (material) {
        material->alphaTexture = Bounded(name, MS_MAX_PATH);
    }
}

}  // extern "C"
