#include "meshutil/ReduceMesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <optional>

#include "base/Vec.h"
#include "meshutil/CompactMesh.h"
#include "meshutil/FaceArray.h"
#include "meshutil/FanWalk.h"
#include "meshutil/TriMesh.h"
#include "meshutil/VertexFormat.h"

namespace kx::meshutil {

namespace {

// Cosine of the largest turn of a face's normal that one collapse may cause.
constexpr double kMinTurnCosine = 0.5;

bool ValidCall(const TriMesh& mesh) {
    return !mesh.IsWriteOnly() && HasPosition(mesh.GetVertexFormat());
}

// The index-level checks; faces are the 32-bit copy of the mesh's indices.
Status Validate(const TriMesh& mesh, const std::vector<std::uint32_t>& faces,
                const std::vector<Vec3>& positions, const std::uint32_t* adjacency) {
    const std::uint32_t faceCount = mesh.GetFaceCount();
    const std::uint32_t vertexCount = mesh.GetVertexCount();
    for (std::uint32_t f = 0; f < faceCount; ++f) {
        const std::uint32_t* v = &faces[3 * f];
        const std::uint32_t* n = &adjacency[3 * f];
        for (int c = 0; c < 3; ++c) {
            if (v[c] >= vertexCount || v[c] == mesh.UnusedMarker()) {
                return STATUS_INVALID_MESH;
            }
            if (n[c] == NO_NEIGHBOUR) {
                continue;
            }
            if (n[c] >= faceCount || n[c] == f) {
                return STATUS_INVALID_MESH;
            }
            const std::uint32_t* back = &adjacency[3 * std::size_t{n[c]}];
            if (back[0] != f && back[1] != f && back[2] != f) {
                return STATUS_INVALID_MESH;  // a one-sided link
            }
        }
        if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2]) {
            return STATUS_INVALID_MESH;
        }
        if ((n[0] != NO_NEIGHBOUR && (n[0] == n[1] || n[0] == n[2])) ||
            (n[1] != NO_NEIGHBOUR && n[1] == n[2])) {
            return STATUS_INVALID_MESH;
        }
    }
    // Bowties: every vertex index must belong to one fan of faces only.
    constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    std::vector<std::uint32_t> fanOfVertex(vertexCount, kNone);
    std::vector<bool> visited(faces.size(), false);
    FanWalker walker(adjacency, faces, positions);
    std::uint32_t fan = 0;
    bool bowtie = false;
    for (std::uint32_t corner = 0; corner < faces.size() && !bowtie; ++corner) {
        if (visited[corner]) {
            continue;
        }
        const FanEnd end =
            walker.Walk(corner / 3, corner % 3, [&](std::uint32_t h, std::uint32_t c) {
                visited[3 * h + c] = true;
                std::uint32_t& owner = fanOfVertex[faces[3 * h + c]];
                if (owner != kNone && owner != fan) {
                    bowtie = true;
                }
                owner = fan;
            });
        if (end == FanEnd::TooLong) {
            return STATUS_INVALID_MESH;
        }
        ++fan;
    }
    return bowtie ? STATUS_INVALID_MESH : STATUS_OK;
}

// Binary min-heap of collapse candidates by cost. A parent and a child swap only
// when the child is strictly cheaper, so equal costs keep their places. Costs
// sit in the heap entries so that sifting reads one array.
class CandidateHeap {
  public:
    // Every candidate inserted in candidate order with its cost.
    explicit CandidateHeap(const std::vector<float>& costs) : slot_(costs.size()) {
        // Inserting candidate c into a heap of c entries; sifting up without
        // recording places, which are filled in below.
        heap_.resize(costs.size());
        for (std::uint32_t candidate = 0; candidate < costs.size(); ++candidate) {
            const Entry moving{costs[candidate], candidate};
            std::size_t i = candidate;
            while (i > 0 && moving.cost < heap_[(i - 1) / 2].cost) {
                heap_[i] = heap_[(i - 1) / 2];
                i = (i - 1) / 2;
            }
            heap_[i] = moving;
        }
        for (std::uint32_t i = 0; i < heap_.size(); ++i) {
            slot_[heap_[i].candidate] = i;
        }
    }

