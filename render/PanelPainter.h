#pragma once
// Paints one view of a scene into one panel of a cairo surface: the model
// flat shaded, hulls as translucent outlines, hardpoint arrows with names.

#include <cairo.h>

#include <string>
#include <vector>

#include "render/LabelPlacement.h"
#include "render/PanelProjection.h"
#include "render/ScenePreparation.h"
#include "render/View.h"

namespace kx {

// A hardpoint's name as drawn, and its size, measured once for every panel.
struct HardpointLabel {
    std::string text;
    cairo_text_extents_t extents{};
};
std::vector<HardpointLabel> MeasureHardpointLabels(cairo_t* cr, const RenderScene& scene);

// The model is fitted into `fit` and nothing is drawn outside `clip`;
// hardpoints beyond `fit` are marked at its edge, and named (from `names`,
// one per hardpoint) as `labels` says. Returns the boxes of the names drawn.
std::vector<LabelBox> PaintPanel(cairo_t* cr, const PreparedScene& prepared, ViewKind view,
                                 const PanelRect& clip, const PanelRect& fit, bool hardpoints,
                                 const std::vector<HardpointLabel>& names, LabelMode labels);

// Text at (x, y) with a dark rim, readable over the model and the background
// alike. `text` must be valid UTF-8 (see TextForCairo).
void RimmedText(cairo_t* cr, double x, double y, const char* text);

}  // namespace kx
