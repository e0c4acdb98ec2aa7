#include "surface/SurfacePart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "surface/SurLayout.h"

namespace kx {

namespace {

Status Refuse(std::string message) {
    return Status::Failure(Fault::Refused, std::move(message));
}

void Tag(ByteWriter& out, const char (&tag)[5]) {
    out.Bytes(tag, 4);
}

void WriteVec(ByteWriter& out, const Vec3& v) {
    out.F32(v[0]);
    out.F32(v[1]);
    out.F32(v[2]);
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

// A triangle's edge entry k as a slot: 4 x triangle + k, the entry's position
// in the hull in units of 4 bytes, so that a link is the difference of two.
constexpr uint32_t Slot(uint32_t triangle, int entry) {
    return 4 * triangle + static_cast<uint32_t>(entry);
}

float Dot(const HullTriangle& a, const HullTriangle& b) {
    return a.normal[0] * b.normal[0] + a.normal[1] * b.normal[1] + a.normal[2] * b.normal[2];
}

// Every edge entry of the hull as (edge key, slot), sorted. Slots come in
// order, so a stable count by the edge's lower vertex and then a stable
// insertion sort of each vertex's few edges sorts them in linear time; vertex
// numbers far beyond the hull's size (not from a part) take a plain sort.
std::vector<std::pair<uint64_t, uint32_t>> SortedEdges(std::span<const HullTriangle> triangles) {
    const auto count = static_cast<uint32_t>(triangles.size());
    std::vector<std::pair<uint64_t, uint32_t>> edges;
    edges.reserve(size_t{count} * 3);
    uint32_t highest = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const auto& v = triangles[i].vertices;
        for (int k = 0; k < 3; ++k) {
            edges.emplace_back(EdgeKey(v[k], v[(k + 1) % 3]), Slot(i, k));
            highest = std::max(highest, v[k]);
        }
    }
    if (highest > 4 * edges.size() + 65536) {
        std::sort(edges.begin(), edges.end());
        return edges;
    }
    std::vector<uint32_t> start(size_t{highest} + 2, 0);
    for (const auto& e : edges) {
        ++start[(e.first >> 32) + 1];
    }
    for (size_t v = 1; v < start.size(); ++v) {
        start[v] += start[v - 1];
    }
    std::vector<std::pair<uint64_t, uint32_t>> sorted(edges.size());
    for (const auto& e : edges) {
        sorted[start[e.first >> 32]++] = e;
    }
    // start[v] is now where vertex v + 1's edges begin.
    for (size_t v = 0, begin = 0; v + 1 < start.size(); begin = start[v], ++v) {
        for (size_t e = begin + 1; e < start[v]; ++e) {
            const auto record = sorted[e];
            size_t to = e;
            for (; to > begin && sorted[to - 1].first > record.first; --to) {
                sorted[to] = sorted[to - 1];
            }
            sorted[to] = record;
        }
    }
    return sorted;
}

// Every triangle's opposite: the smallest negative dot product of unit
// normals, the first of equal ones, 0 when none is negative. A scan of all
// triangles for each is quadratic; instead the unit normals are sorted into a
// grid of cells, and the search for i's opposite looks in the cells around
// -n(i) only, widening until nothing outside can come within rounding of the
// best so far. The dot products it computes are written as the scan writes
// them and ties go to the lower index, so it chooses what the scan chooses,
// bit for bit. A triangle's dot product with itself is never negative, so it
// is never its own opposite.
class OppositeSearch {
  public:
    explicit OppositeSearch(std::span<const HullTriangle> triangles) : triangles_(triangles) {
        const auto count = static_cast<uint32_t>(triangles.size());
        side_ = std::clamp(static_cast<int>(std::sqrt(static_cast<double>(count)) / 5), 2, 32);
        cell_ = 2 * kReach / static_cast<float>(side_);
        cellStart_.assign(static_cast<size_t>(side_) * side_ * side_ + 1, 0);
        std::vector<uint32_t> cellOf(count, kNoCell);
        for (uint32_t j = 0; j < count; ++j) {
            if (NearlyUnit(triangles[j].normal)) {
                cellOf[j] = CellIndex(Cell(triangles[j].normal, 1.0f));
                ++cellStart_[cellOf[j] + 1];
            } else if (!std::isnan(Dot(triangles[j], triangles[j]))) {
                odd_.push_back(j);
            }
        }
        for (size_t c = 1; c < cellStart_.size(); ++c) {
            cellStart_[c] += cellStart_[c - 1];
        }
        members_.resize(cellStart_.back());
        normals_.resize(cellStart_.back());
        std::vector<uint32_t> fill(cellStart_.begin(), cellStart_.end() - 1);
        for (uint32_t j = 0; j < count; ++j) {
            if (cellOf[j] != kNoCell) {
                normals_[fill[cellOf[j]]] = triangles[j].normal;
                members_[fill[cellOf[j]]++] = j;
            }
        }
    }