    bool Empty() const { return heap_.empty(); }

    void Set(std::uint32_t candidate, float cost) {
        const std::uint32_t at = slot_[candidate];
        if (at == kOut) {
            heap_.push_back({cost, candidate});
            SiftUp(heap_.size() - 1);
            return;
        }
        const float old = heap_[at].cost;
        heap_[at].cost = cost;
        if (cost < old) {
            SiftUp(at);
        } else if (old < cost) {
            SiftDown(at);
        }
    }

    std::uint32_t Pop() {
        const std::uint32_t top = heap_.front().candidate;
        slot_[top] = kOut;
        const Entry last = heap_.back();
        heap_.pop_back();
        if (!heap_.empty()) {
            heap_[0] = last;
            SiftDown(0);
        }
        return top;
    }

  private:
    struct Entry {
        float cost;
        std::uint32_t candidate;
    };
    static constexpr std::uint32_t kOut = 0xFFFFFFFFu;

    void Place(std::size_t i, const Entry& entry) {
        heap_[i] = entry;
        slot_[entry.candidate] = static_cast<std::uint32_t>(i);
    }
    void SiftUp(std::size_t i) {
        const Entry moving = heap_[i];
        while (i > 0) {
            const std::size_t parent = (i - 1) / 2;
            if (!(moving.cost < heap_[parent].cost)) {
                break;
            }
            Place(i, heap_[parent]);
            i = parent;
        }
        Place(i, moving);
    }
    void SiftDown(std::size_t i) {
        const Entry moving = heap_[i];
        for (;;) {
            std::size_t child = 2 * i + 1;
            if (child >= heap_.size()) {
                break;
            }
            if (child + 1 < heap_.size() && heap_[child + 1].cost < heap_[child].cost) {
                ++child;
            }
            if (!(heap_[child].cost < moving.cost)) {
                break;
            }
            Place(i, heap_[child]);
            i = child;
        }
        Place(i, moving);
    }

    std::vector<std::uint32_t> slot_;
    std::vector<Entry> heap_;
};

struct FanCorner {
    std::uint32_t face;
    std::uint32_t corner;
};

// The working mesh of one reduction: faces (UNUSED_FACE marks a removed one),
// their adjacency, and the costs of the collapse candidates. Candidate 3f + k
// collapses edge k of face f: the vertex at corner k + 1 (b) joins the vertex at
// corner k (a), which keeps its position.
class Reducer {
  public:
    Reducer(std::vector<std::uint32_t> faces, std::vector<std::uint32_t> adjacency,
            std::vector<Vec3> positions, double positionWeight, double boundaryWeight,
            const float* vertexWeights)
        : faces_(std::move(faces)),
          adjacency_(std::move(adjacency)),
          positions_(std::move(positions)),
          positionWeight_(positionWeight),
          boundaryWeight_(boundaryWeight),
          vertexWeights_(vertexWeights),
          walker_(adjacency_.data(), faces_, positions_),
          points_(positions_.size()),
          normals_(faces_.size() / 3),
          ringMark_(positions_.size(), 0) {}

    // Collapses until `done` says so or no candidate is left.
    template <class Done>
    void Run(std::uint32_t& faceCount, std::uint32_t& vertexCount, Done&& done) {
        if (done(faceCount, vertexCount)) {
            return;
        }
        for (std::size_t v = 0; v < points_.size(); ++v) {
            points_[v] = ToDouble(positions_[v]);
        }
        for (std::uint32_t face = 0; face < normals_.size(); ++face) {
            normals_[face] = UnitNormal(face);
        }
        std::vector<float> costs(faces_.size(), std::numeric_limits<float>::max());
        std::vector<bool> scored(positions_.size(), false);
        for (std::uint32_t corner = 0; corner < faces_.size(); ++corner) {
            if (!scored[faces_[corner]]) {
                scored[faces_[corner]] = true;
                ScoreLocation(corner / 3, corner % 3, [&](std::uint32_t candidate, float cost) {
                    costs[candidate] = cost;
                });
            }
        }
        heap_.emplace(costs);
        while (!done(faceCount, vertexCount) && !heap_->Empty()) {
            const std::uint32_t candidate = heap_->Pop();
            if (faces_[candidate - candidate % 3] == UNUSED_FACE || !Acceptable(candidate)) {
                continue;
            }
            faceCount -= Collapse(candidate);
            vertexCount -= 1;
        }
    }

