#include "surface/SurfacePart.h"

#include <algorithm>
#include <utility>

namespace kx {

namespace {

constexpr uint32_t kRecordHeadSize = 4 + 4 + 4 + 24 + 4 + 4;  // id, count, exts, box, surf, size
constexpr uint32_t kSurfaceHeaderSize = 48;
constexpr uint32_t kHullHeaderSize = 16;
constexpr uint32_t kTriangleSize = 16;
constexpr uint32_t kVertexSize = 16;
constexpr uint32_t kNodeSize = 28;

void Tag(ByteWriter& out, const char (&tag)[5]) {
    out.Bytes(tag, 4);
}

void WriteVec(ByteWriter& out, const Vec3& v) {
    out.F32(v[0]);
    out.F32(v[1]);
    out.F32(v[2]);
}

uint64_t EdgeKey(uint32_t a, uint32_t b) {
    return a < b ? (uint64_t{a} << 32) | b : (uint64_t{b} << 32) | a;
}

// Positions within one record, measured from the record's first byte.
struct Layout {
    uint64_t surfaceHeader = 0;
    std::vector<uint64_t> hullStarts;
    uint64_t vertexStart = 0;
    uint64_t nodeStart = 0;
    uint64_t hpidStart = 0;

    uint64_t SurfaceSize() const { return hpidStart - surfaceHeader; }
};

Layout MeasureLayout(const SurfacePart& part, const std::vector<SurfaceHull>& hulls,
                     size_t nodeCount) {
    Layout layout;
    layout.surfaceHeader = kRecordHeadSize + (part.fixed ? 4 : 0);
    uint64_t position = layout.surfaceHeader + kSurfaceHeaderSize;
    layout.hullStarts.reserve(hulls.size());
    for (const SurfaceHull& hull : hulls) {
        layout.hullStarts.push_back(position);
        position += kHullHeaderSize + uint64_t{kTriangleSize} * hull.triangles.size();
    }
    layout.vertexStart = position;
    layout.nodeStart = layout.vertexStart + uint64_t{kVertexSize} * part.VertexCount();
    layout.hpidStart = layout.nodeStart + uint64_t{kNodeSize} * nodeCount;
    return layout;
}

// The hull header's count: distinct vertices used + triangles + 1.
uint16_t HullCountField(const SurfaceHull& hull) {
    std::vector<uint32_t> used;
    used.reserve(hull.triangles.size() * 3);
    for (const HullTriangle& t : hull.triangles) {
        used.insert(used.end(), t.vertices.begin(), t.vertices.end());
    }
    std::sort(used.begin(), used.end());
    const auto distinct = std::unique(used.begin(), used.end()) - used.begin();
    return static_cast<uint16_t>(distinct + static_cast<ptrdiff_t>(hull.triangles.size()) + 1);
}

}  // namespace

Vec3 TriangleNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2) {
    return Normalised(Cross(Sub(p1, p0), Sub(p2, p0)));
}

