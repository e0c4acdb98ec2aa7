// Writes a small ship as a model file: a hull, two wings and an engine as
// separate groups with two materials, and hardpoint markers named the way the
// model exporter reads them. Sizes are in modeller units: at the exporter's
// default divisor of 92 the hull is about four game units long. The nose
// points along +z.
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "base/Vec.h"
#include "host/headless/HeadlessModel.h"
#include "ms3d/Ms3dIo.h"

namespace {

using kx::Cross;
using kx::Dot;
using kx::Normalised;
using kx::Sub;
using kx::Vec3;

// A closed, flat-shaded solid: every face gets its own three vertices and
// one normal, wound to face away from the solid's centre.
void AddSolid(msModel* model, const char* name, int material, const std::vector<Vec3>& points,
              const std::vector<std::array<int, 3>>& faces) {
    msMesh* mesh = msModel_GetMeshAt(model, msModel_AddMesh(model));
    msMesh_SetName(mesh, name);
    msMesh_SetMaterialIndex(mesh, material);
    Vec3 centre{};
    for (const Vec3& p : points) {
        for (int i = 0; i < 3; ++i) {
            centre[i] += p[i] / static_cast<float>(points.size());
        }
    }
    for (auto face : faces) {
        Vec3 n =
            Cross(Sub(points[face[1]], points[face[0]]), Sub(points[face[2]], points[face[0]]));
        if (Dot(n, Sub(points[face[0]], centre)) < 0) {
            std::swap(face[1], face[2]);
            n = {-n[0], -n[1], -n[2]};
        }
        const Vec3 unit = Normalised(n);
        msVec3 normal{unit[0], unit[1], unit[2]};
        word normalIndex = static_cast<word>(msMesh_AddVertexNormal(mesh));
        msMesh_SetVertexNormalAt(mesh, normalIndex, normal);
        word corners[3], normals[3] = {normalIndex, normalIndex, normalIndex};
        for (int c = 0; c < 3; ++c) {
            const Vec3& p = points[face[c]];
            corners[c] = static_cast<word>(msMesh_AddVertex(mesh));
            msVertex* vertex = msMesh_GetVertexAt(mesh, corners[c]);
            msVec3 position{p[0], p[1], p[2]};
            // A plan-view projection: texture u across, v along the ship.
            msVec2 uv{0.5f + p[0] / 440.0f, 0.5f - p[2] / 440.0f};
            msVertex_SetVertex(vertex, position);
            msVertex_SetTexCoords(vertex, uv);
        }
        msTriangle* triangle = msMesh_GetTriangleAt(mesh, msMesh_AddTriangle(mesh));
        msTriangle_SetVertexIndices(triangle, corners);
        msTriangle_SetNormalIndices(triangle, normals);
        msTriangle_SetSmoothingGroup(triangle, 1);
    }
}

// A marker: one small triangle whose first three vertices average to `at`.
void AddMarker(msModel* model, const char* name, const Vec3& at) {
    const float r = 4.0f;
    AddSolid(model, name, -1,
             {{at[0], at[1], at[2] + r},
              {at[0] - 0.866f * r, at[1], at[2] - 0.5f * r},
              {at[0] + 0.866f * r, at[1], at[2] - 0.5f * r}},
             {{0, 1, 2}});
}

void AddMaterial(msModel* model, const char* name, const msVec4& diffuse, const msVec4& emissive,
                 const char* texture) {
    msMaterial* m = msModel_GetMaterialAt(model, msModel_AddMaterial(model));
    msMaterial_SetName(m, name);
    msVec4 ambient{0.2f, 0.2f, 0.2f, 1.0f}, specular{0.6f, 0.6f, 0.6f, 1.0f};
    msVec4 d{diffuse[0], diffuse[1], diffuse[2], diffuse[3]};
    msVec4 e{emissive[0], emissive[1], emissive[2], emissive[3]};
    msMaterial_SetAmbient(m, ambient);
    msMaterial_SetDiffuse(m, d);
    msMaterial_SetSpecular(m, specular);
    msMaterial_SetEmissive(m, e);
    msMaterial_SetShininess(m, 32.0f);
    msMaterial_SetTransparency(m, 1.0f);
    msMaterial_SetDiffuseTexture(m, texture);
}

void BuildShip(msModel* model) {
    AddMaterial(model, "ShipHull", {0.55f, 0.58f, 0.62f, 1.0f}, {0, 0, 0, 1}, "ship_hull.tga");
    AddMaterial(model, "ShipEngine", {0.3f, 0.3f, 0.35f, 1.0f}, {0.2f, 0.5f, 1.0f, 1},
                "ship_engine.tga");

    // Hull: a stretched double pyramid, nose at +z.
    AddSolid(
        model, "hull", 0,
        {{0, 0, 200}, {0, 0, -150}, {0, 50, 0}, {0, -40, 0}, {-60, 0, 0}, {60, 0, 0}},
        {{0, 2, 5}, {0, 5, 3}, {0, 3, 4}, {0, 4, 2}, {1, 5, 2}, {1, 3, 5}, {1, 4, 3}, {1, 2, 4}});
    // Wings: a thin wedge on each side, swept back.
    const std::vector<std::array<int, 3>> wedge{{0, 1, 2}, {0, 3, 1}, {1, 3, 2}, {2, 3, 0}};
    AddSolid(model, "wing_left", 0,
             {{-50, 0, 40}, {-50, 0, -90}, {-220, -10, -100}, {-50, 12, -40}}, wedge);
    AddSolid(model, "wing_right", 0, {{50, 0, 40}, {50, 0, -90}, {220, -10, -100}, {50, 12, -40}},
             wedge);
    // Engine: a box closing the tail.
    std::vector<Vec3> box;
    for (int i = 0; i < 8; ++i) {
        box.push_back({i & 1 ? 25.0f : -25.0f, i & 2 ? 20.0f : -20.0f, i & 4 ? -140.0f : -190.0f});
    }
    AddSolid(model, "engine", 1, box,
             {{0, 1, 3},
              {0, 3, 2},
              {4, 5, 7},
              {4, 7, 6},
              {0, 1, 5},
              {0, 5, 4},
              {2, 3, 7},
              {2, 7, 6},
              {0, 2, 6},
              {0, 6, 4},
              {1, 3, 7},
              {1, 7, 5}});

    AddMarker(model, "Hp_Fixed_HpEngine01", {0, 0, -195});
    AddMarker(model, "Hp_Revolute_HpTurret01", {0, 52, 0});
    AddMarker(model, "Hp_Fixed_HpWeapon01", {-215, -10, -95});
    AddMarker(model, "Hp_Fixed_HpWeapon02", {215, -10, -95});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_ship OUT.ms3d\n");
        return 2;
    }
    msModel* model = kxModel_Create();
    BuildShip(model);
    const kx::Status written = kx::WriteMs3dModel(argv[1], model);
    kxModel_Free(model);
    if (!written) {
        std::fprintf(stderr, "make_sample_ship: %s\n", written.Reason().c_str());
        return 1;
    }
    return 0;
}