    const std::vector<std::uint32_t>& Faces() const { return faces_; }
    const std::vector<std::uint32_t>& Adjacency() const { return adjacency_; }

  private:
    // Corners and edges are taken modulo 3; callers go at most two past the last.
    static std::uint32_t Wrap(std::uint32_t corner) { return corner >= 3 ? corner - 3 : corner; }
    std::uint32_t Vertex(std::uint32_t face, std::uint32_t corner) const {
        return faces_[3 * face + Wrap(corner)];
    }
    const Vec3d& Position(std::uint32_t face, std::uint32_t corner) const {
        return points_[Vertex(face, corner)];
    }
    std::uint32_t Neighbour(std::uint32_t face, std::uint32_t edge) const {
        return adjacency_[3 * face + Wrap(edge)];
    }
    std::uint32_t EdgeTowards(std::uint32_t face, std::uint32_t neighbour) const {
        for (std::uint32_t e = 0; e < 3; ++e) {
            if (adjacency_[3 * face + e] == neighbour) {
                return e;
            }
        }
        return 3;
    }

    // Faces round the corner; false when the walk is refused.
    bool Fan(std::uint32_t face, std::uint32_t corner, std::vector<FanCorner>& fan,
             FanEnd* end = nullptr) {
        fan.clear();
        const FanEnd result = walker_.Walk(face, corner, [&](std::uint32_t h, std::uint32_t c) {
            fan.push_back({h, c});
        });
        if (end != nullptr) {
            *end = result;
        }
        return result != FanEnd::TooLong;
    }

    Vec3d Normal(std::uint32_t face) const {
        return Cross(Sub(Position(face, 1), Position(face, 0)),
                     Sub(Position(face, 2), Position(face, 0)));
    }

    // An edge at the removed location, for the border term: beta is the squared
    // distance of the kept vertex from the line through it, or 0 when a
    // neighbour with the same two vertex indices lies across it (or the edge is
    // too short to have a direction). Only the lines with a beta are kept.
    struct BorderLine {
        Vec3d from;
        Vec3d e;
        double ee;
        double weight;
    };
    bool SharedEdge(std::uint32_t face, std::uint32_t edge) const {
        const std::uint32_t other = adjacency_[3 * face + edge];
        if (other == NO_NEIGHBOUR) {
            return false;
        }
        const std::uint32_t from = faces_[3 * face + edge], to = faces_[3 * face + Wrap(edge + 1)];
        const std::uint32_t* w = &faces_[3 * std::size_t{other}];
        return (w[0] == from || w[1] == from || w[2] == from) &&
               (w[0] == to || w[1] == to || w[2] == to);
    }
    void AddBorderLine(std::uint32_t face, std::uint32_t edge, double weight) {
        const Vec3d& from = points_[faces_[3 * face + edge]];
        const Vec3d e = Sub(from, points_[faces_[3 * face + Wrap(edge + 1)]]);
        const double ee = Dot(e, e);
        if (ee > 1.0e-6) {
            lines_.push_back({from, e, ee, weight});
        }
    }
    static double Beta(const Vec3d& p, const BorderLine& line) {
        const Vec3d q = Sub(p, line.from);
        const double t = Dot(q, line.e) / line.ee;
        const Vec3d r = Sub(q, Scale(line.e, t));
        return Dot(r, r);
    }

