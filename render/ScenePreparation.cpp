#include "render/ScenePreparation.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace kx {

namespace {

struct Box3 {
    Vec3 lo{}, hi{};
    bool empty = true;

    void Add(const Vec3& p) {
        if (empty) {
            lo = hi = p;
            empty = false;
            return;
        }
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], p[a]);
            hi[a] = std::max(hi[a], p[a]);
        }
    }
    // In double, then capped: the corners of a huge model are finite but
    // their distance may not be in float.
    float Diagonal() const {
        if (empty) {
            return 0.0f;
        }
        const double d = Length(Sub(ToDouble(hi), ToDouble(lo)));
        return static_cast<float>(std::min(d, static_cast<double>(FLT_MAX)));
    }
};

bool FiniteTriangle(const std::vector<Vec3>& corners, size_t t) {
    return IsFinite(corners[3 * t]) && IsFinite(corners[3 * t + 1]) && IsFinite(corners[3 * t + 2]);
}

}  // namespace

Vec3 ArrowOf(const SceneHardpoint& hardpoint, int axis, float length) {
    Vec3 direction{hardpoint.frame[0][axis], hardpoint.frame[1][axis], hardpoint.frame[2][axis]};
    if (axis == 2) {
        direction = Scale(direction, -1.0f);
    }
    const float norm = Length(direction);
    if (!(norm > 0.0f) || !std::isfinite(norm)) {
        return {};
    }
    return Scale(direction, length / norm);
}

PreparedScene PrepareScene(const RenderScene& scene) {
    PreparedScene prepared{scene, {}, {}, {}, {}, 1.0f};
    const size_t triangles = scene.groupOf.size();
    prepared.normals.resize(triangles);
    prepared.drawable.resize(triangles);
    Box3 box;
    for (size_t t = 0; t < triangles; ++t) {
        if (!FiniteTriangle(scene.corners, t)) {
            continue;
        }
        const Vec3& a = scene.corners[3 * t];
        const Vec3& b = scene.corners[3 * t + 1];
        const Vec3& c = scene.corners[3 * t + 2];
        // In double: a huge but finite model must not overflow to a
        // normal of infinities.
        const Vec3d n =
            Normalised(Cross(Sub(ToDouble(b), ToDouble(a)), Sub(ToDouble(c), ToDouble(a))));
        prepared.normals[t] = {static_cast<float>(n[0]), static_cast<float>(n[1]),
                               static_cast<float>(n[2])};
        prepared.drawable[t] = 1;
        box.Add(a);
        box.Add(b);
        box.Add(c);
    }
    const size_t hullTriangles = scene.hullKindOf.size();
    prepared.hullDrawable.resize(hullTriangles);
    for (size_t t = 0; t < hullTriangles; ++t) {
        if (FiniteTriangle(scene.hullCorners, t)) {
            prepared.hullDrawable[t] = 1;
            for (int k = 0; k < 3; ++k) {
                box.Add(scene.hullCorners[3 * t + k]);
            }
        }
    }
    prepared.hardpointDrawable.resize(scene.hardpoints.size());
    Box3 hardpointBox;
    for (size_t h = 0; h < scene.hardpoints.size(); ++h) {
        const SceneHardpoint& hp = scene.hardpoints[h];
        bool finite = IsFinite(hp.position);
        for (const Vec3& row : hp.frame) {
            finite = finite && IsFinite(row);
        }
        if (finite) {
            prepared.hardpointDrawable[h] = 1;
            hardpointBox.Add(hp.position);
        }
    }
    // Arrows a twentieth of the model's size: visible on a large model,
    // not swamping a small one. Hardpoints alone measure the model when it
    // has nothing else.
    float size = box.Diagonal();
    if (!(size > 0.0f)) {
        size = hardpointBox.Diagonal();
    }
    prepared.arrowLength = size > 0.0f ? size * 0.05f : 1.0f;
    return prepared;
}

}  // namespace kx
