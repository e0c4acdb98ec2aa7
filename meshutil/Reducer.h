#pragma once
// The working mesh of one reduction and its edge collapses.

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "base/Vec.h"
#include "meshutil/CandidateHeap.h"
#include "meshutil/FanWalk.h"

namespace kx::meshutil {

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
    // Asked with the current face and vertex counts before every collapse.
    using StopRule = std::function<bool(std::uint32_t faces, std::uint32_t vertices)>;

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

    // Collapses until `done` says so or no candidate is left; each collapse
    // lowers the two counts by the faces and the vertex it removes.
    void Run(std::uint32_t& faceCount, std::uint32_t& vertexCount, const StopRule& done);

    const std::vector<std::uint32_t>& Faces() const { return faces_; }
    const std::vector<std::uint32_t>& Adjacency() const { return adjacency_; }

  private:
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

    bool Fan(std::uint32_t face, std::uint32_t corner, std::vector<FanCorner>& fan,
             FanEnd* end = nullptr);
    Vec3d Normal(std::uint32_t face) const;
    Vec3d UnitNormal(std::uint32_t face) const;
    bool SharedEdge(std::uint32_t face, std::uint32_t edge) const;
    void AddBorderLine(std::uint32_t face, std::uint32_t edge, double weight);
    static double Beta(const Vec3d& p, const BorderLine& line);
    template <class Store>
    void ScoreLocation(std::uint32_t face, std::uint32_t corner, Store&& store);
    bool Acceptable(std::uint32_t candidate);
    bool OuterNeighboursApart(std::uint32_t face, std::uint32_t edge) const;
    std::uint32_t Collapse(std::uint32_t candidate);
    void Remove(std::uint32_t face, std::uint32_t edge);

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

}  // namespace kx::meshutil