    // Unit normal of a face; one shorter than 1.0e-6 is left as it is.
    Vec3d UnitNormal(std::uint32_t face) const {
        const Vec3d n = Normal(face);
        const double length = Length(n);
        return length >= 1.0e-6 ? Vec3d{n[0] / length, n[1] / length, n[2] / length} : n;
    }

    // Costs every candidate that removes the vertex at this corner's location:
    // one per face of its fan (the face's edge entering the location), all from
    // one walk, and hands each to `store`.
    //
    // The plane terms of a candidate sum over the fan's faces other than the
    // edge's own two; the kept vertex lies in both of those planes, so the sum
    // over the whole fan is the same, and one quadric of the fan's planes
    // (taken about the location, where the planes meet) serves every candidate.
    template <class Store>
    void ScoreLocation(std::uint32_t face, std::uint32_t corner, Store&& store) {
        if (!Fan(face, corner, fan_)) {
            return;
        }
        const Vec3d& origin = Position(face, corner);
        double q[6] = {};  // xx, xy, xz, yy, yz, zz
        Vec3d linear = {0, 0, 0};
        double constant = 0.0;
        Vec3d sum = {0, 0, 0};
        lines_.clear();
        for (const FanCorner& fc : fan_) {
            const std::uint32_t at = faces_[3 * fc.face + fc.corner];
            const Vec3d& n = normals_[fc.face];
            sum = Add(sum, n);
            const double w = vertexWeights_ != nullptr ? vertexWeights_[at] : 1.0;
            // The plane: n . (x - origin) = offset (0 unless a seam copy lies apart).
            const double offset = Dot(n, Sub(points_[at], origin));
            q[0] += w * n[0] * n[0];
            q[1] += w * n[0] * n[1];
            q[2] += w * n[0] * n[2];
            q[3] += w * n[1] * n[1];
            q[4] += w * n[1] * n[2];
            q[5] += w * n[2] * n[2];
            linear = Sub(linear, Scale(n, w * offset));
            constant += w * offset * offset;
            // The border term also counts for the edge's own faces: removing the
            // corner of a border that only they hold changes the outline.
            for (const std::uint32_t edge : {fc.corner, Wrap(fc.corner + 2)}) {
                if (!SharedEdge(fc.face, edge)) {
                    AddBorderLine(fc.face, edge, w);
                }
            }
        }
        const double sumLength = Length(sum);
        for (const FanCorner& candidateCorner : fan_) {
            // Candidate: edge corner + 2 -> corner of this face; b goes onto a.
            const std::uint32_t f = candidateCorner.face, k = Wrap(candidateCorner.corner + 2);
            const std::uint32_t g = adjacency_[3 * f + k];
            const Vec3d& a = points_[faces_[3 * f + k]];
            const Vec3d x = Sub(a, origin);
            const double planes = q[0] * x[0] * x[0] + q[3] * x[1] * x[1] + q[5] * x[2] * x[2] +
                                  2.0 * (q[1] * x[0] * x[1] + q[2] * x[0] * x[2] +
                                         q[4] * x[1] * x[2] + Dot(linear, x)) +
                                  constant;
            double cost = positionWeight_ * std::max(planes, 0.0);
            for (const BorderLine& line : lines_) {
                cost += boundaryWeight_ * Beta(a, line) * line.weight;
            }
            // The height term needs a face other than the edge's own.
            const bool contributed = fan_.size() > (g != NO_NEIGHBOUR ? 2u : 1u);
            if (contributed && sumLength > 0) {
                const std::uint32_t b = faces_[3 * f + candidateCorner.corner];
                const double h = Dot(Sub(a, points_[b]), sum) / sumLength;
                cost += positionWeight_ * h * h;
            }
            store(3 * f + k, static_cast<float>(cost));
        }
    }

