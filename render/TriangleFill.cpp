#include "render/TriangleFill.h"

#include <algorithm>
#include <cmath>

namespace kx {

namespace {

constexpr int kSamples = 4;  // sample rows and columns in a pixel
constexpr int kFullWeight = kSamples * kSamples * 256;

uint32_t Blend(uint32_t under, uint32_t over, int weight) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int u = static_cast<int>((under >> shift) & 0xFF);
        const int o = static_cast<int>((over >> shift) & 0xFF);
        out |= static_cast<uint32_t>((u * (kFullWeight - weight) + o * weight + kFullWeight / 2) /
                                     kFullWeight)
               << shift;
    }
    return out;
}

}  // namespace

void FillTriangle(PixelTarget& target, const ScreenPoint (&p)[3], uint32_t rgb, int opacity) {
    const double area =
        (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
    if (!(std::fabs(area) > 1e-12) || !std::isfinite(area)) {
        return;  // no area, or a corner that is not finite
    }
    // Edge k's inside is a x + b y + c >= 0.
    double a[3], b[3], c[3];
    for (int k = 0; k < 3; ++k) {
        const ScreenPoint& from = p[k];
        const ScreenPoint& to = p[(k + 1) % 3];
        const double sign = area > 0 ? 1 : -1;
        a[k] = sign * (from.y - to.y);
        b[k] = sign * (to.x - from.x);
        c[k] = sign * (from.x * to.y - from.y * to.x);
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
    std::vector<int>& cover = target.cover;
    cover.assign(static_cast<size_t>(x1 - x0), 0);
    for (int y = y0; y < y1; ++y) {
        // Each sample row crosses the triangle in one run of sample columns;
        // a pixel is covered by the samples of the runs that fall in it.
        int first = x1, last = x0 - 1;
        for (int sy = 0; sy < kSamples; ++sy) {
            const double py = y + (sy + 0.5) / kSamples;
            double from = loX - 1, to = hiX + 1;
            bool empty = false;
            for (int k = 0; k < 3; ++k) {
                const double rest = b[k] * py + c[k];
                if (a[k] > 0) {
                    from = std::max(from, -rest / a[k]);
                } else if (a[k] < 0) {
                    to = std::min(to, -rest / a[k]);
                } else if (rest < 0) {
                    empty = true;
                }
            }
            if (empty || from > to) {
                continue;
            }
            // Sample column s lies at (s + 0.5) / kSamples.
            const double lo = std::max(std::ceil(from * kSamples - 0.5), double{x0} * kSamples);
            const double hi = std::min(std::floor(to * kSamples - 0.5), double{x1} * kSamples - 1);
            if (lo > hi) {
                continue;
            }
            const int sLo = static_cast<int>(lo), sHi = static_cast<int>(hi);
            for (int px = sLo / kSamples; px <= sHi / kSamples; ++px) {
                cover[px - x0] +=
                    std::min(sHi, px * kSamples + kSamples - 1) - std::max(sLo, px * kSamples) + 1;
            }
            first = std::min(first, sLo / kSamples);
            last = std::max(last, sHi / kSamples);
        }
        uint32_t* row = target.pixels + static_cast<ptrdiff_t>(y) * target.stride;
        for (int x = first; x <= last; ++x) {
            int& n = cover[x - x0];
            if (n > 0) {
                row[x] = Blend(row[x], rgb, n * opacity);
                n = 0;
            }
        }
    }
}

}  // namespace kx
