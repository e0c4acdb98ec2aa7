#include "render/PanelProjection.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

namespace kx {

namespace {

struct Bounds2 {
    double loX = 0, hiX = 0, loY = 0, hiY = 0;
    bool empty = true;

    void Add(double x, double y) {
        if (empty) {
            loX = hiX = x;
            loY = hiY = y;
            empty = false;
            return;
        }
        loX = std::min(loX, x);
        hiX = std::max(hiX, x);
        loY = std::min(loY, y);
        hiY = std::max(hiY, y);
    }
};

// A depth as a key whose order as an unsigned number is the depth's order
// (depths are finite; -0 counts as 0, as it compares).
uint64_t DepthKey(double depth) {
    const auto bits = std::bit_cast<uint64_t>(depth + 0.0);
    return bits >> 63 ? ~bits : bits | uint64_t{1} << 63;
}

// By depth, equal depths in the order given (which is by item): a stable
// sort by the keys' bytes, least first, leaving out the bytes all share.
// Linear in the count, where a comparison sort of a large model's tens of
// thousands of triangles, panel after panel, cost more than their drawing.
void SortByDepth(std::vector<DrawItem>& items) {
    std::vector<uint64_t> keys(items.size());
    std::array<std::array<uint32_t, 256>, 8> counts{};
    for (size_t i = 0; i < items.size(); ++i) {
        keys[i] = DepthKey(items[i].depth);
        for (int byte = 0; byte < 8; ++byte) {
            ++counts[byte][keys[i] >> (8 * byte) & 0xFF];
        }
    }
    std::vector<uint64_t> keysOut(items.size());
    std::vector<DrawItem> itemsOut(items.size());
    for (int byte = 0; byte < 8; ++byte) {
        auto& count = counts[byte];
        if (items.empty() || count[keys[0] >> (8 * byte) & 0xFF] == items.size()) {
            continue;
        }
        uint32_t sum = 0;
        for (uint32_t& c : count) {
            const uint32_t here = c;
            c = sum;
            sum += here;
        }
        for (size_t i = 0; i < items.size(); ++i) {
            const uint32_t to = count[keys[i] >> (8 * byte) & 0xFF]++;
            keysOut[to] = keys[i];
            itemsOut[to] = items[i];
        }
        keys.swap(keysOut);
        items.swap(itemsOut);
    }
}

}  // namespace

PanelProjection::PanelProjection(const PreparedScene& prepared, ViewKind view,
                                 const PanelRect& rect, bool hardpoints)
    : basis_(BasisOf(view)) {
    const RenderScene& scene = prepared.scene;
    Bounds2 bounds;
    auto add = [&](const Vec3& p) { bounds.Add(DotD(p, basis_.right), DotD(p, basis_.up)); };
    for (size_t t = 0; t < prepared.drawable.size(); ++t) {
        if (prepared.drawable[t]) {
            add(scene.corners[3 * t]);
            add(scene.corners[3 * t + 1]);
            add(scene.corners[3 * t + 2]);
        }
    }
    for (size_t t = 0; t < prepared.hullDrawable.size(); ++t) {
        if (prepared.hullDrawable[t]) {
            add(scene.hullCorners[3 * t]);
            add(scene.hullCorners[3 * t + 1]);
            add(scene.hullCorners[3 * t + 2]);
        }
    }
    // The view is framed on the model; hardpoints far from it (docking
    // points and the like) would shrink it to a corner, so they are drawn
    // at the panel's edge instead. Hardpoints alone frame themselves.
    if (hardpoints && bounds.empty) {
        for (size_t h = 0; h < scene.hardpoints.size(); ++h) {
            if (!prepared.hardpointDrawable[h]) {
                continue;
            }
            const SceneHardpoint& hp = scene.hardpoints[h];
            add(hp.position);
            for (int axis = 0; axis < 3; ++axis) {
                add(Add(hp.position, ArrowOf(hp, axis, prepared.arrowLength)));
            }
        }
    }
    // A twentieth of the panel on each side, so nothing touches its edge.
    const double margin = 0.05 * std::min(rect.width, rect.height);
    const double usableW = std::max(1.0, rect.width - 2 * margin);
    const double usableH = std::max(1.0, rect.height - 2 * margin);
    panelX_ = rect.x + rect.width / 2;
    panelY_ = rect.y + rect.height / 2;
    if (bounds.empty) {
        return;
    }
    centreX_ = bounds.loX / 2 + bounds.hiX / 2;
    centreY_ = bounds.loY / 2 + bounds.hiY / 2;
    const double spanX = bounds.hiX - bounds.loX;
    const double spanY = bounds.hiY - bounds.loY;
    double scale = 0;
    if (spanX > 0) {
        scale = usableW / spanX;
    }
    if (spanY > 0) {
        scale = scale > 0 ? std::min(scale, usableH / spanY) : usableH / spanY;
    }
    // A point, or a span too wide for a double: draw at scale 1 around the
    // centre rather than at an infinite or zero scale.
    scale_ = scale > 0 && std::isfinite(scale) ? scale : 1.0;
}

double PanelProjection::Depth(const Vec3& p) const {
    return DotD(p, basis_.toward);
}

std::vector<DrawItem> BackToFront(const PreparedScene& prepared, const ViewBasis& basis) {
    const RenderScene& scene = prepared.scene;
    std::vector<DrawItem> items;
    items.reserve(prepared.drawable.size() / 2 + prepared.hullDrawable.size());
    auto centreDepth = [&](const std::vector<Vec3>& corners, size_t t) {
        return DotD(corners[3 * t], basis.toward) + DotD(corners[3 * t + 1], basis.toward) +
               DotD(corners[3 * t + 2], basis.toward);
    };
    for (size_t t = 0; t < prepared.drawable.size(); ++t) {
        if (prepared.drawable[t] && Dot(prepared.normals[t], basis.toward) > 0.0f) {
            items.push_back({centreDepth(scene.corners, t), static_cast<uint32_t>(t)});
        }
    }
    for (size_t t = 0; t < prepared.hullDrawable.size(); ++t) {
        if (prepared.hullDrawable[t]) {
            items.push_back(
                {centreDepth(scene.hullCorners, t), kHullItem | static_cast<uint32_t>(t)});
        }
    }
    SortByDepth(items);
    return items;
}

}  // namespace kx