    // The collapse may neither flip a face nor change the kind of surface: no
    // seam at either end, b's fan comes round when the edge is inside, a and b
    // share no ring vertex but the edge's third vertices, and the faces that
    // become neighbours are not neighbours already.
    bool Acceptable(std::uint32_t candidate) {
        const std::uint32_t f = candidate / 3, k = candidate % 3;
        const std::uint32_t a = Vertex(f, k), b = Vertex(f, k + 1), c = Vertex(f, k + 2);
        const std::uint32_t g = Neighbour(f, k);
        std::uint32_t d = NO_NEIGHBOUR;
        if (g != NO_NEIGHBOUR) {
            const std::uint32_t j = EdgeTowards(g, f);
            if (Vertex(g, j) != b || Vertex(g, j + 1) != a) {
                return false;  // seam along the edge
            }
            d = Vertex(g, j + 2);
            if (!OuterNeighboursApart(g, j)) {
                return false;
            }
        }
        if (!OuterNeighboursApart(f, k)) {
            return false;
        }
        if (g == NO_NEIGHBOUR && Neighbour(f, k + 1) == NO_NEIGHBOUR &&
            Neighbour(f, k + 2) == NO_NEIGHBOUR) {
            return false;  // a lone triangle would vanish with its vertices
        }
        FanEnd bEnd;
        if (!Fan(f, Wrap(k + 1), fanB_, &bEnd) || !Fan(f, k, fanA_)) {
            return false;
        }
        if (g != NO_NEIGHBOUR && bEnd != FanEnd::Closed) {
            return false;  // b lies on a border but the edge does not
        }
        Vec3d fanNormal = {0, 0, 0};
        for (const FanCorner& fc : fanB_) {
            const Vec3d& n = normals_[fc.face];
            fanNormal = Add(fanNormal, n);
        }
        const double fanLength = Length(fanNormal);
        ++ringStamp_;
        for (const FanCorner& fc : fanA_) {
            if (Vertex(fc.face, fc.corner) != a) {
                return false;  // seam through a
            }
            ringMark_[Vertex(fc.face, fc.corner + 1)] = ringStamp_;
            ringMark_[Vertex(fc.face, fc.corner + 2)] = ringStamp_;
        }
        for (const FanCorner& fc : fanB_) {
            if (Vertex(fc.face, fc.corner) != b) {
                return false;  // seam through b
            }
            if (fc.face == f || fc.face == g) {
                continue;
            }
            for (std::uint32_t i = 1; i < 3; ++i) {
                const std::uint32_t v = Vertex(fc.face, fc.corner + i);
                if (v == a || (ringMark_[v] == ringStamp_ && v != c && v != d)) {
                    return false;  // would pinch the surface or double a face
                }
            }
            // Normal test, with b moved onto a. Measured against the face's own
            // size (an absolute bound leaves the small faces of a model scaled
            // down for the game untested, and lets faces shrink to nothing), and
            // a turn of more than 60 degrees, from the face's normal or from
            // b's fan's, is refused as well: faces turned nearly on edge by one
            // collapse flip over in the next.
            const Vec3d before = Normal(fc.face);
            const Vec3d& p1 = Position(fc.face, fc.corner + 1);
            const Vec3d& p2 = Position(fc.face, fc.corner + 2);
            const Vec3d after = Cross(Sub(p1, points_[a]), Sub(p2, points_[a]));
            const double bb = Dot(before, before), ba = Dot(before, after);
            const double aa = Dot(after, after);
            if (bb > 0 && (ba <= 1.0e-6 * bb || ba <= kMinTurnCosine * std::sqrt(bb * aa))) {
                return false;
            }
            if (fanLength > 0 &&
                Dot(fanNormal, after) <= kMinTurnCosine * fanLength * std::sqrt(aa)) {
                return false;
            }
        }
        return true;
    }

    // Once the face goes, the faces across its two other edges become
    // neighbours; they must not be neighbours already.
    bool OuterNeighboursApart(std::uint32_t face, std::uint32_t edge) const {
        const std::uint32_t n1 = Neighbour(face, edge + 1), n2 = Neighbour(face, edge + 2);
        return n1 == NO_NEIGHBOUR || n2 == NO_NEIGHBOUR || EdgeTowards(n1, n2) == 3;
    }

