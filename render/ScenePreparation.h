#pragma once
// What every panel of a picture needs from its scene, worked out once: the
// unit normal of each triangle, which triangles can be drawn at all, and the
// model's size, which sets the length of the hardpoint arrows.

#include <cstdint>
#include <vector>

#include "base/Vec.h"
#include "render/RenderScene.h"

namespace kx {

struct PreparedScene {
    const RenderScene& scene;
    std::vector<Vec3> normals;          // one per triangle
    std::vector<uint8_t> drawable;      // triangles with finite corners
    std::vector<uint8_t> hullDrawable;  // the same for hull triangles
    std::vector<uint8_t> hardpointDrawable;
    float arrowLength = 1.0f;
};

// A file may hold any float: triangles, hull triangles and hardpoints with a
// corner that is not finite are left out of every picture rather than let
// them spoil the fit or the drawing.
PreparedScene PrepareScene(const RenderScene& scene);

// The hardpoint's axis k (0 x, 1 y, 2 z) as drawn: z reversed, so the blue
// arrow shows where the hardpoint points; `length` long, or nothing (all
// zeros) when the frame has no such direction.
Vec3 ArrowOf(const SceneHardpoint& hardpoint, int axis, float length);

}  // namespace kx