    uint32_t Opposite(uint32_t i) const {
        Query q;
        const Vec3& n = triangles_[i].normal;
        if (!NearlyUnit(n)) {
            for (uint32_t j = 0; j < triangles_.size(); ++j) {
                q.best.Offer(Dot(triangles_[i], triangles_[j]), j);
            }
            return q.best.index;
        }
        for (const uint32_t j : odd_) {
            q.best.Offer(Dot(triangles_[i], triangles_[j]), j);
        }
        q.n = n;
        for (int axis = 0; axis < 3; ++axis) {
            q.t[axis] = -static_cast<double>(n[axis]) + kReach;
        }
        q.reach = Reach(q.best.value);
        const std::array<int, 3> centre = Cell(n, -1.0f);
        Search(q, centre);
        // Mostly the best of -n's own cell is close enough that only the
        // cells within its distance of -n remain, a few at most.
        std::array<int, 3> lo{}, hi{};
        const double reach = std::sqrt(q.reach);
        bool near = true;
        // Truncation serves for floor: a negative low end is raised to 0, and
        // the high end, t being positive, is never negative.
        for (int axis = 0; axis < 3; ++axis) {
            lo[axis] = std::max(0, static_cast<int>((q.t[axis] - reach) / cell_));
            hi[axis] = std::min(side_ - 1, static_cast<int>((q.t[axis] + reach) / cell_));
            near = near && hi[axis] - lo[axis] <= 2;
        }
        if (near) {
            for (int x = lo[0]; x <= hi[0]; ++x) {
                for (int y = lo[1]; y <= hi[1]; ++y) {
                    for (int z = lo[2]; z <= hi[2]; ++z) {
                        if (x != centre[0] || y != centre[1] || z != centre[2]) {
                            Search(q, {x, y, z});
                        }
                    }
                }
            }
            return q.best.index;
        }
        for (int r = 1; r <= kWidest; ++r) {
            VisitShell(centre, r, [&](const std::array<int, 3>& cell) { Search(q, cell); });
            if (q.best.value < Floor(Clearance(n, centre, r)) || r >= side_) {
                return q.best.index;
            }
        }
        // No normal faces nearly away (an open or flat hull): the scan.
        for (uint32_t j = 0; j < triangles_.size(); ++j) {
            q.best.Offer(Dot(triangles_[i], triangles_[j]), j);
        }
        return q.best.index;
    }

  private:
    static constexpr uint32_t kNoCell = 0xFFFFFFFFu;
    // Unit normals, as TriangleNormal makes them, have a squared length
    // within this of 1; the short normals of degenerate triangles, and any
    // set by other means, are searched one by one.
    static constexpr double kUnitTolerance = 1e-4;
    // The grid spans a little more than the unit ball, so no nearly unit
    // normal falls outside it.
    static constexpr float kReach = 1.01f;
    // Far above the rounding of a dot product of nearly unit vectors (a few
    // units of 2^-24) and of placing a normal in its cell.
    static constexpr double kSlack = 1e-5;
    // Beyond this many cells around -n, a scan of all costs less.
    static constexpr int kWidest = 2;

    struct Best {
        float value = 0.0f;
        uint32_t index = 0;

        void Offer(float d, uint32_t j) {
            if (d < value || (d == value && d < 0.0f && j < index)) {
                value = d;
                index = j;
            }
        }
    };

    // One search for the opposite of normal n: -n's place in the grid's
    // frame (t) and the squared distance from it beyond which nothing can
    // beat the best so far, kept with the best.
    struct Query {
        Vec3 n{};
        std::array<double, 3> t{};
        Best best;
        double reach = 0;
    };

