#include "surface/HullClosure.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace kx {

bool IsClosedHull(std::span<const std::array<uint32_t, 3>> triangles) {
    if (triangles.empty() || triangles.size() % 2 != 0) {
        return false;
    }
    std::vector<std::pair<uint32_t, uint32_t>> edges;
    std::vector<uint32_t> corners;
    edges.reserve(triangles.size() * 3);
    corners.reserve(triangles.size() * 3);
    for (const auto& t : triangles) {
        if (t[0] == t[1] || t[1] == t[2] || t[2] == t[0]) {
            return false;
        }
        for (int k = 0; k < 3; ++k) {
            edges.emplace_back(t[k], t[(k + 1) % 3]);
            corners.push_back(t[k]);
        }
    }
    std::sort(edges.begin(), edges.end());
    // Each directed edge once, and its reverse present.
    for (size_t i = 0; i < edges.size(); ++i) {
        if (i > 0 && edges[i] == edges[i - 1]) {
            return false;
        }
        const std::pair<uint32_t, uint32_t> reverse{edges[i].second, edges[i].first};
        if (!std::binary_search(edges.begin(), edges.end(), reverse)) {
            return false;
        }
    }
    std::sort(corners.begin(), corners.end());
    corners.erase(std::unique(corners.begin(), corners.end()), corners.end());
    if (corners.size() != 2 + triangles.size() / 2) {
        return false;
    }
    // One piece: a sphere and a torus apart would pass the count together.
    std::vector<uint32_t> parent(corners.size());
    for (uint32_t i = 0; i < parent.size(); ++i) {
        parent[i] = i;
    }
    auto slot = [&](uint32_t v) {
        return static_cast<uint32_t>(std::lower_bound(corners.begin(), corners.end(), v) -
                                     corners.begin());
    };
    auto root = [&](uint32_t i) {
        while (parent[i] != i) {
            parent[i] = parent[parent[i]];
            i = parent[i];
        }
        return i;
    };
    size_t pieces = corners.size();
    for (const auto& [a, b] : edges) {
        const uint32_t ra = root(slot(a));
        const uint32_t rb = root(slot(b));
        if (ra != rb) {
            parent[ra] = rb;
            --pieces;
        }
    }
    return pieces == 1;
}

}  // namespace kx
