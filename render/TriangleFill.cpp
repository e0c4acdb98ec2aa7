#include "render/TriangleFill.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kx {

namespace {

constexpr int kSamples = 4;  // sample rows and columns in a pixel
constexpr uint32_t kFullWeight = kSamples * kSamples * 256;

// The three channels side by side, 21 bits apart: a channel's blend sum
// (at most 255 x 4096 + 2048) stays below 2^21, so one multiply serves all
// three and each is still its own sum.
constexpr uint64_t Spread(uint32_t rgb) {
    return (rgb & 0xFFu) | uint64_t{rgb & 0xFF00u} << 13 | uint64_t{rgb & 0xFF0000u} << 26;
}

// `over` as Spread gives it. No shortcut for a fully covered pixel (the sums
// give `over` itself): whether the next pixel is one cannot be foreseen.
uint32_t Blend(uint32_t under, uint64_t spreadOver, uint32_t weight) {
    constexpr uint64_t kHalf = Spread(0x010101u) * (kFullWeight / 2);
    const uint64_t sum = Spread(under) * (kFullWeight - weight) + spreadOver * weight + kHalf;
    constexpr int kShift = 12;  // kFullWeight = 2^12
    static_assert(kFullWeight == 1u << kShift);
    return static_cast<uint32_t>((sum >> kShift) & 0xFF) |
           static_cast<uint32_t>((sum >> (21 + kShift)) & 0xFF) << 8 |
           static_cast<uint32_t>((sum >> (42 + kShift)) & 0xFF) << 16;
}

// The first sample column at or right of x, and the last at or left of it,
// kept within the columns first to last (all from 0).
int FirstColumn(double x, int first, int last) {
    const double v = std::clamp(x * kSamples - 0.5, double(first), double(last) + 1);
    const int c = static_cast<int>(v);
    return c + static_cast<int>(c < v);
}
int LastColumn(double x, int first, int last) {
    const double v = std::clamp(x * kSamples - 0.5, double(first) - 1, double(last));
    return v < 0 ? -1 : static_cast<int>(v);  // v >= -1: truncation is the floor
}

}  // namespace

void FillTriangle(PixelTarget& target, const ScreenPoint (&p)[3], uint32_t rgb, int opacity) {
    const double area =
        (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
    if (!(std::fabs(area) > 1e-12) || !std::isfinite(area)) {
        return;  // no area, or a corner that is not finite
    }
    // Edge k's inside is a x + b y + c >= 0: on a sample row at height y,
    // x from (a > 0) or up to (a < 0) slope y + offset. A level edge (a = 0)
    // is the top or bottom of the triangle, which the rows' range keeps.
    struct Bound {
        double slope, offset;
    };
    // Each side has one or two edges (a triangle with area has both sides);
    // a missing second is a bound that never binds, so every row takes two
    // of each without a branch on how many there are.
    constexpr double kNever = std::numeric_limits<double>::infinity();
    Bound left[3] = {{0, -kNever}, {0, -kNever}, {0, -kNever}};
    Bound right[3] = {{0, kNever}, {0, kNever}, {0, kNever}};
    int lefts = 0, rights = 0;
    for (int k = 0; k < 3; ++k) {
        const ScreenPoint& from = p[k];
        const ScreenPoint& to = p[(k + 1) % 3];
        const double sign = area > 0 ? 1 : -1;
        const double a = sign * (from.y - to.y);
        const double b = sign * (to.x - from.x);
        const double c = sign * (from.x * to.y - from.y * to.x);
        if (a != 0) {
            const double inverse = 1 / a;
            (a > 0 ? left[lefts++] : right[rights++]) = {-b * inverse, -c * inverse};
        }
    }
    const double loY = std::min({p[0].y, p[1].y, p[2].y}), hiY = std::max({p[0].y, p[1].y, p[2].y});
    const double loX = std::min({p[0].x, p[1].x, p[2].x}), hiX = std::max({p[0].x, p[1].x, p[2].x});
    const int y0 = static_cast<int>(std::max<double>(target.y0, std::floor(loY)));
    const int y1 = static_cast<int>(std::min<double>(target.y1, std::ceil(hiY)));
    const int x0 = static_cast<int>(std::max<double>(target.x0, std::floor(loX)));
    const int x1 = static_cast<int>(std::min<double>(target.x1, std::ceil(hiX)));
    if (x0 >= x1 || y0 >= y1) {
        return;
    }
    // A pixel's samples: those of the runs that end in it (cover), plus 4 for
    // each run that passes right over it, counted as a running sum of where
    // such stretches begin and end (full), so a row costs its pixels once.
    const auto width = static_cast<size_t>(x1 - x0);
    // Every count a row adds lies between its first and last pixel, and is
    // cleared as the row is painted, so the room is all zeros between fills.
    if (target.cover.size() < 2 * width + 1) {
        target.cover.resize(2 * width + 1, 0);
    }
    int* cover = target.cover.data();
    int* full = cover + width;
    const uint64_t spread = Spread(rgb);
    for (int y = y0; y < y1; ++y) {
        // Each sample row crosses the triangle in one run of sample columns;
        // a pixel is covered by the samples of the runs that fall in it.
        int first = x1, last = x0 - 1;
        for (int sy = 0; sy < kSamples; ++sy) {
            const double py = y + (sy + 0.5) / kSamples;
            if (py < loY || py > hiY) {
                continue;
            }
            double from = loX, to = hiX;
            for (int k = 0; k < 2; ++k) {
                from = std::max(from, left[k].slope * py + left[k].offset);
                to = std::min(to, right[k].slope * py + right[k].offset);
            }
            if (from > to) {
                continue;
            }
            // Sample column s lies at (s + 0.5) / kSamples.
            const int sLo = FirstColumn(from, x0 * kSamples, x1 * kSamples - 1);
            const int sHi = LastColumn(to, x0 * kSamples, x1 * kSamples - 1);
            if (sLo > sHi) {
                continue;
            }
            // Both at least x0 * kSamples >= 0: unsigned, so the division
            // and remainder are a shift and a mask.
            const auto uLo = static_cast<unsigned>(sLo), uHi = static_cast<unsigned>(sHi);
            const int pxLo = static_cast<int>(uLo / kSamples),
                      pxHi = static_cast<int>(uHi / kSamples);
            if (pxLo == pxHi) {
                cover[pxLo - x0] += sHi - sLo + 1;
            } else {
                cover[pxLo - x0] += kSamples - static_cast<int>(uLo % kSamples);
                cover[pxHi - x0] += static_cast<int>(uHi % kSamples) + 1;
                full[pxLo + 1 - x0] += kSamples;
                full[pxHi - x0] -= kSamples;
            }
            first = std::min(first, pxLo);
            last = std::max(last, pxHi);
        }
        uint32_t* row = target.pixels + static_cast<ptrdiff_t>(y) * target.stride;
        int passing = 0;
        for (int x = first; x <= last; ++x) {
            passing += full[x - x0];
            const int n = cover[x - x0] + passing;
            cover[x - x0] = 0;
            full[x - x0] = 0;
            if (n > 0) {
                row[x] = Blend(row[x], spread, static_cast<uint32_t>(n * opacity));
            }
        }
    }
}

}  // namespace kx
