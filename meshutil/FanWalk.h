#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "meshutil/FaceArray.h"
#include "meshutil/Status.h"

namespace kx::meshutil {

// A walk around one corner that takes more steps than this is refused as a
// broken mesh rather than looping forever.
inline constexpr std::uint32_t MAX_FAN_STEPS = 10000;

enum class FanEnd { Closed, Open, TooLong };

// Walks fans of faces around a corner through an adjacency array whose entries
// are in range. Keeps scratch space between walks.
class FanWalker {
  public:
    FanWalker(const std::uint32_t* adjacency, const std::vector<std::uint32_t>& faces,
              const std::vector<std::array<float, 3>>& positions)
        : adjacency_(adjacency), faces_(faces), positions_(positions), seen_(faces.size(), 0) {}

    // First across the edge leaving the corner, and on reaching an edge without
    // neighbour, from `start` the other way. Calls visit(face, cornerAtLocation)
    // for every face met, `start` first. A walk that comes back to a corner it
    // has visited has gone all the way round, just as one that meets `start`.
    template <class Visit>
    FanEnd Walk(std::uint32_t start, std::uint32_t corner, Visit&& visit) {
        if (++walk_ == 0) {
            std::fill(seen_.begin(), seen_.end(), 0);
            walk_ = 1;
        }
        seen_[3 * start + corner] = walk_;
        visit(start, corner);
        std::uint32_t steps = 0;
        const FanEnd end = Sweep<true>(start, corner, steps, visit);
        return end == FanEnd::Open ? Sweep<false>(start, corner, steps, visit) : end;
    }

  private:
    static std::uint32_t Next(std::uint32_t corner) { return corner == 2 ? 0 : corner + 1; }
    static std::uint32_t Previous(std::uint32_t corner) { return corner == 0 ? 2 : corner - 1; }

    // One direction of a walk; Open when it reaches an edge without neighbour.
    template <bool kForward, class Visit>
    FanEnd Sweep(std::uint32_t start, std::uint32_t corner, std::uint32_t& steps, Visit& visit) {
        std::uint32_t face = start;
        std::uint32_t at = corner;
        for (;;) {
            const std::uint32_t next = adjacency_[3 * face + (kForward ? at : Previous(at))];
            if (next == NO_NEIGHBOUR || faces_[3 * next] == UNUSED_FACE) {
                return FanEnd::Open;
            }
            const std::uint32_t nextCorner = EntryCorner<kForward>(next, face, at);
            if (nextCorner == 3) {
                return FanEnd::Open;  // a one-sided link counts as an open edge
            }
            if (next == start || seen_[3 * next + nextCorner] == walk_) {
                return FanEnd::Closed;
            }
            if (++steps > MAX_FAN_STEPS) {
                return FanEnd::TooLong;
            }
            seen_[3 * next + nextCorner] = walk_;
            visit(next, nextCorner);
            face = next;
            at = nextCorner;
        }
    }

    double SquaredDistance(std::uint32_t cornerA, std::uint32_t cornerB) const {
        const auto& a = positions_[faces_[cornerA]];
        const auto& b = positions_[faces_[cornerB]];
        const double dx = double{a[0]} - b[0], dy = double{a[1]} - b[1], dz = double{a[2]} - b[2];
        return dx * dx + dy * dy + dz * dz;
    }

    // Face g was entered from face `from`, whose corner `at` is the walked-around
    // location. Returns g's corner there (3 when g does not list `from`). The
    // crossed edge of `from` is paired with an edge j of g running the other way;
    // going forward the location is g's corner j + 1, going backward corner j.
    template <bool kForward>
    std::uint32_t EntryCorner(std::uint32_t g, std::uint32_t from, std::uint32_t at) const {
        const std::uint32_t* n = &adjacency_[3 * g];
        std::uint32_t j = 0;
        if (n[0] == from) {
            if (n[1] == from || n[2] == from) {
                return SliverEntryCorner(g, from, at, kForward);
            }
        } else if (n[1] == from) {
            if (n[2] == from) {
                return SliverEntryCorner(g, from, at, kForward);
            }
            j = 1;
        } else if (n[2] == from) {
            j = 2;
        } else {
            return 3;
        }
        return kForward ? Next(j) : j;
    }

    // Thin slivers list each other on several edges: then the edge whose two ends
    // lie nearest the crossed edge's ends is the crossed one (taking the first
    // listed edge would turn the walk around another corner and bounce).
    std::uint32_t SliverEntryCorner(std::uint32_t g, std::uint32_t from, std::uint32_t at,
                                    bool forward) const {
        // Ends of the crossed edge in g's running direction.
        const std::uint32_t endA = 3 * from + (forward ? Next(at) : at);
        const std::uint32_t endB = 3 * from + (forward ? at : Previous(at));
        std::uint32_t best = 3;
        double bestDistance = 0;
        int matches = 0;
        for (std::uint32_t j = 0; j < 3; ++j) {
            if (adjacency_[3 * g + j] != from) {
                continue;
            }
            const std::uint32_t corner = forward ? Next(j) : j;
            if (++matches == 1) {
                best = corner;
                continue;
            }
            auto distance = [&](std::uint32_t edge) {
                return SquaredDistance(3 * g + edge, endA) +
                       SquaredDistance(3 * g + Next(edge), endB);
            };
            if (matches == 2) {
                bestDistance = distance(forward ? Previous(best) : best);
            }
            const double d = distance(j);
            if (d < bestDistance) {
                best = corner;
                bestDistance = d;
            }
        }
        return best;
    }

    const std::uint32_t* adjacency_;
    const std::vector<std::uint32_t>& faces_;
    const std::vector<std::array<float, 3>>& positions_;
    std::vector<std::uint32_t> seen_;
    std::uint32_t walk_ = 0;
};

}  // namespace kx::meshutil
