// Shared-edge adjacency and point representatives of a TriMesh.
#include <algorithm>
#include <cmath>
#include <new>

#include "base/Vec.h"
#include "meshutil/FaceArray.h"
#include "meshutil/FanWalk.h"
#include "meshutil/TriMesh.h"
#include "meshutil/VertexFormat.h"

namespace kx::meshutil {

namespace {

constexpr std::uint32_t kUnassigned = 0xFFFFFFFFu;

// Sorts vertex indices by descending x with a min-heap sort. Vertices with equal
// x come out in the order this exact procedure gives, and the choice of
// representatives depends on that order, so it must not be replaced by std::sort.
// The heap holds x beside each index to keep the sift-downs in cache.
std::vector<std::uint32_t> HeapSortDescendingX(const std::vector<Vec3>& positions) {
    struct Entry {
        float x;
        std::uint32_t vertex;
    };
    const std::size_t n = positions.size();
    std::vector<Entry> heap(n);
    for (std::size_t v = 0; v < n; ++v) {
        heap[v] = {positions[v][0], static_cast<std::uint32_t>(v)};
    }
    auto siftDown = [&](std::size_t i, std::size_t end) {
        const Entry moving = heap[i];
        for (;;) {
            std::size_t child = 2 * i + 1;
            if (child >= end) {
                break;
            }
            if (child + 1 < end && heap[child + 1].x <= heap[child].x) {
                ++child;
            }
            if (moving.x < heap[child].x) {
                break;
            }
            heap[i] = heap[child];
            i = child;
        }
        heap[i] = moving;
    };
    for (std::size_t i = n / 2; i-- > 0;) {
        siftDown(i, n);
    }
    for (std::size_t end = n; end-- > 1;) {
        std::swap(heap[0], heap[end]);
        siftDown(0, end);
    }
    std::vector<std::uint32_t> order(n);
    for (std::size_t k = 0; k < n; ++k) {
        order[k] = heap[k].vertex;
    }
    return order;
}

// Uniform grid over the positions with cells twice epsilon wide: the points
// closer than epsilon to a point lie in at most two cells along each axis.
class CellGrid {
  public:
    CellGrid(const std::vector<Vec3>& positions, float epsilon)
        : reach_(epsilon), width_(epsilon > 0 ? 2.0 * epsilon : 1.0) {
        const std::size_t n = positions.size();
        std::size_t size = 16;
        while (size < 2 * n) {
            size *= 2;
        }
        mask_ = size - 1;
        slots_.assign(size, Slot{});
        std::vector<std::uint32_t> cellOf(n);
        for (std::size_t v = 0; v < n; ++v) {
            const Vec3& p = positions[v];
            cellOf[v] = Insert(Key(Cell(p[0]), Cell(p[1]), Cell(p[2])));
            ++slots_[cellOf[v]].end;
        }
        std::uint32_t begin = 0;
        for (Slot& slot : slots_) {
            slot.begin = begin;
            begin += slot.end;
            slot.end = slot.begin;
        }
        members_.resize(n);
        for (std::size_t v = 0; v < n; ++v) {
            members_[slots_[cellOf[v]].end++] = static_cast<std::uint32_t>(v);
        }
    }

    // Calls visit(v) for every vertex in the cells that meet the box from
    // x - epsilon to x (the sweep only looks at smaller x) and y, z +- epsilon.
    // Rounding is monotonic, so no point closer than epsilon is missed.
    template <class Visit>
    void ForNeighbours(const Vec3& p, Visit&& visit) const {
        const std::int64_t x0 = Cell(double{p[0]} - reach_), x1 = Cell(p[0]);
        const std::int64_t y0 = Cell(double{p[1]} - reach_), y1 = Cell(double{p[1]} + reach_);
        const std::int64_t z0 = Cell(double{p[2]} - reach_), z1 = Cell(double{p[2]} + reach_);
        for (std::int64_t x = x0; x <= x1; ++x) {
            for (std::int64_t y = y0; y <= y1; ++y) {
                for (std::int64_t z = z0; z <= z1; ++z) {
                    const Slot* slot = Find(Key(x, y, z));
                    if (slot == nullptr) {
                        continue;
                    }
                    for (std::uint32_t i = slot->begin; i < slot->end; ++i) {
                        visit(members_[i]);
                    }
                }
            }
        }
    }

  private:
    struct Slot {
        std::uint64_t key = kEmpty;
        std::uint32_t begin = 0;
        std::uint32_t end = 0;
    };
    static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};
    static constexpr double kLimit = 1 << 19;

