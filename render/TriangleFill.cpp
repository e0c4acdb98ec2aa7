#include "render/TriangleFill.h"

#include <algorithm>
#include <cmath>

namespace kx {

namespace {

constexpr int kSamples = 4;  // sample rows and columns in a pixel
constexpr uint32_t kFullWeight = kSamples * kSamples * 256;

uint32_t Blend(uint32_t under, uint32_t over, uint32_t weight) {
    if (weight == kFullWeight) {
        return over & 0xFFFFFF;  // what the sums below give, and most pixels of a large fill
    }
    uint32_t out = 0;
    for (uint32_t shift = 0; shift <= 16; shift += 8) {
        const uint32_t u = (under >> shift) & 0xFF;
        const uint32_t o = (over >> shift) & 0xFF;
        out |= (u * (kFullWeight - weight) + o * weight + kFullWeight / 2) / kFullWeight << shift;
    }
    return out;
}

// The first sample column at or right of x, and the last at or left of it,
// kept within the columns first to last (all from 0).
int FirstColumn(double x, int first, int last) {
    const double v = std::clamp(x * kSamples - 0.5, double(first), double(last) + 1);
    const int c = static_cast<int>(v);
    return c < v ? c + 1 : c;
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
    Bound left[3], right[3];
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
    target.cover.assign(2 * width + 1, 0);
    int* cover = target.cover.data();
    int* full = cover + width;
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
            for (int k = 0; k < lefts; ++k) {
                from = std::max(from, left[k].slope * py + left[k].offset);
            }
            for (int k = 0; k < rights; ++k) {
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
            const int pxLo = sLo / kSamples, pxHi = sHi / kSamples;
            if (pxLo == pxHi) {
                cover[pxLo - x0] += sHi - sLo + 1;
            } else {
                cover[pxLo - x0] += kSamples - sLo % kSamples;
                cover[pxHi - x0] += sHi % kSamples + 1;
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
                row[x] = Blend(row[x], rgb, static_cast<uint32_t>(n * opacity));
            }
        }
    }
}

}  // namespace kx
