#pragma once
// Flat triangles filled straight into a picture's pixels. A ship's sheet
// paints a hundred thousand triangles of a few pixels each; a drawing
// library's cost per fill (path, scan conversion, compositing) was most of
// the picture's time, while the pixels themselves are few.

#include <cstdint>
#include <vector>

#include "render/PanelProjection.h"

namespace kx {

// Pixels 0x00RRGGBB, `stride` of them a row; only those in columns x0 to x1
// and rows y0 to y1 (each end excluded) are touched.
struct PixelTarget {
    uint32_t* pixels = nullptr;
    int stride = 0;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    std::vector<int> cover;  // room for one row's sample counts, twice; all zeros between fills
};

inline constexpr int kOpaque = 256;

// Covers each pixel by the share of its 4 x 4 sample points inside the
// triangle (either winding), blending `rgb` at `opacity` (of kOpaque) over
// what is there. Sums are in doubles and integers, in one order, so every
// machine gives the same pixels.
void FillTriangle(PixelTarget& target, const ScreenPoint (&corners)[3], uint32_t rgb,
                  int opacity = kOpaque);

}  // namespace kx