    // Far-away or non-finite coordinates share the outermost cells; only speed
    // suffers for them, as every candidate is still tested exactly.
    std::int64_t Cell(double coordinate) const {
        double c = std::floor(coordinate / width_);
        if (!(c > -kLimit)) {
            c = -kLimit;
        } else if (c > kLimit) {
            c = kLimit;
        }
        return static_cast<std::int64_t>(c);
    }
    static std::uint64_t Key(std::int64_t x, std::int64_t y, std::int64_t z) {
        constexpr std::int64_t kBias = (1 << 19) + 1;
        return static_cast<std::uint64_t>(x + kBias) << 42 |
               static_cast<std::uint64_t>(y + kBias) << 21 | static_cast<std::uint64_t>(z + kBias);
    }
    std::size_t Home(std::uint64_t key) const {
        key ^= key >> 31;
        key *= 0x7FB5D329728EA185ull;
        key ^= key >> 27;
        return static_cast<std::size_t>(key) & mask_;
    }
    std::uint32_t Insert(std::uint64_t key) {
        std::size_t i = Home(key);
        while (slots_[i].key != kEmpty && slots_[i].key != key) {
            i = (i + 1) & mask_;
        }
        slots_[i].key = key;
        return static_cast<std::uint32_t>(i);
    }
    const Slot* Find(std::uint64_t key) const {
        for (std::size_t i = Home(key);; i = (i + 1) & mask_) {
            if (slots_[i].key == key) {
                return &slots_[i];
            }
            if (slots_[i].key == kEmpty) {
                return nullptr;
            }
        }
    }

    double reach_;
    double width_;
    std::size_t mask_ = 0;
    std::vector<Slot> slots_;
    std::vector<std::uint32_t> members_;
};

// Representatives by the x-sorted sweep: each still unassigned vertex, in sorted
// order, claims the unassigned vertices after it in the x window that lie
// strictly closer than epsilon (epsilon 0: at the same position) and share no
// face with it. The grid only narrows down the candidates of the window.
std::vector<std::uint32_t> SweepPointReps(const std::vector<std::uint32_t>& faces,
                                          const std::vector<Vec3>& positions, float epsilon) {
    const std::size_t n = positions.size();
    const std::size_t faceCount = faces.size() / 3;

    // Corners per vertex, as offsets into one array.
    std::vector<std::uint32_t> cornerStart(n + 1, 0);
    for (std::size_t f = 0; f < faceCount; ++f) {
        if (faces[3 * f] != UNUSED_FACE) {
            for (std::size_t c = 0; c < 3; ++c) {
                ++cornerStart[faces[3 * f + c] + 1];
            }
        }
    }
    for (std::size_t v = 0; v < n; ++v) {
        cornerStart[v + 1] += cornerStart[v];
    }
    std::vector<std::uint32_t> corners(cornerStart[n]);
    {
        std::vector<std::uint32_t> fill(cornerStart.begin(), cornerStart.end() - 1);
        for (std::size_t f = 0; f < faceCount; ++f) {
            if (faces[3 * f] != UNUSED_FACE) {
                for (std::size_t c = 0; c < 3; ++c) {
                    corners[fill[faces[3 * f + c]]++] = static_cast<std::uint32_t>(3 * f + c);
                }
            }
        }
    }

    const std::vector<std::uint32_t> order = HeapSortDescendingX(positions);
    std::vector<std::uint32_t> rank(n);
    for (std::size_t k = 0; k < n; ++k) {
        rank[order[k]] = static_cast<std::uint32_t>(k);
    }

    const CellGrid grid(positions, epsilon);
    const double limit = double{epsilon} * epsilon;
    std::vector<std::uint32_t> reps(n, kUnassigned);
    std::vector<std::uint32_t> sharesFace(n, kUnassigned);  // stamped with the representative
    std::size_t e = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint32_t r = order[k];
        e = std::max(e, k + 1);
        while (e < n && positions[r][0] - positions[order[e]][0] <= epsilon) {
            ++e;
        }
        if (reps[r] != kUnassigned) {
            continue;
        }
        reps[r] = r;
        if (e == k + 1) {
            continue;
        }
        for (std::uint32_t i = cornerStart[r]; i < cornerStart[r + 1]; ++i) {
            const std::size_t f = corners[i] / 3;
            for (std::size_t c = 0; c < 3; ++c) {
                sharesFace[faces[3 * f + c]] = r;
            }
        }
        const Vec3& p = positions[r];
        grid.ForNeighbours(p, [&](std::uint32_t j) {
            if (reps[j] != kUnassigned || rank[j] <= k || rank[j] >= e || sharesFace[j] == r) {
                return;
            }
            const double dx = double{positions[j][0]} - p[0];
            const double dy = double{positions[j][1]} - p[1];
            const double dz = double{positions[j][2]} - p[2];
            const double sq = dx * dx + dy * dy + dz * dz;
            if (epsilon > 0 ? sq < limit : sq == 0) {
                reps[j] = r;
            }
        });
    }
    return reps;
}