    // Returns the number of faces removed.
    std::uint32_t Collapse(std::uint32_t candidate) {
        const std::uint32_t f = candidate / 3, k = candidate % 3;
        const std::uint32_t a = Vertex(f, k);
        const std::uint32_t g = Neighbour(f, k);
        const std::uint32_t j = g != NO_NEIGHBOUR ? EdgeTowards(g, f) : 3;
        // Faces across the outer edges of the removed faces: their vertices
        // other than a (the third vertices among them) lose a face.
        std::uint32_t outer[4] = {Neighbour(f, k + 1), Neighbour(f, k + 2), NO_NEIGHBOUR,
                                  NO_NEIGHBOUR};
        if (g != NO_NEIGHBOUR) {
            outer[2] = Neighbour(g, j + 1);
            outer[3] = Neighbour(g, j + 2);
        }
        for (const FanCorner& fc : fanB_) {
            if (fc.face != f && fc.face != g) {
                faces_[3 * fc.face + fc.corner] = a;
                normals_[fc.face] = UnitNormal(fc.face);
            }
        }
        Remove(f, k);
        if (g != NO_NEIGHBOUR) {
            Remove(g, j);
        }

        // Only the fans of a and of b's old ring vertices changed, so only the
        // candidates removing one of those need new costs.
        auto set = [&](std::uint32_t c, float cost) { heap_->Set(c, cost); };
        ++ringStamp_;
        ringMark_[a] = ringStamp_;
        auto rescoreFace = [&](std::uint32_t face) {
            for (std::uint32_t corner = 0; corner < 3; ++corner) {
                const std::uint32_t v = Vertex(face, corner);
                if (ringMark_[v] != ringStamp_) {
                    ringMark_[v] = ringStamp_;
                    ScoreLocation(face, corner, set);
                }
            }
        };
        bool keptScored = false;
        for (const FanCorner& fc : fanB_) {
            if (fc.face != f && fc.face != g) {
                if (!keptScored) {
                    ScoreLocation(fc.face, fc.corner, set);
                    keptScored = true;
                }
                rescoreFace(fc.face);
            }
        }
        for (const std::uint32_t face : outer) {
            if (face != NO_NEIGHBOUR && faces_[3 * face] != UNUSED_FACE) {
                if (!keptScored) {
                    for (std::uint32_t corner = 0; corner < 3; ++corner) {
                        if (Vertex(face, corner) == a) {
                            ScoreLocation(face, corner, set);
                            keptScored = true;
                        }
                    }
                }
                rescoreFace(face);
            }
        }
        return g != NO_NEIGHBOUR ? 2 : 1;
    }

    // Drops a face whose edge `edge` collapses; the faces across its two other
    // edges become neighbours of each other.
    void Remove(std::uint32_t face, std::uint32_t edge) {
        const std::uint32_t n1 = Neighbour(face, edge + 1), n2 = Neighbour(face, edge + 2);
        if (n1 != NO_NEIGHBOUR) {
            adjacency_[3 * n1 + EdgeTowards(n1, face)] = n2;
        }
        if (n2 != NO_NEIGHBOUR) {
            adjacency_[3 * n2 + EdgeTowards(n2, face)] = n1;
        }
        for (std::uint32_t e = 0; e < 3; ++e) {
            faces_[3 * face + e] = UNUSED_FACE;
            adjacency_[3 * face + e] = NO_NEIGHBOUR;
        }
    }

    std::vector<std::uint32_t> faces_;
    std::vector<std::uint32_t> adjacency_;
    std::vector<Vec3> positions_;  // as given, for the fan walks
    double positionWeight_;
    double boundaryWeight_;
    const float* vertexWeights_;
    FanWalker walker_;
    std::vector<Vec3d> points_;  // the positions in double precision
    std::optional<CandidateHeap> heap_;
    std::vector<Vec3d> normals_;
    std::vector<BorderLine> lines_;
    std::vector<FanCorner> fan_, fanA_, fanB_;
    std::vector<std::uint32_t> ringMark_;
    std::uint32_t ringStamp_ = 0;
};

