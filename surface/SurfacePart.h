#pragma once
// One part record of a surface file as it is built: hulls of triangles, the
// vertices they share, the bounding-sphere nodes over them and the
// hardpoint ids. Every offset the record stores (hull to vertex list, node to
// hull, wrap hull to root node, header to node list) is computed from the
// final layout when the record is written, so hulls, vertices and nodes may be
// added in any order.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "base/Result.h"
#include "container/ByteWriter.h"
#include "surface/SurfaceTypes.h"

namespace kx {

inline constexpr uint8_t kHullOrdinary = 4;
inline constexpr uint8_t kHullWrap = 5;

// Limits of the record's fields: 16-bit vertex indices, 12-bit triangle
// indices (which also keep every edge link inside its 15 bits).
inline constexpr uint32_t kMaxPartVertices = 65535;
inline constexpr uint32_t kMaxHullTriangles = 4096;
// The surface size is also kept in 24 bits of the surface header.
inline constexpr uint32_t kMaxSurfaceSize = 0xFFFFFF;

inline constexpr uint16_t kEdgeWrapBit = 0x8000;
inline constexpr uint16_t kEdgeLinkMask = 0x7FFF;
inline constexpr uint32_t kFlagsWrap = 0x80000000u;

struct HullTriangle {
    // Bits 0-11 index in the hull, 12-23 opposite triangle, 24-31 0x80 in a
    // wrap hull.
    uint32_t flags = 0;
    std::array<uint32_t, 3> vertices{};
    // Edge k runs from vertex k to vertex k + 1: link in bits 0-14, bit 15
    // set in a wrap hull.
    std::array<uint16_t, 3> edges{};
    Vec3 normal{};  // unit normal, taken when the triangle is made
};

// The unit normal of the triangle through three points.
Vec3 TriangleNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2);

// Stores in every triangle the links to its neighbours across each edge and
// its opposite triangle. Needs at most kMaxHullTriangles triangles.
void LinkTriangles(std::span<HullTriangle> triangles);

struct SurfaceHull {
    uint8_t type = kHullOrdinary;
    uint32_t owner = 0;  // unused for a wrap hull: it stores the distance to the root node
    std::vector<HullTriangle> triangles;
    bool linked = false;
    bool overflowed = false;  // a wrap that needed more triangles than a hull holds
};

struct BoundingNode {
    enum class Kind { Root, Group, Hull };
    Kind kind = Kind::Hull;
    uint32_t hull = 0;  // for root and hull nodes
    uint32_t skip = 0;  // in bytes
    Vec3 centre{};
    float radius = 0.0f;
    uint32_t tag = 0;
};

struct SurfaceVertex {
    Vec3 position{};
    uint32_t owner = 0;
};

class SurfacePart {
  public:
    uint32_t id = 0;
    bool fixed = false;  // the root part: "!fxd"
    SurfaceBox box;
    Vec3 centre{};
    Vec3 inertia{};
    float radius = 0.0f;
    uint8_t partCode = 0;
    bool hardpointListPresent = false;
    std::vector<uint32_t> hardpointIds;

    uint32_t AddHull(uint8_t type, uint32_t owner);
    SurfaceHull& Hull(uint32_t index) { return hulls_[index]; }
    const std::vector<SurfaceHull>& Hulls() const { return hulls_; }

    uint32_t AddVertex(const Vec3& position, uint32_t owner);
    uint32_t VertexCount() const { return static_cast<uint32_t>(vertices_.size()); }
    std::vector<SurfaceVertex>& Vertices() { return vertices_; }
    const std::vector<SurfaceVertex>& Vertices() const { return vertices_; }

    // The nodes as the builder groups them: a hull node belongs to the group
    // node before it, or to the root when none came before. Finish lays them
    // out as the tree readers walk (see LayOutNodeTree).
    void AppendHullNode(BoundingNode node, uint32_t hull);
    void AppendGroupNode(BoundingNode node);
    // The root node, pointing at the wrap hull, goes first.
    void InsertRootNode(BoundingNode node, uint32_t wrapHull);
    const std::vector<BoundingNode>& Nodes() const { return nodes_; }

    // "!fxd", "exts", "surf" and "hpid" when present.
    uint32_t ChunkCount() const;

    // Refuses a part whose numbers do not fit their fields (Refused, with
    // the message for the person); otherwise links the hulls not linked yet.
    // Nothing is written for a refused part.
    Status Finish();
    // The record's bytes; only after Finish succeeded.
    void Write(ByteWriter& out) const;

  private:
    std::vector<SurfaceHull> hulls_;
    std::vector<SurfaceVertex> vertices_;
    std::vector<BoundingNode> nodes_;
    bool treeLaidOut_ = false;
};

// Lays grouped nodes out as a binary tree in walk order: an inner node (the
// root or a group) is followed by its left subtree, its skip leads to its
// right subtree (0 when it has none), a hull node is a leaf with skip 0.
// A group of one hull node gives way to that node; the children of a group
// or of the root are split in halves, an added inner node over each pair of
// halves, so the depth grows with the logarithm of the count. Inner spheres
// grow, where needed, to hold their children.
std::vector<BoundingNode> LayOutNodeTree(std::span<const BoundingNode> grouped);

// The smallest sphere holding both.
Sphere EnclosingSphere(const Sphere& a, const Sphere& b);

// "vers", 2.0, then each part in order.
std::vector<uint8_t> WriteSurfaceFile(std::span<const SurfacePart> parts);

}  // namespace kx
