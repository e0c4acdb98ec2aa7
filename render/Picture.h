#pragma once
// A scene drawn as a picture: one view, or the sheet of four views with a
// caption; and the picture as PNG bytes.

#include <cstdint>
#include <vector>

#include "base/Result.h"
#include "render/LabelPlacement.h"
#include "render/RenderScene.h"
#include "render/View.h"

namespace kx {

inline constexpr int kMinPictureSide = 32;
inline constexpr int kMaxPictureSide = 8192;

struct RenderOptions {
    int width = 1024;
    int height = 768;
    ViewKind view = ViewKind::Sheet;
    bool hardpoints = true;
    LabelMode labels = LabelMode::Fit;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, row by row from the top
    std::vector<LabelBox> labels;  // where hardpoint names were drawn

    uint32_t At(int x, int y) const {
        return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF;
    }
};

// The sheet: front, left, top and iso, left to right and top to bottom, in
// four equal panels of the picture; the caption (file, level, counts) in its
// top left corner. A single view fills the picture and has no caption.
// Fails (Refused) for a size outside kMinPictureSide to kMaxPictureSide, and
// when the drawing library cannot draw it (memory).
Result<Picture> RenderPicture(const RenderScene& scene, const RenderOptions& options);

Result<std::vector<uint8_t>> EncodePng(const Picture& picture);

// The panels of a sheet of that size, in the order of its views.
struct SheetPanel {
    ViewKind view;
    int x, y, width, height;
};
std::vector<SheetPanel> SheetPanels(int width, int height);

}  // namespace kx
