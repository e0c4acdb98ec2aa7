#include "ms3d/Ms3dModel.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <numeric>
#include <tuple>
#include <utility>

namespace kx {

namespace {

// The modeller's limits: elements per mesh, meshes and materials per model.
constexpr size_t kMaxMeshElements = 65534;
constexpr size_t kMaxModelItems = 65535;
// What a version 4 file can count or refer to.
constexpr size_t kMaxFileItems = 65535;
constexpr int kMaxFileMaterialIndex = 127;

uint32_t Bits(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

struct PlannedVertex {
    uint16_t fileVertex;
    float s, t;
};

struct PlannedTriangle {
    const Ms3dTriangle* source;
    word vertices[3];
    word normals[3];
};

struct PlannedMesh {
    std::vector<PlannedVertex> vertices;
    std::vector<std::array<float, 3>> normals;
    std::vector<PlannedTriangle> triangles;
};

// Every refusal is of a model or file this conversion does not take.
Status Refuse(std::string reason) {
    return Status::Failure(Fault::Refused, std::move(reason));
}

std::string GroupName(const Ms3dFile& file, size_t g) {
    return "group " + std::to_string(g) + " ('" + file.groups[g].name + "')";
}

// Puts a planned mesh's vertices in ascending file order, as the modeller
// keeps a group's vertices: a marker's position is the mean of its first
// three vertices, so first-use order would move every hardpoint on a round
// trip. A file vertex used with several texture coordinates keeps its copies
// in order of first use (the sort is stable).
void KeepFileOrder(PlannedMesh& mesh) {
    std::vector<word> order(mesh.vertices.size());
    std::iota(order.begin(), order.end(), word{0});
    std::stable_sort(order.begin(), order.end(), [&](word a, word b) {
        return mesh.vertices[a].fileVertex < mesh.vertices[b].fileVertex;
    });
    std::vector<PlannedVertex> sorted;
    sorted.reserve(order.size());
    std::vector<word> renumbered(order.size());
    for (word now : order) {
        renumbered[now] = static_cast<word>(sorted.size());
        sorted.push_back(mesh.vertices[now]);
    }
    mesh.vertices = std::move(sorted);
    for (PlannedTriangle& tri : mesh.triangles) {
        for (word& v : tri.vertices) {
            v = renumbered[v];
        }
    }
}

// Values are compared by their bits, so a read-back model matches exactly.
Status PlanMesh(const Ms3dFile& file, size_t g, PlannedMesh& mesh) {
    const Ms3dGroup& group = file.groups[g];
    if (group.triangles.size() > kMaxMeshElements) {
        return Refuse(GroupName(file, g) + " has more than 65534 triangles");
    }
    std::map<std::tuple<uint16_t, uint32_t, uint32_t>, word> vertexIds;
    std::map<std::array<uint32_t, 3>, word> normalIds;
    for (uint16_t t : group.triangles) {
        const Ms3dTriangle& source = file.triangles[t];
        PlannedTriangle& tri = mesh.triangles.emplace_back(PlannedTriangle{&source, {}, {}});
        for (size_t c = 0; c < 3; ++c) {
            auto vertexKey =
                std::make_tuple(source.vertices[c], Bits(source.s[c]), Bits(source.t[c]));
            auto [v, newVertex] = vertexIds.try_emplace(vertexKey, mesh.vertices.size());
            if (newVertex) {
                mesh.vertices.push_back({source.vertices[c], source.s[c], source.t[c]});
            }
            const auto& normal = source.normals[c];
            std::array<uint32_t, 3> normalKey{Bits(normal[0]), Bits(normal[1]), Bits(normal[2])};
            auto [n, newNormal] = normalIds.try_emplace(normalKey, mesh.normals.size());
            if (newNormal) {
                mesh.normals.push_back(normal);
            }
            if (mesh.vertices.size() > kMaxMeshElements || mesh.normals.size() > kMaxMeshElements) {
                return Refuse(GroupName(file, g) + " needs more than 65534 " +
                              (mesh.vertices.size() > kMaxMeshElements ? "vertices" : "normals"));
            }
            tri.vertices[c] = v->second;
            tri.normals[c] = n->second;
        }
    }
    KeepFileOrder(mesh);
    return Status::Success();
}

void AddMaterial(msModel* model, const Ms3dMaterial& m) {
    msMaterial* material = msModel_GetMaterialAt(model, msModel_AddMaterial(model));
    Ms3dMaterial copy = m;  // the calls take non-const arrays
    msMaterial_SetName(material, copy.name.c_str());
    msMaterial_SetAmbient(material, copy.ambient.data());
    msMaterial_SetDiffuse(material, copy.diffuse.data());
    msMaterial_SetSpecular(material, copy.specular.data());
    msMaterial_SetEmissive(material, copy.emissive.data());
    msMaterial_SetShininess(material, copy.shininess);
    msMaterial_SetTransparency(material, copy.transparency);
    msMaterial_SetFlags(material, copy.mode);
    msMaterial_SetDiffuseTexture(material, copy.texture.c_str());
    msMaterial_SetAlphaTexture(material, copy.alphaMap.c_str());
}

void AddMesh(msModel* model, const Ms3dFile& file, const Ms3dGroup& group,
             const PlannedMesh& planned, int materialBase) {
    msMesh* mesh = msModel_GetMeshAt(model, msModel_AddMesh(model));
    msMesh_SetName(mesh, group.name.c_str());
    msMesh_SetFlags(mesh, group.flags);
    msMesh_SetMaterialIndex(mesh, group.material < 0 ? -1 : materialBase + group.material);
    for (const PlannedVertex& pv : planned.vertices) {
        const Ms3dVertex& fv = file.vertices[pv.fileVertex];
        msVertex* vertex = msMesh_GetVertexAt(mesh, msMesh_AddVertex(mesh));
        msVec3 position{fv.position[0], fv.position[1], fv.position[2]};
        msVec2 uv{pv.s, pv.t};
        msVertex_SetVertex(vertex, position);
        msVertex_SetTexCoords(vertex, uv);
        msVertex_SetFlags(vertex, fv.flags);
    }
    for (const auto& n : planned.normals) {
        msVec3 normal{n[0], n[1], n[2]};
        msMesh_SetVertexNormalAt(mesh, msMesh_AddVertexNormal(mesh), normal);
    }
    for (const PlannedTriangle& pt : planned.triangles) {
        msTriangle* triangle = msMesh_GetTriangleAt(mesh, msMesh_AddTriangle(mesh));
        word vertices[3] = {pt.vertices[0], pt.vertices[1], pt.vertices[2]};
        word normals[3] = {pt.normals[0], pt.normals[1], pt.normals[2]};
        msTriangle_SetVertexIndices(triangle, vertices);
        msTriangle_SetNormalIndices(triangle, normals);
        msTriangle_SetFlags(triangle, pt.source->flags);
        msTriangle_SetSmoothingGroup(triangle, pt.source->smoothingGroup);
    }
}

}  // namespace

Status BuildModel(const Ms3dFile& file, msModel* model) {
    if (!model) {
        return Refuse("no model to read into");
    }
    int materialBase = msModel_GetMaterialCount(model);
    if (msModel_GetMeshCount(model) + file.groups.size() > kMaxModelItems ||
        materialBase + file.materials.size() > kMaxModelItems) {
        return Refuse("the model cannot take " + std::to_string(file.groups.size()) +
                      " more meshes and " + std::to_string(file.materials.size()) +
                      " more materials");
    }
    std::vector<PlannedMesh> planned(file.groups.size());
    for (size_t g = 0; g < file.groups.size(); ++g) {
        if (Status plannedMesh = PlanMesh(file, g, planned[g]); !plannedMesh) {
            return plannedMesh;
        }
    }
    for (const Ms3dMaterial& m : file.materials) {
        AddMaterial(model, m);
    }
    for (size_t g = 0; g < file.groups.size(); ++g) {
        AddMesh(model, file, file.groups[g], planned[g], materialBase);
    }
    return Status::Success();
}

namespace {

std::string MeshName(int index, msMesh* mesh) {
    char name[MS_MAX_NAME];
    msMesh_GetName(mesh, name, sizeof name);
    return "mesh " + std::to_string(index) + " ('" + name + "')";
}

Ms3dMaterial MaterialRecord(msMaterial* material) {
    Ms3dMaterial m;
    char name[MS_MAX_NAME];
    msMaterial_GetName(material, name, sizeof name);
    m.name = name;
    msMaterial_GetAmbient(material, m.ambient.data());
    msMaterial_GetDiffuse(material, m.diffuse.data());
    msMaterial_GetSpecular(material, m.specular.data());
    msMaterial_GetEmissive(material, m.emissive.data());
    m.shininess = msMaterial_GetShininess(material);
    m.transparency = msMaterial_GetTransparency(material);
    m.mode = static_cast<uint8_t>(msMaterial_GetFlags(material));
    char path[kMs3dPathWidth];
    msMaterial_GetDiffuseTexture(material, path, sizeof path);
    m.texture = path;
    msMaterial_GetAlphaTexture(material, path, sizeof path);
    m.alphaMap = path;
    return m;
}

// One mesh as a group: its vertices after those already in the file.
Status AddGroup(msModel* model, int index, Ms3dFile& file) {
    msMesh* mesh = msModel_GetMeshAt(model, index);
    int materials = msModel_GetMaterialCount(model);
    Ms3dGroup& group = file.groups.emplace_back();
    char name[MS_MAX_NAME];
    msMesh_GetName(mesh, name, sizeof name);
    group.name = name;
    group.flags = msMesh_GetFlags(mesh);
    int material = msMesh_GetMaterialIndex(mesh);
    if (material < -1 || material >= materials || material > kMaxFileMaterialIndex) {
        return Refuse(MeshName(index, mesh) + " uses material " + std::to_string(material) +
                      (material > kMaxFileMaterialIndex && material < materials
                           ? ", past the 128 a file can refer to"
                           : ", the model has " + std::to_string(materials) + " materials"));
    }
    group.material = static_cast<int8_t>(material);

    const size_t base = file.vertices.size();
    const int vertexCount = msMesh_GetVertexCount(mesh);
    if (base + vertexCount > kMaxFileItems) {
        return Refuse("the model has more than 65535 vertices, the most a file holds");
    }
    for (int v = 0; v < vertexCount; ++v) {
        msVertex* vertex = msMesh_GetVertexAt(mesh, v);
        Ms3dVertex& fv = file.vertices.emplace_back();
        fv.flags = msVertex_GetFlags(vertex);
        msVertex_GetVertex(vertex, fv.position.data());
    }

    const int normalCount = msMesh_GetVertexNormalCount(mesh);
    const int triangleCount = msMesh_GetTriangleCount(mesh);
    if (file.triangles.size() + triangleCount > kMaxFileItems) {
        return Refuse("the model has more than 65535 triangles, the most a file holds");
    }
    for (int t = 0; t < triangleCount; ++t) {
        msTriangle* triangle = msMesh_GetTriangleAt(mesh, t);
        word vertices[3], normals[3];
        msTriangle_GetVertexIndices(triangle, vertices);
        msTriangle_GetNormalIndices(triangle, normals);
        Ms3dTriangle& ft = file.triangles.emplace_back();
        ft.flags = msTriangle_GetFlags(triangle);
        ft.smoothingGroup = msTriangle_GetSmoothingGroup(triangle);
        // One byte in the file; readers go by the groups' triangle lists.
        ft.groupIndex = static_cast<uint8_t>(index);
        for (int c = 0; c < 3; ++c) {
            if (vertices[c] >= vertexCount || normals[c] >= normalCount) {
                return Refuse(MeshName(index, mesh) + " triangle " + std::to_string(t) + " uses " +
                              (vertices[c] >= vertexCount
                                   ? "vertex " + std::to_string(vertices[c]) + " of " +
                                         std::to_string(vertexCount)
                                   : "normal " + std::to_string(normals[c]) + " of " +
                                         std::to_string(normalCount)));
            }
            msMesh_GetVertexNormalAt(mesh, normals[c], ft.normals[c].data());
            float uv[2];
            msVertex_GetTexCoords(msMesh_GetVertexAt(mesh, vertices[c]), uv);
            ft.s[c] = uv[0];
            ft.t[c] = uv[1];
            ft.vertices[c] = static_cast<uint16_t>(base + vertices[c]);
            uint8_t& uses = file.vertices[ft.vertices[c]].referenceCount;
            uses = uses == 255 ? uses : uses + 1;
        }
        group.triangles.push_back(static_cast<uint16_t>(file.triangles.size() - 1));
    }
    return Status::Success();
}

}  // namespace

Result<Ms3dFile> FileFromModel(msModel* model) {
    Ms3dFile file;
    if (!model) {
        return Refuse("no model to write");
    }
    const int meshes = msModel_GetMeshCount(model);
    const int materials = msModel_GetMaterialCount(model);
    if (meshes > static_cast<int>(kMaxFileItems) || materials > static_cast<int>(kMaxFileItems)) {
        return Refuse("the model has more meshes or materials than a file holds");
    }
    for (int i = 0; i < meshes; ++i) {
        if (Status added = AddGroup(model, i, file); !added) {
            return added;
        }
    }
    for (int i = 0; i < materials; ++i) {
        file.materials.push_back(MaterialRecord(msModel_GetMaterialAt(model, i)));
    }
    return file;
}

}  // namespace kx
