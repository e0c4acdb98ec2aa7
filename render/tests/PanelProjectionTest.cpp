#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/PanelProjection.h"
#include "render/ScenePreparation.h"

namespace kx {
namespace {

TEST(BackToFront, OrdersByDepthAndEqualDepthsByItemWhateverTheirSigns) {
    // Depths of both signs, zeros of both signs, tiny and huge ones, many
    // equal; triangles facing the viewer and away; hull triangles after.
    const ViewBasis basis = BasisOf(ViewKind::Front);
    const std::vector<float> depths = {3.0f, -0.0f, 0.0f, -2.5f, 1e-30f, -1e-30f, 1e30f,   -1e30f,
                                       3.0f, -2.5f, 0.0f, 7.25f, -0.0f,  2e-38f,  -2e-38f, 3.0f};
    RenderScene scene;
    uint32_t seed = 9;
    for (int round = 0; round < 40; ++round) {
        for (const float d : depths) {
            seed = seed * 1664525u + 1013904223u;
            const Vec3 at = Scale(basis.toward, d);
            const Vec3 u = basis.right, v = basis.up;
            // The three corners sum to three times `at`, so the centre depth
            // is d's, rounded alike for every copy.
            const Vec3 a = Add(at, u), b = Add(at, v), c = Sub(Sub(at, u), v);
            if (seed >> 31) {
                scene.AddTriangle(0, a, b, c);
            } else {
                scene.AddTriangle(0, a, c, b);  // facing away: left out
            }
            if (round % 8 == 0) {
                scene.AddHullTriangle(HullKind::Part, a, c, b);
            }
        }
    }
    // Triangles whose corners' depths are all exactly -0 or all +0 (each
    // product of a coordinate and the view direction a zero of that sign),
    // in turns: their depths compare equal, so they stay in item order.
    auto zeroCorner = [&](float sign, float p, float q) {
        Vec3 corner{};
        float* free[2] = {&p, &q};
        int next = 0;
        for (int axis = 0; axis < 3; ++axis) {
            const float t = basis.toward[axis];
            corner[axis] = t != 0.0f ? std::copysign(0.0f, sign * t)
                                     : std::copysign(*free[std::min(next++, 1)], sign) *
                                           (std::signbit(t) ? -1.0f : 1.0f);
        }
        return corner;
    };
    for (int k = 0; k < 12; ++k) {
        const float sign = k % 2 ? 1.0f : -1.0f;
        const Vec3 a = zeroCorner(sign, 1, 1), b = zeroCorner(sign, 2, 1),
                   c = zeroCorner(sign, 1, 3);
        scene.AddTriangle(0, a, b, c);
        scene.AddTriangle(0, a, c, b);
    }
    const PreparedScene prepared = PrepareScene(scene);
    const std::vector<DrawItem> items = BackToFront(prepared, basis);
    size_t facing = 0;
    for (size_t t = 0; t < prepared.normals.size(); ++t) {
        facing += Dot(prepared.normals[t], basis.toward) > 0.0f ? 1 : 0;
    }
    ASSERT_EQ(items.size(), facing + scene.hullKindOf.size());
    for (size_t i = 1; i < items.size(); ++i) {
        const DrawItem& a = items[i - 1];
        const DrawItem& b = items[i];
        ASSERT_TRUE(a.depth < b.depth || (a.depth == b.depth && a.item < b.item))
            << "items " << i - 1 << " and " << i << ": " << a.depth << " " << b.depth;
    }
}

}  // namespace
}  // namespace kx
