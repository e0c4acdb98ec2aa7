#pragma once
// The one vector and matrix header: 3-vectors, 3x3 matrices stored by rows
// and 4x4 part transforms, for float and double alike. Every function
// evaluates in the order written here (x, then y, then z; sums left to right)
// because output files must be byte-identical on every compiler and machine;
// do not reorder the arithmetic.

#include <array>
#include <cmath>

namespace kx {

template <class T>
using Vec3T = std::array<T, 3>;
using Vec3 = Vec3T<float>;
using Vec3d = Vec3T<double>;
using Vec2 = std::array<float, 2>;

// Rows of a 3x3 matrix: m[r][c]; row r gives coordinate r of a product.
template <class T>
using Mat3T = std::array<Vec3T<T>, 3>;
using Mat3 = Mat3T<float>;

// Row-major 4x4 matrix applied to column vectors (x, y, z, 1).
using Mat4 = std::array<std::array<float, 4>, 4>;

// Widening is exact, so the double arithmetic that follows sees the very
// values the floats held.
constexpr Vec3d ToDouble(const Vec3& a) {
    return {a[0], a[1], a[2]};
}

template <class T>
constexpr Vec3T<T> Add(const Vec3T<T>& a, const Vec3T<T>& b) {
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}

template <class T>
constexpr Vec3T<T> Sub(const Vec3T<T>& a, const Vec3T<T>& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

template <class T>
constexpr Vec3T<T> Scale(const Vec3T<T>& a, T s) {
    return {a[0] * s, a[1] * s, a[2] * s};
}

template <class T>
constexpr T Dot(const Vec3T<T>& a, const Vec3T<T>& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

template <class T>
constexpr Vec3T<T> Cross(const Vec3T<T>& a, const Vec3T<T>& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

template <class T>
T Length(const Vec3T<T>& a) {
    return std::sqrt(Dot(a, a));
}

// Divided by its length; a zero-length vector stays as it is.
template <class T>
Vec3T<T> Normalised(const Vec3T<T>& a) {
    const T length = Length(a);
    if (length == T(0)) {
        return a;
    }
    return {a[0] / length, a[1] / length, a[2] / length};
}

template <class T>
constexpr Mat3T<T> Identity3() {
    return {{{T(1), T(0), T(0)}, {T(0), T(1), T(0)}, {T(0), T(0), T(1)}}};
}

// m x v: coordinate r is row r dotted with v.
template <class T>
constexpr Vec3T<T> Mul(const Mat3T<T>& m, const Vec3T<T>& v) {
    return {Dot(m[0], v), Dot(m[1], v), Dot(m[2], v)};
}

constexpr Mat4 Identity4() {
    return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

// Rows 0 to 2 are the rotation's rows, each followed by the offset's matching
// component; row 3 is (0, 0, 0, 1).
constexpr Mat4 MakeTransform(const Mat3& rotation, const Vec3& offset) {
    Mat4 m = Identity4();
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            m[r][c] = rotation[r][c];
        }
        m[r][3] = offset[r];
    }
    return m;
}

// a x b in single precision, each element summed over k = 0..3 in order.
constexpr Mat4 Mul(const Mat4& a, const Mat4& b) {
    Mat4 m{};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            m[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c] + a[r][3] * b[3][c];
        }
    }
    return m;
}

// The point (x, y, z, 1) through m: coordinate r is row r dotted with it.
constexpr Vec3 TransformPoint(const Mat4& m, const Vec3& p) {
    Vec3 out{};
    for (int r = 0; r < 3; ++r) {
        out[r] = m[r][0] * p[0] + m[r][1] * p[1] + m[r][2] * p[2] + m[r][3];
    }
    return out;
}

template <class T>
bool IsFinite(const Vec3T<T>& a) {
    return std::isfinite(a[0]) && std::isfinite(a[1]) && std::isfinite(a[2]);
}

}  // namespace kx
