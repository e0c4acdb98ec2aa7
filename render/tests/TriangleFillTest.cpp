#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/TriangleFill.h"

namespace kx {
namespace {

constexpr uint32_t kUnder = 0x102030, kOver = 0xF0E0D0;

struct Canvas {
    int width, height;
    std::vector<uint32_t> pixels;
    PixelTarget target;

    Canvas(int w, int h) : width(w), height(h), pixels(size_t(w) * h, kUnder) {
        target.pixels = pixels.data();
        target.stride = w;
        target.x1 = w;
        target.y1 = h;
    }
    uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

TEST(FillTriangle, CoversBySamplesAndBlendsTheEdges) {
    // Half a square from (2, 2) to (6, 6), below its diagonal (x >= y), wound
    // either way: pixels wholly inside take the colour, pixels beyond its
    // edges are not touched.
    for (const bool reversed : {false, true}) {
        Canvas c(10, 10);
        const ScreenPoint a[3] = {{2, 2}, {6, 2}, {6, 6}}, b[3] = {{2, 2}, {6, 6}, {6, 2}};
        FillTriangle(c.target, reversed ? b : a, kOver);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 10; ++x) {
                const bool whole = x >= 2 && x < 6 && y >= 2 && x >= y + 1;
                const bool none = x < 2 || x >= 6 || y < 2 || y >= 6 || x + 1 <= y;
                if (whole || none) {
                    EXPECT_EQ(c.At(x, y), whole ? kOver : kUnder) << x << "," << y;
                }
            }
        }
        // On the diagonal 10 of 16 samples are inside (those on it count).
        EXPECT_NE(c.At(3, 3), kOver);
        EXPECT_NE(c.At(3, 3), kUnder);
    }

    // An edge down the middle of column 2: two of its four sample columns
    // inside, halfway in each channel.
    Canvas half(10, 10);
    const ScreenPoint edge[3] = {{2.5, 0}, {2.5, 20}, {20, 20}};
    FillTriangle(half.target, edge, kOver);
    EXPECT_EQ(half.At(2, 8), 0x808080u);
    EXPECT_EQ(half.At(1, 8), kUnder);

    // At a quarter opacity a covered pixel moves a quarter of the way.
    Canvas faint(10, 10);
    const ScreenPoint a[3] = {{2, 2}, {6, 2}, {6, 6}};
    FillTriangle(faint.target, a, kOver, kOpaque / 4);
    EXPECT_EQ(faint.At(5, 3), 0x485058u);
}

TEST(FillTriangle, StaysInsideItsTargetAndSkipsWhatHasNoArea) {
    Canvas c(8, 8);
    c.target.x0 = 2;
    c.target.y0 = 2;
    c.target.x1 = 5;
    c.target.y1 = 5;
    const ScreenPoint big[3] = {{-100, -100}, {300, -100}, {-100, 300}};
    FillTriangle(c.target, big, kOver);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 2 && y < 5;
            EXPECT_EQ(c.At(x, y), inside ? kOver : kUnder) << x << "," << y;
        }
    }
    Canvas flat(8, 8);
    const ScreenPoint line[3] = {{1, 1}, {4, 4}, {7, 7}};
    const ScreenPoint huge[3] = {{1, 1}, {1e300, 1}, {1, 1e300}};
    const ScreenPoint nan[3] = {{1, 1}, {std::nan(""), 1}, {1, 5}};
    FillTriangle(flat.target, line, kOver);
    FillTriangle(flat.target, huge, kOver);
    FillTriangle(flat.target, nan, kOver);
    EXPECT_EQ(flat.At(0, 0), kUnder);
    EXPECT_EQ(flat.At(4, 4), kUnder);
}

}  // namespace
}  // namespace kx