void LinkTriangles(std::span<HullTriangle> triangles) {
    const auto count = static_cast<uint32_t>(triangles.size());
    // Every edge by its two vertices, in triangle order: the neighbour across
    // an edge is the first other triangle holding it, so a lookup takes the
    // first entry of its run that is not the asking triangle.
    std::vector<std::pair<uint64_t, uint32_t>> edges;
    edges.reserve(size_t{count} * 3);
    for (uint32_t i = 0; i < count; ++i) {
        const auto& v = triangles[i].vertices;
        for (int k = 0; k < 3; ++k) {
            edges.emplace_back(EdgeKey(v[k], v[(k + 1) % 3]), i);
        }
    }
    std::sort(edges.begin(), edges.end());

    for (uint32_t i = 0; i < count; ++i) {
        HullTriangle& t = triangles[i];
        for (int k = 0; k < 3; ++k) {
            const uint64_t key = EdgeKey(t.vertices[k], t.vertices[(k + 1) % 3]);
            auto it = std::lower_bound(edges.begin(), edges.end(), std::make_pair(key, 0u));
            while (it != edges.end() && it->first == key && it->second == i) {
                ++it;
            }
            uint16_t link = 0;
            if (it != edges.end() && it->first == key) {
                const uint32_t j = it->second;
                const auto& w = triangles[j].vertices;
                // Within j the entries are tried 0, 1, 2, each in both directions.
                int entry = 0;
                while (EdgeKey(w[entry], w[(entry + 1) % 3]) != key) {
                    ++entry;
                }
                const int64_t units = 4 * (int64_t{j} - int64_t{i}) + (entry - k);
                link = static_cast<uint16_t>(units & kEdgeLinkMask);
            }
            t.edges[k] = static_cast<uint16_t>((t.edges[k] & kEdgeWrapBit) | link);
        }
    }

    // The opposite triangle faces most nearly away: the smallest negative dot
    // product of unit normals, the first of equal ones.
    std::vector<float> nx(count), ny(count), nz(count);
    for (uint32_t i = 0; i < count; ++i) {
        nx[i] = triangles[i].normal[0];
        ny[i] = triangles[i].normal[1];
        nz[i] = triangles[i].normal[2];
    }
    // A triangle's dot product with itself is never negative, so it is never
    // its own opposite.
    for (uint32_t i = 0; i < count; ++i) {
        const float ax = nx[i], ay = ny[i], az = nz[i];
        float best = 0.0f;
        uint32_t opposite = 0;
        for (uint32_t j = 0; j < count; ++j) {
            const float d = ax * nx[j] + ay * ny[j] + az * nz[j];
            if (d < best) {
                best = d;
                opposite = j;
            }
        }
        triangles[i].flags = (triangles[i].flags & 0xFF000FFFu) | ((opposite & 0xFFFu) << 12);
    }
}

Sphere EnclosingSphere(const Sphere& a, const Sphere& b) {
    const Vec3 d = Sub(b.centre, a.centre);
    const float distance = Length(d);
    if (distance + b.radius <= a.radius) {
        return a;
    }
    if (distance + a.radius <= b.radius) {
        return b;
    }
    Sphere s;
    s.radius = (distance + a.radius + b.radius) * 0.5f;
    s.centre = Add(a.centre, Scale(d, (s.radius - a.radius) / distance));
    // Rounding may leave a child a hair outside.
    for (const Sphere* child : {&a, &b}) {
        const float reach = Length(Sub(child->centre, s.centre)) + child->radius;
        if (reach > s.radius) {
            s.radius = reach;
        }
    }
    return s;
}

namespace {

// A subtree while the tree is put together: its top node and children.
struct TreeNode {
    BoundingNode node;
    int left = -1;
    int right = -1;
};

Sphere NodeSphere(const BoundingNode& node) {
    return {node.centre, node.radius};
}

class TreeBuilder {
  public:
    int Leaf(const BoundingNode& node) { return Add({node}); }

    // `top` over the children: the first half on its left, the rest on its
    // right (a single child on its left alone).
    int Inner(BoundingNode top, std::span<const int> children) {
        const size_t half = children.size() / 2;
        const int left = children.size() == 1 ? children[0] : Pairs(children.first(half));
        const int right = children.size() == 1 ? -1 : Pairs(children.subspan(half));
        Grow(top, left);
        if (right >= 0) {
            Grow(top, right);
        }
        return Add({top, left, right});
    }

    // One subtree over all, halved at every level so that its depth grows
    // only with the logarithm of the count: an added inner node above each
    // pair of halves.
    int Pairs(std::span<const int> children) {
        if (children.size() == 1) {
            return children[0];
        }
        const size_t half = children.size() / 2;
        const int left = Pairs(children.first(half));
        const int right = Pairs(children.subspan(half));
        BoundingNode added;
        added.kind = BoundingNode::Kind::Group;
        const Sphere s =
            EnclosingSphere(NodeSphere(nodes_[left].node), NodeSphere(nodes_[right].node));
        added.centre = s.centre;
        added.radius = s.radius;
        added.tag = nodes_[left].node.tag >> 1;
        return Add({added, left, right});
    }

