#include "surface/SurfacePart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
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

// Links every edge entry to the neighbour across it: the first other
// triangle holding the edge, at its first entry that does (0 when none
// does). The entries are counted out by the edge's lower vertex, straight
// from the triangles and so in slot order; within a vertex, a table by the
// upper vertex keeps each edge's first entry and first entry of another
// triangle, so no sort is needed and the time is linear. Vertex numbers far
// beyond the hull's size (not from a part) are first replaced by their
// ranks.
void LinkEdges(std::span<HullTriangle> triangles) {
    const auto count = static_cast<uint32_t>(triangles.size());
    std::vector<uint64_t> keys(size_t{count} * 3);
    uint32_t highest = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const auto& v = triangles[i].vertices;
        keys[3 * size_t{i}] = EdgeKey(v[0], v[1]);
        keys[3 * size_t{i} + 1] = EdgeKey(v[1], v[2]);
        keys[3 * size_t{i} + 2] = EdgeKey(v[2], v[0]);
        highest = std::max({highest, v[0], v[1], v[2]});
    }
    if (highest > 4 * keys.size() + 65536) {
        std::vector<uint32_t> ranks;
        ranks.reserve(keys.size());
        for (const HullTriangle& t : triangles) {
            ranks.insert(ranks.end(), t.vertices.begin(), t.vertices.end());
        }
        std::sort(ranks.begin(), ranks.end());
        ranks.erase(std::unique(ranks.begin(), ranks.end()), ranks.end());
        auto rank = [&](uint64_t v) {
            return uint64_t(std::lower_bound(ranks.begin(), ranks.end(), v) - ranks.begin());
        };
        for (uint64_t& key : keys) {
            key = rank(key >> 32) << 32 | rank(key & 0xFFFFFFFFu);
        }
        highest = static_cast<uint32_t>(ranks.size());
    }
    // Vertex v's entries, once placed, end at start[v].
    std::vector<uint32_t> start(size_t{highest} + 1, 0);
    for (const uint64_t key : keys) {
        ++start[key >> 32];
    }
    for (uint32_t v = 0, sum = 0; v < start.size(); ++v) {
        sum += start[v];
        start[v] = sum - start[v];
    }
    // An entry: the upper vertex, then the slot.
    std::vector<uint64_t> entries(keys.size());
    for (uint32_t i = 0; i < count; ++i) {
        for (int k = 0; k < 3; ++k) {
            const uint64_t key = keys[3 * size_t{i} + k];
            entries[start[key >> 32]++] = key << 32 | Slot(i, k);
        }
    }
    // Within one lower vertex, by the upper: the first entry, and the first
    // of another triangle (the first again while there is none). Chosen by
    // selects, not branches: whether an entry is an edge's first or second
    // cannot be foreseen.
    std::vector<uint32_t> seenAt(start.size(), 0xFFFFFFFFu), first(start.size()),
        second(start.size());
    for (uint32_t v = 0, begin = 0; v < start.size(); begin = start[v], ++v) {
        for (uint32_t e = begin; e < start[v]; ++e) {
            const auto upper = static_cast<uint32_t>(entries[e] >> 32);
            const auto slot = static_cast<uint32_t>(entries[e]);
            const bool fresh = seenAt[upper] != v;
            const uint32_t f = fresh ? slot : first[upper];
            const bool other = second[upper] == f && slot / 4 != f / 4;
            second[upper] = fresh || other ? slot : second[upper];
            first[upper] = f;
            seenAt[upper] = v;
        }
        for (uint32_t e = begin; e < start[v]; ++e) {
            const auto upper = static_cast<uint32_t>(entries[e] >> 32);
            const auto slot = static_cast<uint32_t>(entries[e]);
            const uint32_t f = first[upper];
            const bool own = slot / 4 == f / 4;
            const uint32_t other = own ? second[upper] : f;
            const uint16_t link =
                other == f && own
                    ? 0
                    : static_cast<uint16_t>((int64_t{other} - int64_t{slot}) & kEdgeLinkMask);
            uint16_t& word = triangles[slot / 4].edges[slot % 4];
            word = static_cast<uint16_t>((word & kEdgeWrapBit) | link);
        }
    }
}