// Unit normal of the triangle (a, b, c); zero for a triangle without area.
Vec3d UnitNormal(const Vec3& a, const Vec3& b, const Vec3& c) {
    const Vec3d wideA = ToDouble(a);
    Vec3d n = Cross(Sub(ToDouble(b), wideA), Sub(ToDouble(c), wideA));
    const double length = Length(n);
    if (length > 0) {
        for (double& component : n) {
            component /= length;
        }
    }
    return n;
}

// Matches each directed edge with an opposite one of another face, the pair
// whose normals agree best when several faces share the edge.
void MatchEdges(const std::vector<std::uint32_t>& faces, const std::vector<Vec3>& positions,
                const std::vector<std::uint32_t>& reps, std::uint32_t* adjacency) {
    const std::size_t faceCount = faces.size() / 3;
    const std::size_t n = positions.size();
    auto rep = [&](std::size_t f, std::size_t c) { return reps[faces[3 * f + c]]; };
    auto distinct = [&](std::size_t f) {
        return faces[3 * f] != UNUSED_FACE && rep(f, 0) != rep(f, 1) && rep(f, 1) != rep(f, 2) &&
               rep(f, 0) != rep(f, 2);
    };

    // Record r = corner 3f + k stands for the directed edge rep(f,k) -> rep(f,k+1).
    // The rules search the records by from-vertex, newest first, for a given
    // to-vertex; grouping them by (from, to) with newest first within a group
    // visits the same records in the same order without scanning whole fans.
    std::vector<std::uint32_t> bucketStart(n + 1, 0);
    std::vector<std::uint32_t> toOf(3 * faceCount, 0);
    std::vector<bool> live(3 * faceCount, false);
    for (std::size_t f = 0; f < faceCount; ++f) {
        if (distinct(f)) {
            for (std::size_t k = 0; k < 3; ++k) {
                ++bucketStart[rep(f, k) + 1];
                toOf[3 * f + k] = rep(f, (k + 1) % 3);
                live[3 * f + k] = true;
            }
        }
    }
    for (std::size_t v = 0; v < n; ++v) {
        bucketStart[v + 1] += bucketStart[v];
    }
    std::vector<std::uint32_t> records(bucketStart[n]);
    {
        std::vector<std::uint32_t> fill(bucketStart.begin(), bucketStart.end() - 1);
        for (std::size_t r = 0; r < 3 * faceCount; ++r) {
            if (live[r]) {
                records[fill[rep(r / 3, r % 3)]++] = static_cast<std::uint32_t>(r);
            }
        }
    }
    auto byToThenNewest = [&](std::uint32_t a, std::uint32_t b) {
        return toOf[a] != toOf[b] ? toOf[a] < toOf[b] : a > b;
    };
    for (std::size_t v = 0; v < n; ++v) {
        std::sort(records.begin() + bucketStart[v], records.begin() + bucketStart[v + 1],
                  byToThenNewest);
    }

    std::fill(adjacency, adjacency + 3 * faceCount, NO_NEIGHBOUR);
    auto recordNormal = [&](std::uint32_t record) {
        const std::size_t f = record / 3, k = record % 3;
        return UnitNormal(positions[rep(f, k)], positions[rep(f, (k + 1) % 3)],
                          positions[rep(f, (k + 2) % 3)]);
    };
    for (std::size_t f = 0; f < faceCount; ++f) {
        if (!distinct(f)) {
            continue;
        }
        for (std::size_t k = 0; k < 3; ++k) {
            if (adjacency[3 * f + k] != NO_NEIGHBOUR) {
                continue;
            }
            const std::uint32_t from = rep(f, k), to = rep(f, (k + 1) % 3);
            const std::uint32_t own = static_cast<std::uint32_t>(3 * f + k);
            constexpr std::uint32_t kEnd = 0xFFFFFFFFu;
            std::uint32_t chosen = kEnd;
            Vec3d normal{};
            double bestScore = 0;
            bool scored = false;
            const auto first = records.begin() + bucketStart[to];
            const auto last = records.begin() + bucketStart[to + 1];
            for (auto it = std::partition_point(first, last,
                                                [&](std::uint32_t r) { return toOf[r] < from; });
                 it != last && toOf[*it] == from; ++it) {
                const std::uint32_t r = *it;
                if (!live[r]) {
                    continue;
                }
                if (chosen == kEnd) {
                    chosen = r;
                    continue;
                }
                // Scores are only needed once a second candidate turns up.
                if (!scored) {
                    scored = true;
                    normal = recordNormal(own);
                    const auto c = recordNormal(chosen);
                    bestScore = Dot(normal, c);
                }
                const auto g = recordNormal(r);
                const double score = Dot(normal, g);
                if (score > bestScore) {
                    chosen = r;
                    bestScore = score;
                }
            }
            if (chosen == kEnd) {
                continue;
            }
            const std::uint32_t g = chosen / 3;
            live[chosen] = false;
            live[own] = false;
            adjacency[3 * f + k] = g;
            adjacency[chosen] = static_cast<std::uint32_t>(f);
        }
    }
}

}  // namespace