    // Walk order: the node, its left subtree, its right subtree.
    void Emit(int t, std::vector<BoundingNode>& out) const {
        const size_t at = out.size();
        out.push_back(nodes_[t].node);
        out[at].skip = 0;
        if (nodes_[t].left >= 0) {
            Emit(nodes_[t].left, out);
        }
        if (nodes_[t].right >= 0) {
            out[at].skip = static_cast<uint32_t>(kNodeSize * (out.size() - at));
            Emit(nodes_[t].right, out);
        }
    }

  private:
    int Add(TreeNode t) {
        nodes_.push_back(t);
        return static_cast<int>(nodes_.size() - 1);
    }
    void Grow(BoundingNode& top, int child) const {
        const Sphere s = EnclosingSphere(NodeSphere(top), NodeSphere(nodes_[child].node));
        top.centre = s.centre;
        top.radius = s.radius;
    }

    std::vector<TreeNode> nodes_;
};

}  // namespace

std::vector<BoundingNode> LayOutNodeTree(std::span<const BoundingNode> grouped) {
    using Kind = BoundingNode::Kind;
    TreeBuilder tree;
    std::optional<BoundingNode> root;
    size_t n = 0;
    if (!grouped.empty() && grouped[0].kind == Kind::Root) {
        root = grouped[0];
        n = 1;
    }
    std::vector<int> top;
    while (n < grouped.size()) {
        if (grouped[n].kind != Kind::Group) {
            top.push_back(tree.Leaf(grouped[n++]));
            continue;
        }
        const BoundingNode group = grouped[n++];
        std::vector<int> leaves;
        while (n < grouped.size() && grouped[n].kind == Kind::Hull) {
            leaves.push_back(tree.Leaf(grouped[n++]));
        }
        if (leaves.size() == 1) {
            top.push_back(leaves[0]);
        } else if (leaves.size() > 1) {
            top.push_back(tree.Inner(group, leaves));
        }
    }
    std::vector<BoundingNode> out;
    out.reserve(grouped.size() * 2);
    if (root) {
        if (top.empty()) {
            out.push_back(*root);
            out[0].skip = 0;
        } else {
            tree.Emit(tree.Inner(*root, top), out);
        }
    } else if (!top.empty()) {
        tree.Emit(tree.Pairs(top), out);
    }
    return out;
}

uint32_t SurfacePart::AddHull(uint8_t type, uint32_t owner) {
    SurfaceHull hull;
    hull.type = type;
    hull.owner = owner;
    hulls_.push_back(std::move(hull));
    return static_cast<uint32_t>(hulls_.size() - 1);
}

uint32_t SurfacePart::AddVertex(const Vec3& position, uint32_t owner) {
    vertices_.push_back({position, owner});
    return static_cast<uint32_t>(vertices_.size() - 1);
}

void SurfacePart::AppendHullNode(BoundingNode node, uint32_t hull) {
    node.kind = BoundingNode::Kind::Hull;
    node.hull = hull;
    nodes_.push_back(node);
}

void SurfacePart::AppendGroupNode(BoundingNode node) {
    node.kind = BoundingNode::Kind::Group;
    nodes_.push_back(node);
}

void SurfacePart::InsertRootNode(BoundingNode node, uint32_t wrapHull) {
    node.kind = BoundingNode::Kind::Root;
    node.hull = wrapHull;
    nodes_.insert(nodes_.begin(), node);
}

uint32_t SurfacePart::ChunkCount() const {
    return (fixed ? 1u : 0u) + 2u + (hardpointListPresent ? 1u : 0u);
}

