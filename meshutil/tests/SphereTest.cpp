#include <gtest/gtest.h>

#include <cstring>

#include "TestMeshes.h"
#include "meshutil/BoundingSphere.h"
#include "meshutil/DataBuffer.h"
#include "meshutil/SphereMesh.h"

namespace kx::meshutil::test {
namespace {

struct Sphere {
    Status status;
    std::array<float, 3> centre;
    float radius;
};

Sphere Bound(const Points& points, std::uint32_t stride = 12) {
    Sphere s{};
    static const float kAnywhere[3] = {};
    s.status =
        ComputeBoundingSphere(points.empty() ? static_cast<const void*>(kAnywhere) : points.data(),
                              static_cast<std::uint32_t>(points.size() * 12 / stride), stride,
                              s.centre.data(), &s.radius);
    return s;
}

TEST(ComputeBoundingSphere, CentresOnTheMeanAndReachesTheFarthestVertex) {
    const Sphere none = Bound({});
    EXPECT_EQ(none.status, STATUS_OK);
    EXPECT_EQ(none.centre, (std::array<float, 3>{0, 0, 0}));
    EXPECT_EQ(none.radius, 1.0f);

    const Sphere one = Bound({{2, -3, 4}});
    EXPECT_EQ(one.centre, (std::array<float, 3>{2, -3, 4}));
    EXPECT_EQ(one.radius, 0.0f);

    const Sphere two = Bound({{-1, 0, 0}, {3, 0, 0}});
    EXPECT_EQ(two.centre, (std::array<float, 3>{1, 0, 0}));
    EXPECT_EQ(two.radius, 2.0f);

    // Stride 24 reads every other point; the mean, not the box centre.
    const Sphere strided =
        Bound({{0, 0, 0}, {99, 99, 99}, {0, 0, 0}, {99, 99, 99}, {3, 0, 0}, {99, 99, 99}}, 24);
    EXPECT_EQ(strided.centre, (std::array<float, 3>{1, 0, 0}));
    EXPECT_EQ(strided.radius, 2.0f);
}

TEST(ComputeBoundingSphere, SumsInSinglePrecision) {
    // 1 + 1e-8 is 1 in float32, so the third point is lost from the sum.
    const Sphere s = Bound({{1, 0, 0}, {1e-8f, 0, 0}, {1e-8f, 0, 0}, {-1, 0, 0}});
    EXPECT_EQ(s.centre[0], 0.0f);
}

TEST(ComputeBoundingSphere, RefusesNullPointers) {
    float centre[3], radius;
    const float point[3] = {};
    EXPECT_EQ(ComputeBoundingSphere(nullptr, 1, 12, centre, &radius), STATUS_INVALID_CALL);
    EXPECT_EQ(ComputeBoundingSphere(point, 1, 12, nullptr, &radius), STATUS_INVALID_CALL);
    EXPECT_EQ(ComputeBoundingSphere(point, 1, 12, centre, nullptr), STATUS_INVALID_CALL);
}

TriMeshPtr Sphere10x6(DataBuffer** adjacency = nullptr) {
    TriMesh* mesh = nullptr;
    EXPECT_EQ(CreateSphereMesh(TestDevice(), 2.0f, 10, 6, &mesh, adjacency), STATUS_OK);
    return TriMeshPtr(mesh);
}

std::array<float, 6> VertexOf(TriMesh& mesh, std::uint32_t v) {
    void* data = nullptr;
    mesh.LockVertexBuffer(0, &data);
    std::array<float, 6> values;
    std::memcpy(values.data(), static_cast<std::uint8_t*>(data) + v * 24, 24);
    mesh.UnlockVertexBuffer();
    return values;
}

TEST(CreateSphereMesh, LaysOutRingsFromPoleToPole) {
    auto mesh = Sphere10x6();
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetVertexCount(), 52u);
    EXPECT_EQ(mesh->GetFaceCount(), 100u);
    EXPECT_EQ(mesh->GetOptions(), 0x220u);
    EXPECT_EQ(mesh->GetVertexFormat(), 0x012u);
    const auto north = VertexOf(*mesh, 0);
    EXPECT_EQ(north, (std::array<float, 6>{0, 0, 2, 0, 0, 1}));
    const auto first = VertexOf(*mesh, 1);
    EXPECT_EQ(first[0], 0.0f);
    EXPECT_FLOAT_EQ(first[1], 1.0f);
    EXPECT_FLOAT_EQ(first[2], 1.7320508f);
    EXPECT_FLOAT_EQ(first[4], 0.5f);  // normal is the unit direction
    EXPECT_EQ(VertexOf(*mesh, 51), (std::array<float, 6>{0, 0, -2, 0, 0, -1}));

