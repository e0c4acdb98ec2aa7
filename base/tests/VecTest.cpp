#include "base/Vec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kx {
namespace {

// Read through volatile so the compiler cannot fold the arithmetic below at
// build time; what is checked is what the generated code computes.
float Opaque(float v) {
    volatile float held = v;
    return held;
}

TEST(Vec, SumsRunLeftToRightInTheirOwnPrecision) {
    const Vec3 big{Opaque(1.0f), Opaque(1.0e8f), Opaque(-1.0e8f)};
    const Vec3 ones{1.0f, 1.0f, 1.0f};
    // (1 + 1e8) rounds back to 1e8 in float; any other order keeps the 1.
    EXPECT_EQ(Dot(big, ones), 0.0f);
    EXPECT_EQ(Dot(ToDouble(big), ToDouble(ones)), 1.0);

    // The offset comes last: (1e8 + 1 + 0) - 1e8 loses the 1 as well.
    Mat4 m = Identity4();
    m[0] = {Opaque(1.0e8f), Opaque(1.0f), 0.0f, Opaque(-1.0e8f)};
    EXPECT_EQ(TransformPoint(m, {1.0f, 1.0f, 1.0f})[0], 0.0f);

    // Matrix products sum over k = 0..3 in order as well.
    Mat4 a{};
    a[0] = {Opaque(1.0e8f), Opaque(1.0f), Opaque(-1.0e8f), 0.0f};
    const Mat4 product = Mul(a, Identity4());
    EXPECT_EQ(product[0][0], 1.0e8f);
    Mat4 columnOfOnes{};
    for (auto& row : columnOfOnes) {
        row[0] = 1.0f;
    }
    EXPECT_EQ(Mul(a, columnOfOnes)[0][0], 0.0f);
}

TEST(Vec, ProductsAreRoundedBeforeTheyAreSummed) {
    // x * x is not exact in float; a fused multiply-add would keep the lost
    // low bits and leave 2^-24 where two rounded products cancel exactly.
    const float x = Opaque(1.0f + 0x1p-12f);
    EXPECT_EQ(Cross(Vec3{0.0f, x, x}, Vec3{0.0f, x, x})[0], 0.0f);
    EXPECT_EQ(Dot(Vec3{x, x, 0.0f}, Vec3{x, Opaque(-x), 0.0f}), 0.0f);
}

TEST(Vec, RowsGiveCoordinates) {
    const Mat3 m{{{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}};
    EXPECT_EQ(Mul(m, Vec3{1, 2, 3}), (Vec3{2, 3, 1}));
    EXPECT_EQ(Mul(Identity3<double>(), Vec3d{1, 2, 3}), (Vec3d{1, 2, 3}));
    EXPECT_EQ(Cross(Vec3{1, 0, 0}, Vec3{0, 1, 0}), (Vec3{0, 0, 1}));
}

TEST(Vec, APointTurnsThenMovesAndTheRightFactorActsFirst) {
    // A quarter turn about z, then an offset.
    const Mat3 turn{{{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}};
    const Mat4 part = MakeTransform(turn, {10, 20, 30});
    EXPECT_EQ(part[0][3], 10.0f);
    EXPECT_EQ(part[2][3], 30.0f);
    EXPECT_EQ(part[3], (std::array<float, 4>{0, 0, 0, 1}));
    EXPECT_EQ(TransformPoint(part, {1, 0, 0}), (Vec3{10, 21, 30}));

    const Mat4 move = MakeTransform(Identity3<float>(), {5, 0, 0});
    const Vec3 p{1, 2, 3};
    // Mul(move, part) is part first, then move.
    EXPECT_EQ(TransformPoint(Mul(move, part), p), TransformPoint(move, TransformPoint(part, p)));
    EXPECT_EQ(TransformPoint(Mul(move, part), {1, 0, 0}), (Vec3{15, 21, 30}));
    EXPECT_EQ(TransformPoint(Mul(part, move), {1, 0, 0}), (Vec3{10, 26, 30}));
}

TEST(Vec, NormalisedKeepsAZeroVectorAndIsFiniteSeesEveryCoordinate) {
    EXPECT_EQ(Normalised(Vec3{}), (Vec3{}));
    EXPECT_EQ(Normalised(Vec3d{0, 3, 4}), (Vec3d{0, 0.6, 0.8}));
    EXPECT_EQ(Length(Vec3{3, 4, 12}), 13.0f);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_TRUE(IsFinite(Vec3{1, 2, 3}));
    EXPECT_FALSE(IsFinite(Vec3{1, 2, nan}));
    EXPECT_FALSE(IsFinite(Vec3{-inf, 2, 3}));
}

TEST(Vec, ToDoubleIsExact) {
    EXPECT_EQ(ToDouble({0.1f, -0.0f, 3.0f})[0], static_cast<double>(0.1f));
    EXPECT_TRUE(std::signbit(ToDouble({0.1f, -0.0f, 3.0f})[1]));
}

}  // namespace
}  // namespace kx
