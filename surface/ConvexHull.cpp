#include "surface/ConvexHull.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace kx {

namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;

uint64_t DirectedKey(uint32_t from, uint32_t to) {
    return (uint64_t{from} << 32) | to;
}

Vec3d ToDouble(const Vec3& p) {
    return {p[0], p[1], p[2]};
}

struct Face {
    std::array<uint32_t, 3> v{};
    std::array<uint32_t, 3> adj{kNone, kNone, kNone};  // across edge v[k] -> v[k + 1]
    Vec3d normal{};
    double offset = 0.0;
    std::vector<uint32_t> outside;  // points above this face, not yet on the hull
    bool alive = true;
};

// Incremental hull that always adds the farthest point above some face; each
// point waits above one face until it is added or found inside.
class HullBuilder {
  public:
    HullBuilder(std::span<const Vec3> points, double tolerance) : epsilon_(tolerance) {
        p_.reserve(points.size());
        for (const Vec3& q : points) {
            p_.push_back(ToDouble(q));
        }
    }

    std::optional<std::vector<std::array<uint32_t, 3>>> Run() {
        std::array<uint32_t, 4> simplex{};
        switch (FindSimplex(simplex)) {
            case Shape::Line:
                return std::vector<std::array<uint32_t, 3>>{};
            case Shape::Plane:
                return FlatHull(simplex);
            case Shape::Solid:
                break;
        }
        if (!Build(simplex)) {
            return std::nullopt;
        }
        std::vector<std::array<uint32_t, 3>> triangles;
        for (const Face& f : faces_) {
            if (f.alive) {
                triangles.push_back(f.v);
            }
        }
        return triangles;
    }

  private:
    enum class Shape { Line, Plane, Solid };

    double Distance(const Face& f, uint32_t q) const { return Dot(f.normal, p_[q]) - f.offset; }

    Shape FindSimplex(std::array<uint32_t, 4>& s) const {
        const auto n = static_cast<uint32_t>(p_.size());
        if (n < 3) {
            return Shape::Line;
        }
        // The two ends of the widest axis.
        double widest = -1.0;
        for (int axis = 0; axis < 3; ++axis) {
            uint32_t lo = 0, hi = 0;
            for (uint32_t i = 1; i < n; ++i) {
                if (p_[i][axis] < p_[lo][axis]) {
                    lo = i;
                }
                if (p_[i][axis] > p_[hi][axis]) {
                    hi = i;
                }
            }
            if (p_[hi][axis] - p_[lo][axis] > widest) {
                widest = p_[hi][axis] - p_[lo][axis];
                s[0] = lo;
                s[1] = hi;
            }
        }
        if (widest <= epsilon_) {
            return Shape::Line;
        }
        const Vec3d dir = Normalised(Sub(p_[s[1]], p_[s[0]]));
        double farthest = epsilon_;
        bool found = false;
        for (uint32_t i = 0; i < n; ++i) {
            const double d = Length(Cross(Sub(p_[i], p_[s[0]]), dir));
            if (d > farthest) {
                farthest = d;
                s[2] = i;
                found = true;
            }
        }
        if (!found) {
            return Shape::Line;
        }
        const Vec3d normal = Normalised(Cross(Sub(p_[s[1]], p_[s[0]]), Sub(p_[s[2]], p_[s[0]])));
        farthest = epsilon_;
        found = false;
        for (uint32_t i = 0; i < n; ++i) {
            const double d = std::fabs(Dot(normal, Sub(p_[i], p_[s[0]])));
            if (d > farthest) {
                farthest = d;
                s[3] = i;
                found = true;
            }
        }
        return found ? Shape::Solid : Shape::Plane;
    }

