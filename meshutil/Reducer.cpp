#include "meshutil/Reducer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "meshutil/FaceArray.h"

namespace kx::meshutil {

namespace {

// Cosine of the largest turn of a face's normal that one collapse may cause.
constexpr double kMinTurnCosine = 0.5;

}  // namespace

// Faces round the corner; false when the walk is refused.
bool Reducer::Fan(std::uint32_t face, std::uint32_t corner, std::vector<FanCorner>& fan,
                  FanEnd* end) {
    fan.clear();
    const FanEnd result = walker_.Walk(face, corner, [&](std::uint32_t h, std::uint32_t c) {
        fan.push_back({h, c});
    });
    if (end != nullptr) {
        *end = result;
    }
    return result != FanEnd::TooLong;
}

Vec3d Reducer::Normal(std::uint32_t face) const {
    return Cross(Sub(Position(face, 1), Position(face, 0)),
                 Sub(Position(face, 2), Position(face, 0)));
}

bool Reducer::SharedEdge(std::uint32_t face, std::uint32_t edge) const {
    const std::uint32_t other = adjacency_[3 * face + edge];
    if (other == NO_NEIGHBOUR) {
        return false;
    }
    const std::uint32_t from = faces_[3 * face + edge], to = faces_[3 * face + Wrap(edge + 1)];
    const std::uint32_t* w = &faces_[3 * std::size_t{other}];
    return (w[0] == from || w[1] == from || w[2] == from) &&
           (w[0] == to || w[1] == to || w[2] == to);
}

void Reducer::AddBorderLine(std::uint32_t face, std::uint32_t edge, double weight) {
    const Vec3d& from = points_[faces_[3 * face + edge]];
    const Vec3d e = Sub(from, points_[faces_[3 * face + Wrap(edge + 1)]]);
    const double ee = Dot(e, e);
    if (ee > 1.0e-6) {
        lines_.push_back({from, e, ee, weight});
    }
}

double Reducer::Beta(const Vec3d& p, const BorderLine& line) {
    const Vec3d q = Sub(p, line.from);
    const double t = Dot(q, line.e) / line.ee;
    const Vec3d r = Sub(q, Scale(line.e, t));
    return Dot(r, r);
}

// Unit normal of a face; one shorter than 1.0e-6 is left as it is.
Vec3d Reducer::UnitNormal(std::uint32_t face) const {
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
void Reducer::ScoreLocation(std::uint32_t face, std::uint32_t corner, Store&& store) {
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
        const double planes =
            q[0] * x[0] * x[0] + q[3] * x[1] * x[1] + q[5] * x[2] * x[2] +
            2.0 * (q[1] * x[0] * x[1] + q[2] * x[0] * x[2] + q[4] * x[1] * x[2] + Dot(linear, x)) +
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
bool Reducer::Acceptable(std::uint32_t candidate) {
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
        if (fanLength > 0 && Dot(fanNormal, after) <= kMinTurnCosine * fanLength * std::sqrt(aa)) {
            return false;
        }
    }
    return true;
}

// Once the face goes, the faces across its two other edges become
// neighbours; they must not be neighbours already.
bool Reducer::OuterNeighboursApart(std::uint32_t face, std::uint32_t edge) const {
    const std::uint32_t n1 = Neighbour(face, edge + 1), n2 = Neighbour(face, edge + 2);
    return n1 == NO_NEIGHBOUR || n2 == NO_NEIGHBOUR || EdgeTowards(n1, n2) == 3;
}

// Returns the number of faces removed.
std::uint32_t Reducer::Collapse(std::uint32_t candidate) {
    const std::uint32_t f = candidate / 3, k = candidate % 3;
    const std::uint32_t a = Vertex(f, k);
    const std::uint32_t g = Neighbour(f, k);
    const std::uint32_t j = g != NO_NEIGHBOUR ? EdgeTowards(g, f) : 3;
    // Faces across the outer edges of the removed faces: their vertices
    // other than a (the third vertices among them) lose a face.
    std::uint32_t outer[4] = {Neighbour(f, k + 1), Neighbour(f, k + 2), NO_NEIGHBOUR, NO_NEIGHBOUR};
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
void Reducer::Remove(std::uint32_t face, std::uint32_t edge) {
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

// Collapses until `done` says so or no candidate is left.
void Reducer::Run(std::uint32_t& faceCount, std::uint32_t& vertexCount, const StopRule& done) {
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
            ScoreLocation(corner / 3, corner % 3,
                          [&](std::uint32_t candidate, float cost) { costs[candidate] = cost; });
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

}  // namespace kx::meshutil
