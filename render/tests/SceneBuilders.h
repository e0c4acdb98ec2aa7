#pragma once
// Small known scenes for the picture tests.

#include "render/RenderScene.h"

namespace kx::test {

// A flat quad p0..p3 (in order round its edge), wound to face `facing`.
inline void AddQuad(RenderScene& scene, uint16_t group, const Vec3& p0, const Vec3& p1,
                    const Vec3& p2, const Vec3& p3, const Vec3& facing) {
    if (Dot(Cross(Sub(p1, p0), Sub(p2, p0)), facing) >= 0) {
        scene.AddTriangle(group, p0, p1, p2);
        scene.AddTriangle(group, p0, p2, p3);
    } else {
        scene.AddTriangle(group, p0, p2, p1);
        scene.AddTriangle(group, p0, p3, p2);
    }
}

// An axis-aligned cube of side `size` around `centre`, faces outward.
inline void AddCube(RenderScene& scene, uint16_t group, const Vec3& centre, float size) {
    while (scene.groups.size() <= group) {
        scene.groups.push_back("group" + std::to_string(scene.groups.size()));
    }
    const float h = size / 2;
    for (int axis = 0; axis < 3; ++axis) {
        for (float side : {-1.0f, 1.0f}) {
            const int u = (axis + 1) % 3, v = (axis + 2) % 3;
            Vec3 corner[4];
            const float us[4] = {-h, h, h, -h}, vs[4] = {-h, -h, h, h};
            for (int k = 0; k < 4; ++k) {
                corner[k] = centre;
                corner[k][axis] += side * h;
                corner[k][u] += us[k];
                corner[k][v] += vs[k];
            }
            Vec3 facing{};
            facing[axis] = side;
            AddQuad(scene, group, corner[0], corner[1], corner[2], corner[3], facing);
        }
    }
}

}  // namespace kx::test
