#include "SurfaceTestModels.h"

#include "meshutil/SphereMesh.h"

namespace kx::test {

meshutil::Device* TestDevice() {
    static int anchor;
    return reinterpret_cast<meshutil::Device*>(&anchor);
}

void TestModel::Mesh(const std::string& name, const std::vector<Vec3>& points, const Faces& faces) {
    msMesh* mesh = msModel_GetMeshAt(model_, msModel_AddMesh(model_));
    msMesh_SetName(mesh, name.c_str());
    for (const Vec3& p : points) {
        msVec3 v = {p[0], p[1], p[2]};
        msVertex_SetVertex(msMesh_GetVertexAt(mesh, msMesh_AddVertex(mesh)), v);
    }
    for (const auto& f : faces) {
        word indices[3] = {static_cast<word>(f[0]), static_cast<word>(f[1]),
                           static_cast<word>(f[2])};
        msTriangle_SetVertexIndices(msMesh_GetTriangleAt(mesh, msMesh_AddTriangle(mesh)), indices);
    }
}

void TestModel::Marker(const std::string& name, const Vec3& at, float size) {
    Mesh(name,
         {{at[0] - size, at[1], at[2] - size},
          {at[0], at[1], at[2] + size},
          {at[0] + size, at[1], at[2] - size}},
         {{0, 1, 2}});
}

void TestModel::Octahedron(const std::string& name, const Vec3& at, float size) {
    std::vector<Vec3> points = {{size, 0, 0},  {-size, 0, 0}, {0, size, 0},
                                {0, -size, 0}, {0, 0, size},  {0, 0, -size}};
    for (Vec3& p : points) {
        p = Add(p, at);
    }
    Mesh(name, points,
         {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4}, {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}});
}

void TestModel::Sphere(const std::string& name, const Vec3& at, float radius) {
    meshutil::TriMesh* sphere = nullptr;
    meshutil::CreateSphereMesh(TestDevice(), radius, 10, 6, &sphere, nullptr);
    std::vector<Vec3> points;
    for (uint32_t v = 0; v < sphere->GetVertexCount(); ++v) {
        points.push_back(Add(sphere->Position(v), at));
    }
    Faces faces;
    for (uint32_t f = 0; f < sphere->GetFaceCount(); ++f) {
        faces.push_back({static_cast<int>(sphere->Index(3 * f)),
                         static_cast<int>(sphere->Index(3 * f + 1)),
                         static_cast<int>(sphere->Index(3 * f + 2))});
    }
    sphere->Release();
    Mesh(name, points, faces);
}

SurfaceOptions PlainOptions() {
    SurfaceOptions options;
    options.floatScale = 1.0f;
    options.orientation = 1;
    return options;
}

}  // namespace kx::test
