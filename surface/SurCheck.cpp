#include "surface/SurCheck.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <unordered_map>

#include "base/Text.h"
#include "surface/HullClosure.h"
#include "surface/SurLayout.h"

namespace kx {

namespace {

Status Damage(std::string reason) {
    return Status::Failure(Fault::Damaged, std::move(reason));
}

// A 15-bit two's complement link.
int32_t SignedLink(uint16_t edge) {
    const int32_t link = edge & 0x7FFF;
    return link >= 0x4000 ? link - 0x8000 : link;
}

// The hull a node points at, if its offset lands on a hull's start.
std::optional<size_t> NodeHull(const SurPart& part, size_t n) {
    const SurNode& node = part.nodes[n];
    if (node.hullOffset == 0) {
        return std::nullopt;
    }
    const int64_t target = int64_t{part.nodeListOffset} +
                           int64_t{kNodeSize} * static_cast<int64_t>(n) + node.hullOffset;
    // Hulls lie in ascending positions.
    const auto hull =
        std::lower_bound(part.hulls.begin(), part.hulls.end(), target,
                         [](const SurHull& h, int64_t p) { return int64_t{h.position} < p; });
    if (hull == part.hulls.end() || int64_t{hull->position} != target) {
        return std::nullopt;
    }
    return static_cast<size_t>(hull - part.hulls.begin());
}

}  // namespace

// An infinite or undefined number is damage: no exporter writes one and
// the game cannot place, sort or collide with it.
Status CheckSurPartFinite(const SurPart& part) {
    const char* what = !IsFinite(part.boxMin) || !IsFinite(part.boxMax) ? "box"
                       : !IsFinite(part.centre)                         ? "centre"
                       : !IsFinite(part.inertia)                        ? "inertia"
                       : !std::isfinite(part.radius)                    ? "radius"
                                                                        : nullptr;
    if (what) {
        return Damage(std::string("the part's ") + what + " is not a finite number");
    }
    for (size_t i = 0; i < part.vertices.size(); ++i) {
        if (!IsFinite(part.vertices[i].position)) {
            return Damage("vertex " + std::to_string(i) + " is not a finite number");
        }
    }
    for (size_t i = 0; i < part.nodes.size(); ++i) {
        if (!IsFinite(part.nodes[i].centre) || !std::isfinite(part.nodes[i].radius)) {
            return Damage("node " + std::to_string(i) + " is not a finite number");
        }
    }
    return Status::Success();
}

Status CheckSurHullLinks(const SurPart& part, size_t h) {
    const SurHull& hull = part.hulls[h];
    const std::string at =
        "hull " + std::to_string(h) + " at byte " + std::to_string(hull.position);
    const auto count = static_cast<uint32_t>(hull.triangles.size());
    if (hull.type == 5 && uint64_t{hull.position} + hull.owner != part.nodeListOffset) {
        return Damage(at + ": wrap hull's root node offset " + std::to_string(hull.owner) +
                      " does not reach the node list");
    }
    // How many triangles hold each edge: a link must lead back where
    // exactly two do.
    std::unordered_map<uint64_t, uint32_t> holders;
    for (const SurTriangle& t : hull.triangles) {
        uint64_t keys[3];
        for (int k = 0; k < 3; ++k) {
            keys[k] = EdgeKey(t.vertices[k], t.vertices[(k + 1) % 3]);
            if (std::find(keys, keys + k, keys[k]) == keys + k) {
                ++holders[keys[k]];
            }
        }
    }
    for (uint32_t i = 0; i < count; ++i) {
        const SurTriangle& t = hull.triangles[i];
        const std::string tri = at + ", triangle " + std::to_string(i);
        for (uint16_t v : t.vertices) {
            if (v >= part.vertices.size()) {
                return Damage(tri + ": vertex " + std::to_string(v) + " of " +
                              std::to_string(part.vertices.size()));
            }
        }
        if ((t.flags & 0xFFF) != (i & 0xFFF) || ((t.flags >> 12) & 0xFFF) >= std::max(count, 1u)) {
            return Damage(tri + ": flags " + Hex(t.flags, 1, HexCase::Upper) +
                          " do not fit the hull");
        }
        for (int k = 0; k < 3; ++k) {
            const int32_t link = SignedLink(t.edges[k]);
            if (link == 0) {
                continue;
            }
            // Entry k of triangle i lies 4 bytes (one unit) into its record
            // plus one unit per entry.
            const int64_t unit = int64_t{4} * i + 1 + k + link;
            const std::string edge = tri + ", edge " + std::to_string(k);
            if (unit < 0 || unit >= int64_t{4} * count || unit % 4 == 0) {
                return Damage(edge + ": link " + std::to_string(link) +
                              " leads outside the hull's triangle entries");
            }
            const auto j = static_cast<uint32_t>(unit / 4);
            const auto e = static_cast<int>(unit % 4) - 1;
            const SurTriangle& u = hull.triangles[j];
            const uint64_t key = EdgeKey(t.vertices[k], t.vertices[(k + 1) % 3]);
            if (EdgeKey(u.vertices[e], u.vertices[(e + 1) % 3]) != key) {
                return Damage(edge + ": link leads to triangle " + std::to_string(j) +
                              ", which does not hold that edge there");
            }
            if (holders[key] == 2 &&
                int64_t{4} * j + 1 + e + SignedLink(u.edges[e]) != int64_t{4} * i + 1 + k) {
                return Damage(edge + ": triangle " + std::to_string(j) + " does not link back");
            }
        }
    }
    return Status::Success();
}

Status CheckSurNodeList(const SurPart& part) {
    const auto count = static_cast<uint32_t>(part.nodes.size());
    for (uint32_t n = 0; n < count; ++n) {
        const SurNode& node = part.nodes[n];
        const uint64_t position = uint64_t{part.nodeListOffset} + uint64_t{kNodeSize} * n;
        const std::string at = "node " + std::to_string(n) + " at byte " + std::to_string(position);
        if (node.skip % kNodeSize != 0 || node.skip / kNodeSize > count - n) {
            return Damage(at + ": skip " + std::to_string(node.skip) +
                          " leads outside the node list");
        }
        if (node.hullOffset != 0 && !NodeHull(part, n)) {
            return Damage(at + ": hull offset " + std::to_string(node.hullOffset) +
                          " does not point at a hull");
        }
    }
    return Status::Success();
}

namespace {

std::vector<std::array<uint32_t, 3>> Corners(const SurHull& hull) {
    std::vector<std::array<uint32_t, 3>> corners;
    corners.reserve(hull.triangles.size());
    for (const SurTriangle& t : hull.triangles) {
        corners.push_back({t.vertices[0], t.vertices[1], t.vertices[2]});
    }
    return corners;
}

}  // namespace

SurTreeWalk WalkSurNodeTree(const SurPart& part) {
    SurTreeWalk walk;
    walk.hullsReached.assign(part.hulls.size(), 0);
    walk.nodesReached.assign(part.nodes.size(), 0);
    // Skips only lead forward, but a node reached twice is not followed again
    // so a damaged list cannot make the walk go round.
    std::vector<uint64_t> pending;
    if (!part.nodes.empty()) {
        pending.push_back(0);
    }
    while (!pending.empty()) {
        const uint64_t n = pending.back();
        pending.pop_back();
        if (n >= part.nodes.size() || walk.nodesReached[n]++ > 0) {
            continue;
        }
        const std::optional<size_t> hull = NodeHull(part, n);
        if (hull) {
            ++walk.hullsReached[*hull];
            if (part.hulls[*hull].type != 5) {
                continue;
            }
        }
        // The right subtree after the left one, as a recursive reader goes.
        if (part.nodes[n].skip != 0) {
            pending.push_back(n + part.nodes[n].skip / kNodeSize);
        }
        pending.push_back(n + 1);
    }
    return walk;
}

bool IsClosedSurHull(const SurHull& hull) {
    return IsClosedHull(Corners(hull));
}

Status CheckSurPartForReaders(const SurPart& part) {
    for (size_t h = 0; h < part.hulls.size(); ++h) {
        const SurHull& hull = part.hulls[h];
        std::vector<uint16_t> used;
        for (const SurTriangle& t : hull.triangles) {
            used.insert(used.end(), t.vertices.begin(), t.vertices.end());
        }
        std::sort(used.begin(), used.end());
        const size_t distinct =
            static_cast<size_t>(std::unique(used.begin(), used.end()) - used.begin());
        const size_t want = distinct + hull.triangles.size() + 1;
        if (hull.countField != want) {
            return Damage("hull " + std::to_string(h) + " at byte " +
                          std::to_string(hull.position) + ": count field " +
                          std::to_string(hull.countField) + ", its triangles give " +
                          std::to_string(want));
        }
    }
    const SurTreeWalk walk = WalkSurNodeTree(part);
    for (size_t n = 0; n < part.nodes.size(); ++n) {
        const SurNode& node = part.nodes[n];
        const std::string at = "node " + std::to_string(n);
        const std::optional<size_t> hull = NodeHull(part, n);
        const bool leaf = hull && part.hulls[*hull].type != 5;
        if (walk.nodesReached[n] != 1) {
            return Damage(at + " is reached " + std::to_string(walk.nodesReached[n]) +
                          " times by a walk of the node tree");
        }
        if (leaf && node.skip != 0) {
            return Damage(at + ": a hull's leaf node with skip " + std::to_string(node.skip));
        }
        if (!leaf && (n + 1 >= part.nodes.size() ||
                      uint64_t{n} + node.skip / kNodeSize >= part.nodes.size())) {
            return Damage(at + ": an inner node whose subtrees lie past the node list");
        }
    }
    for (size_t h = 0; h < part.hulls.size(); ++h) {
        if (walk.hullsReached[h] != 1) {
            return Damage("hull " + std::to_string(h) + " at byte " +
                          std::to_string(part.hulls[h].position) + " is reached " +
                          std::to_string(walk.hullsReached[h]) +
                          " times by a walk of the node tree");
        }
    }
    return Status::Success();
}

}  // namespace kx