// Every triangle's opposite: the smallest negative dot product of unit
// normals, the first of equal ones, 0 when none is negative. A scan of all
// triangles for each is quadratic; instead the unit normals are sorted into a
// grid of cells, and the search for i's opposite looks first in the 2 x 2 x 2
// cells around the grid corner nearest -n(i), gathered once per corner, and
// then, if need be, in the cells around -n(i), widening until nothing outside
// can come within rounding of the best so far. The dot products it computes are written as the scan
// writes them and ties go to the lower index, so it chooses what the scan chooses, bit for bit. A
// triangle's dot product with itself is never negative, so it is never its own opposite.
class OppositeSearch {
  public:
    explicit OppositeSearch(std::span<const HullTriangle> triangles) : triangles_(triangles) {
        const auto count = static_cast<uint32_t>(triangles.size());
        side_ = std::clamp(static_cast<int>(std::sqrt(static_cast<double>(count)) / 3.5), 2, 32);
        cell_ = 2 * kReach / static_cast<float>(side_);
        perCell_ = 1.0 / double{cell_};
        cellStart_.assign(static_cast<size_t>(side_) * side_ * side_ + 1, 0);
        // Each member's cell, and the first of the 8 grid corners around it.
        const uint32_t corners = static_cast<uint32_t>(side_) + 1;
        std::vector<uint32_t> cellOf(count, kNoCell), firstBlock(count, kNoCell);
        for (uint32_t j = 0; j < count; ++j) {
            if (NearlyUnit(triangles[j].normal)) {
                const std::array<int, 3> cell = Cell(triangles[j].normal, 1.0f);
                cellOf[j] = CellIndex(cell);
                firstBlock[j] =
                    (static_cast<uint32_t>(cell[0]) * corners + cell[1]) * corners + cell[2];
                ++cellStart_[cellOf[j] + 1];
            } else if (!std::isnan(Dot(triangles[j], triangles[j]))) {
                odd_.push_back(j);
            }
        }
        // Each cell padded to whole lanes with zero normals, whose products
        // (zeros) are never chosen.
        for (size_t c = 1; c < cellStart_.size(); ++c) {
            cellStart_[c] = cellStart_[c - 1] + (cellStart_[c] + kLanes - 1) / kLanes * kLanes;
        }
        members_.resize(cellStart_.back());
        for (auto& axis : normals_) {
            axis.resize(cellStart_.back());
        }
        std::vector<uint32_t> fill(cellStart_.begin(), cellStart_.end() - 1);
        for (uint32_t j = 0; j < count; ++j) {
            if (cellOf[j] != kNoCell) {
                for (int axis = 0; axis < 3; ++axis) {
                    normals_[axis][fill[cellOf[j]]] = triangles[j].normal[axis];
                }
                members_[fill[cellOf[j]]++] = j;
            }
        }
        // Every member joins the blocks of the 8 grid corners around its
        // cell, in index order (the corners at the grid's ends too, though
        // no search looks there, so that every member has 8).
        const std::array<uint32_t, 8> around = {0,
                                                1,
                                                corners,
                                                corners + 1,
                                                corners * corners,
                                                corners * corners + 1,
                                                corners * corners + corners,
                                                corners * corners + corners + 1};
        blockStart_.assign(size_t{corners} * corners * corners + 1, 0);
        for (uint32_t j = 0; j < count; ++j) {
            if (firstBlock[j] != kNoCell) {
                for (const uint32_t offset : around) {
                    ++blockStart_[firstBlock[j] + offset + 1];
                }
            }
        }
        for (size_t b = 1; b < blockStart_.size(); ++b) {
            blockStart_[b] += blockStart_[b - 1];
        }
        blocks_.resize(blockStart_.back());
        std::vector<uint32_t> next(blockStart_.begin(), blockStart_.end() - 1);
        for (uint32_t j = 0; j < count; ++j) {
            if (firstBlock[j] != kNoCell) {
                const Vec3& m = triangles[j].normal;
                for (const uint32_t offset : around) {
                    blocks_[next[firstBlock[j] + offset]++] = {m[0], m[1], m[2], j};
                }
            }
        }
    }

