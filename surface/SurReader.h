#pragma once
// Reads a .sur file and checks that its parts hold together: every offset
// inside its record, edge links that lead to the same edge and back, nodes
// that point at hull starts, the wrap hull at the root node. Reads outside
// bytes: nothing is trusted before it is checked.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "base/Result.h"
#include "base/Vec.h"

namespace kx {

struct SurTriangle {
    uint32_t flags = 0;
    std::array<uint16_t, 3> vertices{};
    std::array<uint16_t, 3> edges{};
};

struct SurHull {
    uint32_t position = 0;  // from the start of the surface header
    uint32_t vertexListOffset = 0;
    uint32_t owner = 0;
    uint8_t type = 0;
    uint16_t countField = 0;
    std::vector<SurTriangle> triangles;
};

struct SurVertex {
    Vec3 position{};
    uint32_t owner = 0;
};

struct SurNode {
    uint32_t skip = 0;
    int32_t hullOffset = 0;
    Vec3 centre{};
    float radius = 0.0f;
    uint32_t tag = 0;
};

struct SurPart {
    size_t fileOffset = 0;
    uint32_t id = 0;
    uint32_t chunkCount = 0;
    bool fixed = false;
    Vec3 boxMin{};
    Vec3 boxMax{};
    Vec3 centre{};
    Vec3 inertia{};
    float radius = 0.0f;
    uint8_t partCode = 0;
    uint32_t surfaceSize = 0;
    uint32_t nodeListOffset = 0;
    std::vector<SurHull> hulls;
    std::vector<SurVertex> vertices;
    std::vector<SurNode> nodes;
    bool hasHardpointList = false;
    std::vector<uint32_t> hardpointIds;
};

struct SurFile {
    float version = 0.0f;
    std::vector<SurPart> parts;
};

// The file's parts, or the first fault found, in one line naming the part and
// the byte where it lies.
Result<SurFile> ReadSurFile(std::span<const uint8_t> bytes);

// How often a reader walking the part's node tree reaches each hull and each
// node. The walk starts at the first node; a node whose hull is an ordinary
// one is a leaf; any other node (no hull, or the wrap hull) goes on to the
// next node, its left subtree, and, when its skip is not 0, to the node the
// skip leads to, its right subtree. A node is followed on only the first time
// it is reached.
struct SurTreeWalk {
    std::vector<uint32_t> hullsReached;
    std::vector<uint32_t> nodesReached;
};
SurTreeWalk WalkSurNodeTree(const SurPart& part);

// Whether the hull closes around one solid (see IsClosedHull).
bool IsClosedSurHull(const SurHull& hull);

// What the game's readers need of a part that reads whole: every hull's
// count field equal to its distinct vertices + triangles + 1 (so 3 + 1.5 x
// triangles for a closed hull), and a node tree whose walk reaches every
// node and every hull exactly once. The first fault, in one line.
Status CheckSurPartForReaders(const SurPart& part);

}  // namespace kx