std::optional<SurfaceMessage> SurfacePart::Finish() {
    if (vertices_.size() > kMaxPartVertices) {
        return SurfaceMessage{
            FormatMessage("Part 0x%08X has %d vertices; a surface part holds at most 65535", id,
                          static_cast<int>(vertices_.size()))};
    }
    for (const SurfaceHull& hull : hulls_) {
        if (hull.overflowed) {
            return SurfaceMessage{FormatMessage(
                "Part 0x%08X has a %s hull of more than 4096 triangles; a surface hull holds "
                "at most 4096",
                id, hull.type == kHullWrap ? "wrap" : "closed")};
        }
        if (hull.triangles.size() > kMaxHullTriangles) {
            return SurfaceMessage{FormatMessage(
                "Part 0x%08X has a hull of %d triangles; a surface hull holds at most 4096", id,
                static_cast<int>(hull.triangles.size()))};
        }
    }
    const Layout layout = MeasureLayout(*this, hulls_, nodes_.size());
    if (layout.SurfaceSize() > kMaxSurfaceSize) {
        return SurfaceMessage{FormatMessage(
            "Part 0x%08X has a surface of %llu bytes; a surface part holds at most 16777215", id,
            static_cast<unsigned long long>(layout.SurfaceSize()))};
    }
    for (SurfaceHull& hull : hulls_) {
        if (!hull.linked) {
            LinkTriangles(hull.triangles);
            hull.linked = true;
        }
    }
    if (!treeLaidOut_) {
        nodes_ = LayOutNodeTree(nodes_);
        treeLaidOut_ = true;
    }
    return std::nullopt;
}

void SurfacePart::Write(ByteWriter& out) const {
    const Layout layout = MeasureLayout(*this, hulls_, nodes_.size());
    const auto surfaceSize = static_cast<uint32_t>(layout.SurfaceSize());
    std::optional<uint32_t> rootHull;
    if (!nodes_.empty() && nodes_[0].kind == BoundingNode::Kind::Root) {
        rootHull = nodes_[0].hull;
    }

    out.U32(id);
    out.U32(ChunkCount());
    if (fixed) {
        Tag(out, "!fxd");
    }
    Tag(out, "exts");
    WriteVec(out, box.lo);
    WriteVec(out, box.hi);
    Tag(out, "surf");
    out.U32(surfaceSize);

    WriteVec(out, centre);
    WriteVec(out, inertia);
    out.F32(radius);
    out.U8(partCode);
    out.U8(static_cast<uint8_t>(surfaceSize));
    out.U8(static_cast<uint8_t>(surfaceSize >> 8));
    out.U8(static_cast<uint8_t>(surfaceSize >> 16));
    out.U32(static_cast<uint32_t>(layout.nodeStart - layout.surfaceHeader));
    out.Zeros(12);

    for (size_t h = 0; h < hulls_.size(); ++h) {
        const SurfaceHull& hull = hulls_[h];
        const uint64_t start = layout.hullStarts[h];
        out.U32(static_cast<uint32_t>(layout.vertexStart - start));
        out.U32(rootHull == h ? static_cast<uint32_t>(layout.nodeStart - start) : hull.owner);
        out.U8(hull.type);
        out.U16(HullCountField(hull));
        out.U8(0);
        out.U32(static_cast<uint32_t>(hull.triangles.size()));
        for (const HullTriangle& t : hull.triangles) {
            out.U32(t.flags);
            for (int k = 0; k < 3; ++k) {
                out.U16(static_cast<uint16_t>(t.vertices[k]));
                out.U16(t.edges[k]);
            }
        }
    }
    for (const SurfaceVertex& v : vertices_) {
        WriteVec(out, v.position);
        out.U32(v.owner);
    }
    for (size_t n = 0; n < nodes_.size(); ++n) {
        const BoundingNode& node = nodes_[n];
        const uint64_t position = layout.nodeStart + uint64_t{kNodeSize} * n;
        out.U32(node.skip);
        out.I32(node.kind == BoundingNode::Kind::Group
                    ? 0
                    : static_cast<int32_t>(static_cast<int64_t>(layout.hullStarts[node.hull]) -
                                           static_cast<int64_t>(position)));
        WriteVec(out, node.centre);
        out.F32(node.radius);
        out.U32(node.tag);
    }
    if (hardpointListPresent) {
        Tag(out, "hpid");
        out.U32(static_cast<uint32_t>(hardpointIds.size()));
        for (uint32_t hardpointId : hardpointIds) {
            out.U32(hardpointId);
        }
    }
}

std::vector<uint8_t> WriteSurfaceFile(std::span<const SurfacePart> parts) {
    ByteWriter out;
    Tag(out, "vers");
    out.F32(2.0f);
    for (const SurfacePart& part : parts) {
        part.Write(out);
    }
    return out.Take();
}

}  // namespace kx