Status TriMesh::GenerateAdjacency(float epsilon, std::uint32_t* adjacencyOut) {
    if (adjacencyOut == nullptr || IsWriteOnly() || !HasPosition(vertexFormat_) ||
        !(epsilon >= 0) || !std::isfinite(epsilon)) {
        return STATUS_INVALID_CALL;
    }
    try {
        std::vector<std::uint32_t> faces;
        if (const Status status = ReadFaces(*this, faces); status != STATUS_OK) {
            return status;
        }
        const std::vector<Vec3> positions = ReadPositions(*this);
        const std::vector<std::uint32_t> reps = SweepPointReps(faces, positions, epsilon);
        MatchEdges(faces, positions, reps, adjacencyOut);
    } catch (const std::bad_alloc&) {
        return STATUS_OUT_OF_MEMORY;
    }
    return STATUS_OK;
}

Status TriMesh::PointRepsToAdjacency(const std::uint32_t* pointReps, std::uint32_t* adjacencyOut) {
    if (adjacencyOut == nullptr || (options_ & MESH_IB_WRITEONLY) != 0 ||
        !HasPosition(vertexFormat_)) {
        return STATUS_INVALID_CALL;
    }
    try {
        std::vector<std::uint32_t> faces;
        if (const Status status = ReadFaces(*this, faces); status != STATUS_OK) {
            return status;
        }
        std::vector<std::uint32_t> reps(vertexCount_);
        for (std::uint32_t v = 0; v < vertexCount_; ++v) {
            reps[v] = pointReps != nullptr ? pointReps[v] : v;
            if (reps[v] >= vertexCount_) {
                return STATUS_INVALID_CALL;
            }
        }
        MatchEdges(faces, ReadPositions(*this), reps, adjacencyOut);
    } catch (const std::bad_alloc&) {
        return STATUS_OUT_OF_MEMORY;
    }
    return STATUS_OK;
}

Status TriMesh::AdjacencyToPointReps(const std::uint32_t* adjacency, std::uint32_t* pointRepsOut) {
    if (adjacency == nullptr || pointRepsOut == nullptr || (options_ & MESH_IB_WRITEONLY) != 0 ||
        !HasPosition(vertexFormat_)) {
        return STATUS_INVALID_CALL;
    }
    try {
        std::vector<std::uint32_t> faces;
        if (const Status status = ReadFaces(*this, faces); status != STATUS_OK) {
            return status;
        }
        if (!AdjacencyInRange(adjacency, faces)) {
            return STATUS_INVALID_CALL;
        }
        const std::vector<Vec3> positions = ReadPositions(*this);
        std::vector<std::uint32_t> reps(vertexCount_, kUnassigned);
        FanWalker walker(adjacency, faces, positions);
        for (std::uint32_t f = 0; f < faceCount_; ++f) {
            if (faces[3 * f] == UNUSED_FACE) {
                continue;
            }
            for (std::uint32_t c = 0; c < 3; ++c) {
                const std::uint32_t v = faces[3 * f + c];
                if (reps[v] != kUnassigned) {
                    continue;
                }
                // A vertex keeps the first representative it gets, so every
                // representative stands for itself and the weld's rings stay
                // well formed even where one index is used by separate fans.
                const FanEnd end = walker.Walk(f, c, [&](std::uint32_t face, std::uint32_t corner) {
                    std::uint32_t& rep = reps[faces[3 * face + corner]];
                    if (rep == kUnassigned) {
                        rep = v;
                    }
                });
                if (end == FanEnd::TooLong) {
                    return STATUS_INVALID_MESH;
                }
            }
        }
        for (std::uint32_t v = 0; v < vertexCount_; ++v) {
            pointRepsOut[v] = reps[v] == kUnassigned ? v : reps[v];
        }
    } catch (const std::bad_alloc&) {
        return STATUS_OUT_OF_MEMORY;
    }
    return STATUS_OK;
}

}  // namespace kx::meshutil