    // Offers the members of a cell, unless it is empty or too far from -n.
    void Search(Query& q, const std::array<int, 3>& cell) const {
        const uint32_t c = CellIndex(cell);
        const uint32_t end = cellStart_[c + 1];
        if (cellStart_[c] == end || SquaredCellDistance(q.t, cell) > q.reach) {
            return;
        }
        // Members are in index order, so of the cell only its first least
        // product can be chosen: found without a branch per member, it alone
        // is offered.
        float least = 0.0f;
        for (uint32_t m = cellStart_[c]; m < end; ++m) {
            const float d = Product(q.n, m);
            least = d < least ? d : least;
        }
        if (least < q.best.value || (least == q.best.value && least < 0.0f)) {
            uint32_t m = cellStart_[c];
            while (Product(q.n, m) != least) {
                ++m;
            }
            q.best.Offer(least, members_[m]);
            q.reach = Reach(q.best.value);
        }
    }

    // The dot product of n with a member's normal, as the scan writes it.
    float Product(const Vec3& n, uint32_t m) const {
        const Vec3& b = normals_[m];
        return n[0] * b[0] + n[1] * b[1] + n[2] * b[2];
    }

    static bool NearlyUnit(const Vec3& n) {
        const double squared = static_cast<double>(n[0]) * n[0] + static_cast<double>(n[1]) * n[1] +
                               static_cast<double>(n[2]) * n[2];
        return std::fabs(squared - 1.0) <= kUnitTolerance;
    }

    std::array<int, 3> Cell(const Vec3& n, float sign) const {
        std::array<int, 3> cell{};
        for (int axis = 0; axis < 3; ++axis) {
            const int c = static_cast<int>((sign * n[axis] + kReach) / cell_);
            cell[axis] = std::clamp(c, 0, side_ - 1);
        }
        return cell;
    }

    // A nearly unit normal m at least `distance` from -n has a dot product
    // with n of at least (D^2 - |n|^2 - |m|^2) / 2; this, less rounding.
    static double Floor(double distance) {
        const double d = std::max(0.0, distance - kSlack);
        return (d * d - 2.0 * (1.0 + kUnitTolerance)) / 2.0 - kSlack;
    }

    // The squared distance from -n beyond which no nearly unit normal can
    // have a dot product with n of `value` or less (Floor inverted, and
    // widened a little more).
    static double Reach(float value) {
        const double d =
            std::sqrt(std::max(0.0, 2.0 * (value + kSlack) + 2.0 * (1.0 + kUnitTolerance))) +
            2 * kSlack;
        return d * d;
    }

    // The squared distance from -n, at t in the grid's frame, to the nearest
    // point of a cell.
    double SquaredCellDistance(const std::array<double, 3>& t,
                               const std::array<int, 3>& cell) const {
        double squared = 0;
        for (int axis = 0; axis < 3; ++axis) {
            const double gap = std::max(std::max(0.0, cell[axis] * double{cell_} - t[axis]),
                                        t[axis] - (cell[axis] + 1) * double{cell_});
            squared += gap * gap;
        }
        return squared;
    }

    // The distance from -n to the nearest cell outside the r cells around
    // its own; a side where the grid ends has nothing beyond it.
    double Clearance(const Vec3& n, const std::array<int, 3>& centre, int r) const {
        double clearance = 4.0;  // more than any two nearly unit normals lie apart
        for (int axis = 0; axis < 3; ++axis) {
            const double t = -static_cast<double>(n[axis]) + kReach;
            if (centre[axis] - r > 0) {
                clearance = std::min(clearance, t - (centre[axis] - r) * double{cell_});
            }
            if (centre[axis] + r < side_ - 1) {
                clearance = std::min(clearance, (centre[axis] + r + 1) * double{cell_} - t);
            }
        }
        return clearance;
    }

    uint32_t CellIndex(const std::array<int, 3>& c) const {
        return static_cast<uint32_t>((c[0] * side_ + c[1]) * side_ + c[2]);
    }