// The reduced mesh of a mesh whose faces are all in one attribute group (all
// this system makes): the remaining faces and the vertices they use, each in
// their order, as CompactMesh would leave them, built at its final size.
Status BuildResult(const TriMesh& mesh, const std::vector<std::uint32_t>& faces,
                   const std::vector<std::uint32_t>& adjacency, TriMeshPtr& result,
                   std::vector<std::uint32_t>& resultAdjacency) {
    constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    std::vector<std::uint32_t> newFace(faces.size() / 3, NO_NEIGHBOUR);
    std::vector<std::uint32_t> newVertex(mesh.GetVertexCount(), kNone);
    std::uint32_t faceCount = 0;
    for (std::size_t f = 0; f < newFace.size(); ++f) {
        if (faces[3 * f] != UNUSED_FACE) {
            newFace[f] = faceCount++;
            for (std::size_t c = 0; c < 3; ++c) {
                newVertex[faces[3 * f + c]] = 0;
            }
        }
    }
    if (faceCount == 0) {
        return STATUS_NO_DATA;
    }
    std::uint32_t vertexCount = 0;
    for (std::uint32_t& v : newVertex) {
        if (v != kNone) {
            v = vertexCount++;
        }
    }
    TriMesh* created = nullptr;
    if (const Status status = CreateTriMesh(faceCount, vertexCount, mesh.GetOptions(),
                                            mesh.GetVertexFormat(), mesh.GetDevice(), &created);
        status != STATUS_OK) {
        return status;
    }
    result.reset(created);
    const std::size_t stride = mesh.GetVertexStride();
    for (std::size_t v = 0; v < newVertex.size(); ++v) {
        if (newVertex[v] != kNone) {
            std::memcpy(result->VertexBytes() + newVertex[v] * stride,
                        mesh.VertexBytes() + v * stride, stride);
        }
    }
    resultAdjacency.resize(std::size_t{faceCount} * 3);
    for (std::size_t f = 0; f < newFace.size(); ++f) {
        if (newFace[f] == NO_NEIGHBOUR) {
            continue;
        }
        const std::size_t to = 3 * std::size_t{newFace[f]};
        result->SetAttribute(newFace[f], mesh.Attributes()[f]);
        for (std::size_t c = 0; c < 3; ++c) {
            result->SetIndex(to + c, newVertex[faces[3 * f + c]]);
            const std::uint32_t g = adjacency[3 * f + c];
            resultAdjacency[to + c] = g == NO_NEIGHBOUR ? NO_NEIGHBOUR : newFace[g];
        }
    }
    return STATUS_OK;
}

// The same through CompactMesh, which also orders faces and vertices by group.
Status BuildGroupedResult(const TriMesh& mesh, const std::vector<std::uint32_t>& faces,
                          const std::vector<std::uint32_t>& adjacency, TriMeshPtr& result,
                          std::vector<std::uint32_t>& resultAdjacency) {
    const std::uint32_t faceTotal = mesh.GetFaceCount();
    TriMesh* created = nullptr;
    if (const Status status = CreateTriMesh(faceTotal, mesh.GetVertexCount(), mesh.GetOptions(),
                                            mesh.GetVertexFormat(), mesh.GetDevice(), &created);
        status != STATUS_OK) {
        return status;
    }
    result.reset(created);
    std::memcpy(result->VertexBytes(), mesh.VertexBytes(),
                std::size_t{mesh.GetVertexCount()} * mesh.GetVertexStride());
    for (std::uint32_t f = 0; f < faceTotal; ++f) {
        result->SetAttribute(f, mesh.Attributes()[f]);
        for (std::uint32_t c = 0; c < 3; ++c) {
            const std::uint32_t v = faces[3 * f + c];
            result->SetIndex(3 * std::size_t{f} + c, v == UNUSED_FACE ? result->UnusedMarker() : v);
        }
    }
    resultAdjacency = adjacency;
    return CompactMesh(result.get(), resultAdjacency.data(), resultAdjacency.data(), nullptr,
                       nullptr);
}

}  // namespace

