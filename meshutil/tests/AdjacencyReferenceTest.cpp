// The adjacency rules written out plainly (quadratic, no grid, no lazy scores),
// compared with the real code on many small random meshes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "TestMeshes.h"
#include "meshutil/WeldVertices.h"

namespace kx::meshutil::test {
namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;

std::vector<std::uint32_t> ReferenceReps(const Points& p, const Indices& faces, float eps) {
    const std::size_t n = p.size();
    std::vector<std::vector<std::uint32_t>> cornersOf(n);
    for (std::uint32_t corner = 0; corner < faces.size(); ++corner) {
        auto& list = cornersOf[faces[corner]];
        list.insert(list.begin(), corner);
    }
    std::vector<float> x(n);
    std::vector<std::uint32_t> s(n);
    for (std::uint32_t v = 0; v < n; ++v) {
        x[v] = p[v][0];
        s[v] = v;
    }
    auto siftDown = [&](std::size_t i, std::size_t end) {
        for (;;) {
            std::size_t child = 2 * i + 1;
            if (child >= end) {
                return;
            }
            if (child + 1 < end && x[s[child + 1]] <= x[s[child]]) {
                ++child;
            }
            if (x[s[i]] < x[s[child]]) {
                return;
            }
            std::swap(s[i], s[child]);
            i = child;
        }
    };
    for (std::size_t i = n / 2; i-- > 0;) {
        siftDown(i, n);
    }
    for (std::size_t end = n - 1; end > 0; --end) {
        std::swap(s[0], s[end]);
        siftDown(0, end);
    }

    std::vector<std::uint32_t> reps(n, kNone);
    std::size_t e = 0;
    for (std::size_t k = 0; k < n; ++k) {
        while (e < n && x[s[k]] - x[s[e]] <= eps) {
            ++e;
        }
        if (reps[s[k]] != kNone) {
            continue;
        }
        reps[s[k]] = s[k];
        for (std::size_t j = k + 1; j < e; ++j) {
            const std::uint32_t v = s[j];
            if (reps[v] != kNone) {
                continue;
            }
            double sq = 0;
            for (int axis = 0; axis < 3; ++axis) {
                const double d = double{p[v][axis]} - p[s[k]][axis];
                sq += d * d;
            }
            if (eps > 0 ? !(sq < double{eps} * eps) : sq != 0) {
                continue;
            }
            bool sharesFace = false;
            for (const std::uint32_t corner : cornersOf[s[k]]) {
                const std::uint32_t f = corner / 3;
                sharesFace |= faces[3 * f] == v || faces[3 * f + 1] == v || faces[3 * f + 2] == v;
            }
            if (!sharesFace) {
                reps[v] = s[k];
            }
        }
    }
    return reps;
}

std::array<double, 3> ReferenceNormal(const std::array<float, 3>& a, const std::array<float, 3>& b,
                                      const std::array<float, 3>& c) {
    const double u[3] = {double{b[0]} - a[0], double{b[1]} - a[1], double{b[2]} - a[2]};
    const double v[3] = {double{c[0]} - a[0], double{c[1]} - a[1], double{c[2]} - a[2]};
    std::array<double, 3> n = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                               u[0] * v[1] - u[1] * v[0]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length > 0) {
        for (double& component : n) {
            component /= length;
        }
    }
    return n;
}