    // Both sides of the outline of a flat set: the front a fan from its first
    // corner, the back from its second.
    std::vector<std::array<uint32_t, 3>> FlatHull(const std::array<uint32_t, 4>& s) const {
        const Vec3d origin = p_[s[0]];
        const Vec3d u = Normalised(Sub(p_[s[1]], origin));
        const Vec3d normal = Normalised(Cross(Sub(p_[s[1]], origin), Sub(p_[s[2]], origin)));
        const Vec3d w = Cross(normal, u);
        struct Flat {
            double x, y;
            uint32_t index;
        };
        std::vector<Flat> flat;
        flat.reserve(p_.size());
        for (uint32_t i = 0; i < p_.size(); ++i) {
            const Vec3d d = Sub(p_[i], origin);
            flat.push_back({Dot(d, u), Dot(d, w), i});
        }
        std::sort(flat.begin(), flat.end(), [](const Flat& a, const Flat& b) {
            return a.x != b.x ? a.x < b.x : (a.y != b.y ? a.y < b.y : a.index < b.index);
        });
        // Left turns only; points on an outline edge (within the tolerance) are dropped.
        auto turnsLeft = [&](const Flat& o, const Flat& a, const Flat& b) {
            const double cross = (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
            const double reach = std::hypot(b.x - o.x, b.y - o.y);
            return cross > epsilon_ * reach;
        };
        std::vector<Flat> outline;
        for (int pass = 0; pass < 2; ++pass) {
            const size_t start = outline.size();
            for (size_t k = 0; k < flat.size(); ++k) {
                const Flat& q = pass == 0 ? flat[k] : flat[flat.size() - 1 - k];
                while (outline.size() >= start + 2 &&
                       !turnsLeft(outline[outline.size() - 2], outline.back(), q)) {
                    outline.pop_back();
                }
                outline.push_back(q);
            }
            outline.pop_back();  // the last is the first of the other chain
        }
        std::vector<std::array<uint32_t, 3>> triangles;
        if (outline.size() < 3) {
            return triangles;
        }
        for (size_t k = 1; k + 1 < outline.size(); ++k) {
            triangles.push_back({outline[0].index, outline[k].index, outline[k + 1].index});
        }
        // The back fans from the second corner, so that no inner edge is
        // shared by both sides: each edge then has one triangle either way
        // round and the two sides close like a flattened solid.
        const size_t n = outline.size();
        for (size_t k = 2; k < n; ++k) {
            triangles.push_back({outline[1].index, outline[(k + 1) % n].index, outline[k].index});
        }
        return triangles;
    }

    bool MakeFace(uint32_t a, uint32_t b, uint32_t c, uint32_t& index) {
        Face f;
        f.v = {a, b, c};
        const Vec3d n = Cross(Sub(p_[b], p_[a]), Sub(p_[c], p_[a]));
        const double length = Length(n);
        if (!(length > 0.0)) {
            return false;
        }
        f.normal = Scale(n, 1.0 / length);
        f.offset = Dot(f.normal, p_[a]);
        index = static_cast<uint32_t>(faces_.size());
        faces_.push_back(std::move(f));
        return true;
    }

    // Pairs the edge `k` of face `f` with the opposite edge of a face made
    // before it, or waits for one.
    void Pair(uint32_t f, int k, std::unordered_map<uint64_t, std::pair<uint32_t, int>>& open) {
        const uint32_t from = faces_[f].v[k];
        const uint32_t to = faces_[f].v[(k + 1) % 3];
        const auto it = open.find(DirectedKey(to, from));
        if (it == open.end()) {
            open[DirectedKey(from, to)] = {f, k};
            return;
        }
        faces_[f].adj[k] = it->second.first;
        faces_[it->second.first].adj[it->second.second] = f;
        open.erase(it);
    }

    bool Build(const std::array<uint32_t, 4>& s) {
        // The tetrahedron, wound so that every face looks away from the fourth corner.
        uint32_t a = s[0], b = s[1], c = s[2];
        const uint32_t d = s[3];
        const Vec3d n = Cross(Sub(p_[b], p_[a]), Sub(p_[c], p_[a]));
        if (Dot(n, Sub(p_[d], p_[a])) > 0) {
            std::swap(b, c);
        }
        std::unordered_map<uint64_t, std::pair<uint32_t, int>> open;
        for (const auto& t :
             {std::array{a, b, c}, std::array{b, a, d}, std::array{c, b, d}, std::array{a, c, d}}) {
            uint32_t f = 0;
            if (!MakeFace(t[0], t[1], t[2], f)) {
                return false;
            }
            for (int k = 0; k < 3; ++k) {
                Pair(f, k, open);
            }
        }
        std::vector<uint32_t> work;
        for (uint32_t q = 0; q < p_.size(); ++q) {
            if (q == a || q == b || q == c || q == d) {
                continue;
            }
            for (uint32_t f = 0; f < 4; ++f) {
                if (Distance(faces_[f], q) > epsilon_) {
                    faces_[f].outside.push_back(q);
                    break;
                }
            }
        }
        for (uint32_t f = 0; f < 4; ++f) {
            work.push_back(f);
        }

        std::vector<uint32_t> seen(faces_.size(), 0);
        uint32_t stamp = 0;
        while (!work.empty()) {
            const uint32_t start = work.back();
            work.pop_back();
            if (!faces_[start].alive || faces_[start].outside.empty()) {
                continue;
            }
            uint32_t apex = faces_[start].outside[0];
            double apexDistance = Distance(faces_[start], apex);
            for (uint32_t q : faces_[start].outside) {
                const double dq = Distance(faces_[start], q);
                if (dq > apexDistance) {
                    apex = q;
                    apexDistance = dq;
                }
            }

            // The faces the apex sees, and the edges where they meet the others.
            ++stamp;
            seen.resize(faces_.size(), 0);
            std::vector<uint32_t> visible{start};
            std::vector<std::pair<uint32_t, int>> horizon;
            seen[start] = stamp;
            for (size_t i = 0; i < visible.size(); ++i) {
                const Face& f = faces_[visible[i]];
                for (int k = 0; k < 3; ++k) {
                    const uint32_t g = f.adj[k];
                    if (g == kNone) {
                        return false;
                    }
                    if (seen[g] == stamp) {
                        continue;
                    }
                    if (Distance(faces_[g], apex) > epsilon_) {
                        seen[g] = stamp;
                        visible.push_back(g);
                    } else {
                        horizon.emplace_back(visible[i], k);
                    }
                }
            }

            std::vector<uint32_t> orphans;
            for (uint32_t f : visible) {
                faces_[f].alive = false;
                for (uint32_t q : faces_[f].outside) {
                    if (q != apex) {
                        orphans.push_back(q);
                    }
                }
                faces_[f].outside.clear();
            }
            std::vector<uint32_t> made;
            open.clear();
            for (const auto& [f, k] : horizon) {
                const uint32_t from = faces_[f].v[k];
                const uint32_t to = faces_[f].v[(k + 1) % 3];
                const uint32_t beyond = faces_[f].adj[k];
                uint32_t m = 0;
                if (!MakeFace(from, to, apex, m)) {
                    return false;
                }
                made.push_back(m);
                faces_[m].adj[0] = beyond;
                Face& other = faces_[beyond];
                for (int j = 0; j < 3; ++j) {
                    if (other.v[j] == to && other.v[(j + 1) % 3] == from) {
                        other.adj[j] = m;
                    }
                }
                Pair(m, 1, open);
                Pair(m, 2, open);
            }
            if (!open.empty()) {
                return false;  // the horizon was not one loop: rounding won
            }
            for (uint32_t q : orphans) {
                for (uint32_t m : made) {
                    if (Distance(faces_[m], q) > epsilon_) {
                        faces_[m].outside.push_back(q);
                        break;
                    }
                }
            }
            for (uint32_t m : made) {
                if (!faces_[m].outside.empty()) {
                    work.push_back(m);
                }
            }
        }
        return true;
    }

    std::vector<Vec3d> p_;
    std::vector<Face> faces_;
    double epsilon_;
};

}  // namespace

std::optional<std::vector<std::array<uint32_t, 3>>> ConvexHullTriangles(
    std::span<const Vec3> points) {
    double scale = 0.0;
    for (const Vec3& q : points) {
        for (float c : q) {
            scale = std::max(scale, static_cast<double>(std::fabs(c)));
        }
    }
    // Float positions are good to about 1e-7 of their size: anything closer to
    // a plane than ten times that lies on it. Should rounding still tear the
    // surface, a coarser tolerance is tried.
    for (double factor : {1e-6, 1e-4, 1e-2}) {
        const double tolerance = std::max(scale, 1e-30) * factor;
        if (auto triangles = HullBuilder(points, tolerance).Run()) {
            return triangles;
        }
    }
    return std::nullopt;
}

}  // namespace kx