    // The cells exactly r cells (the largest of the three axes) from centre.
    template <typename Visit>
    void VisitShell(const std::array<int, 3>& centre, int r, Visit&& visit) const {
        std::array<int, 3> lo{}, hi{};
        for (int axis = 0; axis < 3; ++axis) {
            lo[axis] = std::max(centre[axis] - r, 0);
            hi[axis] = std::min(centre[axis] + r, side_ - 1);
        }
        for (int x = lo[0]; x <= hi[0]; ++x) {
            for (int y = lo[1]; y <= hi[1]; ++y) {
                if (std::abs(x - centre[0]) == r || std::abs(y - centre[1]) == r) {
                    for (int z = lo[2]; z <= hi[2]; ++z) {
                        visit(std::array{x, y, z});
                    }
                    continue;
                }
                // Inside the shell's rim only its two ends along z.
                if (centre[2] - r >= 0) {
                    visit(std::array{x, y, centre[2] - r});
                }
                if (r > 0 && centre[2] + r < side_) {
                    visit(std::array{x, y, centre[2] + r});
                }
            }
        }
    }

    std::span<const HullTriangle> triangles_;
    int side_ = 2;
    float cell_ = 1.0f;
    std::vector<uint32_t> cellStart_;  // members of cell c: cellStart_[c] to cellStart_[c + 1]
    std::vector<uint32_t> members_;    // in cell order, with their normals
    std::vector<Vec3> normals_;
    std::vector<uint32_t> odd_;  // normals neither nearly unit nor NaN
};

}  // namespace

Vec3 TriangleNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2) {
    return Normalised(Cross(Sub(p1, p0), Sub(p2, p0)));
}

void LinkTriangles(std::span<HullTriangle> triangles) {
    const auto count = static_cast<uint32_t>(triangles.size());
    // Every edge by its two vertices, then by slot: the neighbour across an
    // edge is the first other triangle holding it, at its first entry that
    // does, so within a run of one edge the first record answers every
    // other triangle, and the first record of another triangle answers the
    // first one's.
    const std::vector<std::pair<uint64_t, uint32_t>> edges = SortedEdges(triangles);
    for (size_t begin = 0; begin < edges.size();) {
        size_t end = begin + 1;
        while (end < edges.size() && edges[end].first == edges[begin].first) {
            ++end;
        }
        const uint32_t first = edges[begin].second;
        uint32_t second = first;  // the first record of another triangle, if any
        for (size_t e = begin + 1; e < end && second == first; ++e) {
            if (edges[e].second / 4 != first / 4) {
                second = edges[e].second;
            }
        }
        for (size_t e = begin; e < end; ++e) {
            const uint32_t slot = edges[e].second;
            const uint32_t other = slot / 4 == first / 4 ? second : first;
            const uint16_t link =
                other == first && slot / 4 == first / 4
                    ? 0
                    : static_cast<uint16_t>((int64_t{other} - int64_t{slot}) & kEdgeLinkMask);
            uint16_t& word = triangles[slot / 4].edges[slot % 4];
            word = static_cast<uint16_t>((word & kEdgeWrapBit) | link);
        }
        begin = end;
    }

    const OppositeSearch search(triangles);
    for (uint32_t i = 0; i < count; ++i) {
        triangles[i].flags =
            (triangles[i].flags & 0xFF000FFFu) | ((search.Opposite(i) & 0xFFFu) << 12);
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

Status SurfacePart::Finish() {
    if (vertices_.size() > kMaxPartVertices) {
        return Refuse(
            FormatMessage("Part 0x%08X has %d vertices; a surface part holds at most 65535", id,
                          static_cast<int>(vertices_.size())));
    }
    for (const SurfaceHull& hull : hulls_) {
        if (hull.overflowed) {
            return Refuse(FormatMessage(
                "Part 0x%08X has a %s hull of more than 4096 triangles; a surface hull holds "
                "at most 4096",
                id, hull.type == kHullWrap ? "wrap" : "closed"));
        }
        if (hull.triangles.size() > kMaxHullTriangles) {
            return Refuse(FormatMessage(
                "Part 0x%08X has a hull of %d triangles; a surface hull holds at most 4096", id,
                static_cast<int>(hull.triangles.size())));
        }
    }
    const Layout layout = MeasureLayout(*this, hulls_, nodes_.size());
    if (layout.SurfaceSize() > kMaxSurfaceSize) {
        return Refuse(FormatMessage(
            "Part 0x%08X has a surface of %llu bytes; a surface part holds at most 16777215", id,
            static_cast<unsigned long long>(layout.SurfaceSize())));
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
    return Status::Success();
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