Indices ReferenceAdjacency(const Points& p, const Indices& faces, float eps) {
    const std::vector<std::uint32_t> reps = ReferenceReps(p, faces, eps);
    const std::size_t faceCount = faces.size() / 3;
    auto rep = [&](std::size_t f, std::size_t c) { return reps[faces[3 * f + c % 3]]; };
    auto degenerate = [&](std::size_t f) {
        return rep(f, 0) == rep(f, 1) || rep(f, 1) == rep(f, 2) || rep(f, 0) == rep(f, 2);
    };
    struct Record {
        std::uint32_t from, to, third, face;
        bool live;
    };
    std::vector<Record> records;  // searched from the back: newest first
    for (std::uint32_t f = 0; f < faceCount; ++f) {
        if (!degenerate(f)) {
            for (std::size_t k = 0; k < 3; ++k) {
                records.push_back({rep(f, k), rep(f, k + 1), rep(f, k + 2), f, true});
            }
        }
    }
    auto normalOf = [&](const Record& r) {
        return ReferenceNormal(p[r.from], p[r.to], p[r.third]);
    };
    auto dot = [](const std::array<double, 3>& a, const std::array<double, 3>& b) {
        return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
    };

    Indices adjacency(faces.size(), N);
    for (std::uint32_t f = 0; f < faceCount; ++f) {
        if (degenerate(f)) {
            continue;
        }
        for (std::size_t k = 0; k < 3; ++k) {
            if (adjacency[3 * f + k] != N) {
                continue;
            }
            const auto own = std::find_if(records.begin(), records.end(), [&](const Record& r) {
                return r.face == f && r.from == rep(f, k) && r.to == rep(f, k + 1);
            });
            const auto mine = ReferenceNormal(p[rep(f, k)], p[rep(f, k + 1)], p[rep(f, k + 2)]);
            Record* chosen = nullptr;
            for (auto r = records.rbegin(); r != records.rend(); ++r) {
                if (!r->live || r->from != rep(f, k + 1) || r->to != rep(f, k)) {
                    continue;
                }
                if (chosen == nullptr || dot(mine, normalOf(*r)) > dot(mine, normalOf(*chosen))) {
                    chosen = &*r;
                }
            }
            if (chosen == nullptr) {
                continue;
            }
            const std::uint32_t g = chosen->face;
            adjacency[3 * f + k] = g;
            chosen->live = false;
            own->live = false;
            std::size_t j = 0;
            while (rep(g, j) != rep(f, k + 1)) {
                ++j;
            }
            adjacency[3 * g + j] = f;
        }
    }
    return adjacency;
}

// Small meshes on a coarse lattice: exact copies, copies moved by less than
// epsilon, shared x values, edges reused in both directions, repeated indices.
struct RandomMesh {
    Points points;
    Indices faces;
};

RandomMesh MakeRandomMesh(std::mt19937& random, float step) {
    auto pick = [&](std::uint32_t n) {
        return static_cast<std::uint32_t>(
            std::uniform_int_distribution<std::uint32_t>(0, n - 1)(random));
    };
    RandomMesh m;
    const std::uint32_t vertexCount = 3 + pick(22);
    for (std::uint32_t v = 0; v < vertexCount; ++v) {
        std::array<float, 3> q;
        for (float& c : q) {
            c = step * static_cast<float>(pick(6));
        }
        const std::uint32_t kind = pick(10);
        if (v > 0 && kind < 4) {
            q = m.points[pick(v)];
        } else if (v > 0 && kind < 6) {
            q = m.points[pick(v)];
            q[pick(3)] += step * (static_cast<float>(pick(9)) - 4.0f) / 4.0f;
        }
        m.points.push_back(q);
    }
    const std::uint32_t faceCount = 1 + pick(30);
    for (std::uint32_t f = 0; f < faceCount; ++f) {
        std::uint32_t a = pick(vertexCount), b = pick(vertexCount), c = pick(vertexCount);
        if (f > 0 && pick(3) > 0) {  // reuse an edge, mostly against its direction
            const std::uint32_t g = pick(f), k = pick(3);
            a = m.faces[3 * g + (k + 1) % 3];
            b = m.faces[3 * g + k];
            if (pick(4) == 0) {
                std::swap(a, b);
            }
        }
        m.faces.insert(m.faces.end(), {a, b, c});
    }
    return m;
}

TEST(AdjacencyReference, RealCodeFollowsTheRulesOnRandomMeshes) {
    std::mt19937 random(20261207);
    const float epsilons[] = {0.05f, 0.1f, 0.0f, 0.05f};
    for (int round = 0; round < 3000; ++round) {
        const float eps = epsilons[round % 4];
        const RandomMesh m = MakeRandomMesh(random, 0.05f);
        auto mesh = MakeMesh(m.points, m.faces);
        Indices adjacency = AdjacencyOf(*mesh, eps);
        ASSERT_EQ(adjacency, ReferenceAdjacency(m.points, m.faces, eps)) << "round " << round;

        // The weld never moves a face corner and keeps every face.
        const WeldEpsilons zero;
        ASSERT_EQ(WeldVertices(mesh.get(), 0, &zero, adjacency.data(), adjacency.data(), nullptr,
                               nullptr),
                  STATUS_OK)
            << "round " << round;
        const Points after = PointsOf(*mesh);
        const Indices faces = FacesOf(*mesh);
        ASSERT_EQ(faces.size(), m.faces.size());
        for (std::size_t i = 0; i < faces.size(); ++i) {
            ASSERT_EQ(after[faces[i]], m.points[m.faces[i]]) << "round " << round;
        }
    }
}

}  // namespace
}  // namespace kx::meshutil::test