Status ValidateReducibleMesh(const TriMesh& mesh, const std::uint32_t* adjacency) {
    if (adjacency == nullptr || !ValidCall(mesh)) {
        return STATUS_INVALID_CALL;
    }
    try {
        std::vector<std::uint32_t> faces(std::size_t{mesh.GetFaceCount()} * 3);
        for (std::size_t i = 0; i < faces.size(); ++i) {
            faces[i] = mesh.Index(i);
        }
        return Validate(mesh, faces, ReadPositions(mesh), adjacency);
    } catch (const std::bad_alloc&) {
        return STATUS_OUT_OF_MEMORY;
    }
}

Status ReduceMesh(const TriMesh* mesh, const std::uint32_t* adjacency,
                  const AttributeWeights* attributeWeights, const float* vertexWeights,
                  std::uint32_t minValue, std::uint32_t options, TriMesh** meshOut,
                  std::vector<std::uint32_t>* adjacencyOut) {
    if (mesh == nullptr || adjacency == nullptr || meshOut == nullptr ||
        (options != REDUCE_TO_FACES && options != REDUCE_TO_VERTICES) || !ValidCall(*mesh)) {
        return STATUS_INVALID_CALL;
    }
    try {
        const std::uint32_t faceTotal = mesh->GetFaceCount();
        const std::uint32_t vertexTotal = mesh->GetVertexCount();
        std::vector<std::uint32_t> faces(std::size_t{faceTotal} * 3);
        for (std::size_t i = 0; i < faces.size(); ++i) {
            faces[i] = mesh->Index(i);
        }
        std::vector<Vec3> positions = ReadPositions(*mesh);
        if (const Status status = Validate(*mesh, faces, positions, adjacency);
            status != STATUS_OK) {
            return status;
        }
        std::vector<bool> used(vertexTotal, false);
        for (const std::uint32_t v : faces) {
            used[v] = true;
        }
        std::uint32_t faceCount = faceTotal;
        std::uint32_t vertexCount =
            static_cast<std::uint32_t>(std::count(used.begin(), used.end(), true));

        const AttributeWeights defaults;
        const AttributeWeights& weights =
            attributeWeights != nullptr ? *attributeWeights : defaults;
        Reducer reducer(
            std::move(faces),
            std::vector<std::uint32_t>(adjacency, adjacency + faceTotal * std::size_t{3}),
            std::move(positions), weights.position, weights.boundary, vertexWeights);
        reducer.Run(faceCount, vertexCount, [&](std::uint32_t faces, std::uint32_t vertices) {
            return (options == REDUCE_TO_FACES ? faces : vertices) <= minValue;
        });

        // The result: the working mesh compacted, so the remaining faces and
        // vertices keep their order.
        TriMeshPtr result;
        std::vector<std::uint32_t> resultAdjacency;
        const std::vector<std::uint32_t>& attributes = mesh->Attributes();
        const bool oneGroup = std::adjacent_find(attributes.begin(), attributes.end(),
                                                 std::not_equal_to<>()) == attributes.end();
        if (const Status status =
                oneGroup ? BuildResult(*mesh, reducer.Faces(), reducer.Adjacency(), result,
                                       resultAdjacency)
                         : BuildGroupedResult(*mesh, reducer.Faces(), reducer.Adjacency(), result,
                                              resultAdjacency);
            status != STATUS_OK) {
            return status;
        }
        if (adjacencyOut != nullptr) {
            resultAdjacency.resize(std::size_t{result->GetFaceCount()} * 3);
            *adjacencyOut = std::move(resultAdjacency);
        }
        *meshOut = result.release();
    } catch (const std::bad_alloc&) {
        return STATUS_OUT_OF_MEMORY;
    }
    return STATUS_OK;
}

}  // namespace kx::meshutil