    const Indices faces = FacesOf(*mesh);
    auto face = [&](std::size_t f) {
        return Indices{faces[3 * f], faces[3 * f + 1], faces[3 * f + 2]};
    };
    EXPECT_EQ(face(0), (Indices{0, 2, 1}));
    EXPECT_EQ(face(9), (Indices{0, 1, 10}));
    EXPECT_EQ(face(10), (Indices{1, 2, 11}));
    EXPECT_EQ(face(11), (Indices{2, 12, 11}));
    EXPECT_EQ(face(28), (Indices{10, 1, 20}));
    EXPECT_EQ(face(29), (Indices{1, 11, 20}));
    EXPECT_EQ(face(99), (Indices{50, 41, 51}));
}

TEST(CreateSphereMesh, IsClosedAndOutwardWound) {
    DataBuffer* adjacency = nullptr;
    auto mesh = Sphere10x6(&adjacency);
    ASSERT_NE(adjacency, nullptr);
    EXPECT_EQ(adjacency->GetBufferSize(), 1200u);
    const auto* entries = static_cast<const std::uint32_t*>(adjacency->GetBufferPointer());
    for (int i = 0; i < 300; ++i) {
        EXPECT_NE(entries[i], N) << i;
    }
    adjacency->Release();
    // Every face's normal points away from the centre.
    const Points points = PointsOf(*mesh);
    const Indices faces = FacesOf(*mesh);
    for (std::size_t f = 0; f < 100; ++f) {
        const auto& a = points[faces[3 * f]];
        const auto& b = points[faces[3 * f + 1]];
        const auto& c = points[faces[3 * f + 2]];
        const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                            u[0] * v[1] - u[1] * v[0]};
        EXPECT_GT(n[0] * a[0] + n[1] * a[1] + n[2] * a[2], 0.0f) << f;
    }
}

TEST(CreateSphereMesh, TwoStacksGiveTwoCapsOnTheEquator) {
    TriMesh* raw = nullptr;
    ASSERT_EQ(CreateSphereMesh(TestDevice(), 1.0f, 4, 2, &raw, nullptr), STATUS_OK);
    TriMeshPtr mesh(raw);
    EXPECT_EQ(FacesOf(*mesh), (Indices{0, 2, 1, 0, 3, 2, 0, 4, 3, 0, 1, 4,  //
                                       1, 2, 5, 2, 3, 5, 3, 4, 5, 4, 1, 5}));
    EXPECT_NEAR(VertexOf(*mesh, 2)[0], 1.0f, 1e-6f);  // slice 1 at +x
}

TEST(CreateSphereMesh, RefusesBadArgumentsAndMapsDefaults) {
    TriMesh* mesh = nullptr;
    EXPECT_EQ(CreateSphereMesh(TestDevice(), 1.0f, 1, 6, &mesh, nullptr), STATUS_INVALID_CALL);
    EXPECT_EQ(CreateSphereMesh(TestDevice(), 1.0f, 10, 1, &mesh, nullptr), STATUS_INVALID_CALL);
    EXPECT_EQ(CreateSphereMesh(TestDevice(), -1.0f, 10, 6, &mesh, nullptr), STATUS_INVALID_CALL);
    EXPECT_EQ(CreateSphereMesh(nullptr, 1.0f, 10, 6, &mesh, nullptr), STATUS_INVALID_CALL);
    EXPECT_EQ(CreateSphereMesh(TestDevice(), 1.0f, 10, 6, nullptr, nullptr), STATUS_INVALID_CALL);
    EXPECT_EQ(mesh, nullptr);
    ASSERT_EQ(
        CreateSphereMesh(TestDevice(), 3.4028235e38f, 0xFFFFFFFFu, 0xFFFFFFFFu, &mesh, nullptr),
        STATUS_OK);
    TriMeshPtr owned(mesh);
    EXPECT_EQ(owned->GetVertexCount(), 8u * 7 + 2);
    EXPECT_EQ(VertexOf(*owned, 0)[2], 1.0f);
}

}  // namespace
}  // namespace kx::meshutil::test