    // `hint` is any triangle, best one whose normal lies near the opposite's
    // (a neighbour's opposite): offered first, it narrows the search at once.
    uint32_t Opposite(uint32_t i, uint32_t hint) const {
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
        if (hint < triangles_.size()) {
            q.best.Offer(Dot(triangles_[i], triangles_[hint]), hint);
        }
        q.n = n;
        for (int axis = 0; axis < 3; ++axis) {
            q.t[axis] = -static_cast<double>(n[axis]) + kReach;
        }
        // Mostly the best of the 2 x 2 x 2 cells around the grid corner
        // nearest -n is nearer -n than the block's sides, so nothing outside
        // it can come as close.
        const std::array<int, 3> corner = Corner(n);
        OfferBlock(q, corner);
        if (q.best.value < Floor(BlockClearance(q.t, corner))) {
            return q.best.index;
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
            lo[axis] = std::max(0, static_cast<int>((q.t[axis] - reach) * perCell_));
            hi[axis] = std::min(side_ - 1, static_cast<int>((q.t[axis] + reach) * perCell_));
            near = near && hi[axis] - lo[axis] <= 2;
        }
        if (near) {
            // The squared distance of -n from each row of cells along each
            // axis, so that a cell's is three sums.
            std::array<std::array<double, 3>, 3> gaps{};
            for (int axis = 0; axis < 3; ++axis) {
                for (int c = lo[axis]; c <= hi[axis]; ++c) {
                    gaps[axis][c - lo[axis]] = SquaredGap(q.t[axis], c);
                }
            }
            const uint32_t searched = CellIndex(centre);
            for (int x = lo[0]; x <= hi[0]; ++x) {
                for (int y = lo[1]; y <= hi[1]; ++y) {
                    const double xy = gaps[0][x - lo[0]] + gaps[1][y - lo[1]];
                    const uint32_t row = CellIndex({x, y, 0});
                    for (int z = lo[2]; z <= hi[2]; ++z) {
                        const uint32_t c = row + static_cast<uint32_t>(z);
                        if (cellStart_[c] != cellStart_[c + 1] && c != searched &&
                            xy + gaps[2][z - lo[2]] <= q.reach && Offer(q, c)) {
                            q.reach = Reach(q.best.value);
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
    static constexpr uint32_t kLanes = 4;
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
        if (cellStart_[c] != cellStart_[c + 1] && SquaredCellDistance(q.t, cell) <= q.reach &&
            Offer(q, c)) {
            q.reach = Reach(q.best.value);
        }
    }

    // Lowers each lane to n's products with normals begin to end (whole
    // lanes), a lane at a time without a branch per normal.
    static void Lower(std::array<float, kLanes>& lanes, const Vec3& n,
                      const std::array<std::vector<float>, 3>& normals, uint32_t begin,
                      uint32_t end) {
        for (size_t m = begin; m < end; m += kLanes) {
            const float* x = normals[0].data() + m;
            const float* y = normals[1].data() + m;
            const float* z = normals[2].data() + m;
            for (size_t l = 0; l < kLanes; ++l) {
                const float d = n[0] * x[l] + n[1] * y[l] + n[2] * z[l];  // as Product
                lanes[l] = d < lanes[l] ? d : lanes[l];
            }
        }
    }

    static float Least(const std::array<float, kLanes>& lanes) {
        static_assert(kLanes == 4);
        const float low = lanes[1] < lanes[0] ? lanes[1] : lanes[0];
        const float high = lanes[3] < lanes[2] ? lanes[3] : lanes[2];
        return high < low ? high : low;
    }

    // Members are in index order, so of cell c only its first least product
    // can be chosen: it alone is offered. True if it is the best so far.
    bool Offer(Query& q, uint32_t c) const {
        const uint32_t begin = cellStart_[c], end = cellStart_[c + 1];
        std::array<float, kLanes> lanes{};
        Lower(lanes, q.n, normals_, begin, end);
        const float least = Least(lanes);
        if (least < q.best.value || (least == q.best.value && least < 0.0f)) {
            uint32_t m = begin;
            while (Product(q.n, m) != least) {
                ++m;
            }
            q.best.Offer(least, members_[m]);
            return true;
        }
        return false;
    }

    // The grid corner nearest -n, kept one in from the grid's ends so that
    // its block lies within the grid.
    std::array<int, 3> Corner(const Vec3& n) const {
        std::array<int, 3> corner{};
        for (int axis = 0; axis < 3; ++axis) {
            const double t = (-static_cast<double>(n[axis]) + kReach) * perCell_;
            corner[axis] = std::clamp(static_cast<int>(t + 0.5), 1, side_ - 1);
        }
        return corner;
    }

    // Offers the first least product of the block around `corner`, its
    // members in index order.
    void OfferBlock(Query& q, const std::array<int, 3>& corner) const {
        const int corners = side_ + 1;
        const auto b =
            static_cast<uint32_t>((corner[0] * corners + corner[1]) * corners + corner[2]);
        float least = 0.0f;
        uint32_t index = 0;
        for (uint32_t m = blockStart_[b]; m < blockStart_[b + 1]; ++m) {
            const BlockMember& member = blocks_[m];
            const float d =
                q.n[0] * member.x + q.n[1] * member.y + q.n[2] * member.z;  // as Product
            // Selected by a mask rather than a branch, whose way no
            // processor could foresee.
            const uint32_t lower = 0u - static_cast<uint32_t>(d < least);
            index = (member.index & lower) | (index & ~lower);
            least = d < least ? d : least;
        }
        if (least < 0.0f) {
            q.best.Offer(least, index);
        }
    }

    // The distance from -n, at t in the grid's frame, to the nearest cell
    // outside the block around `corner`.
    double BlockClearance(const std::array<double, 3>& t, const std::array<int, 3>& corner) const {
        double clearance = 4.0;  // more than any two nearly unit normals lie apart
        for (int axis = 0; axis < 3; ++axis) {
            if (corner[axis] - 1 > 0) {
                clearance = std::min(clearance, t[axis] - (corner[axis] - 1) * double{cell_});
            }
            if (corner[axis] + 1 < side_) {
                clearance = std::min(clearance, (corner[axis] + 1) * double{cell_} - t[axis]);
            }
        }
        return clearance;
    }

    // The dot product of n with a member's normal, as the scan writes it.
    float Product(const Vec3& n, uint32_t m) const {
        return n[0] * normals_[0][m] + n[1] * normals_[1][m] + n[2] * normals_[2][m];
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

    // The squared distance along one axis from t, in the grid's frame, to
    // the nearest point of the cells in row c.
    double SquaredGap(double t, int c) const {
        const double gap =
            std::max(std::max(0.0, c * double{cell_} - t), t - (c + 1) * double{cell_});
        return gap * gap;
    }

    // The squared distance from -n, at t in the grid's frame, to the nearest
    // point of a cell.
    double SquaredCellDistance(const std::array<double, 3>& t,
                               const std::array<int, 3>& cell) const {
        double squared = 0;
        for (int axis = 0; axis < 3; ++axis) {
            squared += SquaredGap(t[axis], cell[axis]);
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
    // Its inverse, for the range of cells within a distance: rounding it
    // moves an end by far less than the slack in that distance.
    double perCell_ = 1.0;
    std::vector<uint32_t> cellStart_;  // members of cell c: cellStart_[c] to cellStart_[c + 1]
    std::vector<uint32_t> members_;    // in cell order, with their normals by axis
    std::array<std::vector<float>, 3> normals_;
    std::vector<uint32_t> odd_;  // normals neither nearly unit nor NaN
    // The members of the 2 x 2 x 2 cells around each grid corner.
    struct BlockMember {
        float x, y, z;
        uint32_t index;
    };
    std::vector<uint32_t> blockStart_;  // block b: blockStart_[b] to blockStart_[b + 1]
    std::vector<BlockMember> blocks_;
};

}  // namespace

Vec3 TriangleNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2) {
    return Normalised(Cross(Sub(p1, p0), Sub(p2, p0)));
}

void LinkTriangles(std::span<HullTriangle> triangles) {
    const auto count = static_cast<uint32_t>(triangles.size());
    LinkEdges(triangles);

    // Triangles in a row mostly lie side by side, facing nearly alike.
    const OppositeSearch search(triangles);
    uint32_t previous = 0;
    for (uint32_t i = 0; i < count; ++i) {
        previous = search.Opposite(i, previous);
        triangles[i].flags = (triangles[i].flags & 0xFF000FFFu) | ((previous & 0xFFFu) << 12);
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
