#include "render/PanelPainter.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "render/Palette.h"
#include "render/TextForCairo.h"
#include "render/TriangleFill.h"

namespace kx {

namespace {

// The light comes from above left of the viewer, fixed to the view, so every
// view is lit the same way; faces turned from it keep some ambient light.
const Vec3 kLight = Normalised(Vec3{-0.45f, 0.6f, 0.66f});
constexpr float kAmbient = 0.32f;
constexpr float kDiffuse = 0.68f;

// Neighbouring triangles painted one by one with anti-aliasing leave faint
// seams of what lies behind along shared edges; moving every edge this far
// (in pixels) outward closes them.
constexpr double kSeamCover = 0.5;

// Light enough that a hull seen through several layers of others still
// lets the model show.
constexpr double kHullFillAlpha = 0.07;
constexpr double kHullEdgeAlpha = 0.45;

constexpr double kLabelFontSize = 10.0;

// The triangle's corners with every edge moved `grow` pixels outward. Corners
// move along their bisectors; a needle-sharp corner moves at most three
// times `grow`, so slivers do not sprout spikes.
void GrowTriangle(ScreenPoint (&p)[3], double grow) {
    double ex[3], ey[3];  // unit edges, k from corner k to corner k + 1
    for (int k = 0; k < 3; ++k) {
        ex[k] = p[(k + 1) % 3].x - p[k].x;
        ey[k] = p[(k + 1) % 3].y - p[k].y;
        const double length = std::sqrt(ex[k] * ex[k] + ey[k] * ey[k]);
        if (!(length > 0)) {
            return;  // two corners in one place: nothing to grow
        }
        ex[k] /= length;
        ey[k] /= length;
    }
    ScreenPoint grown[3];
    for (int k = 0; k < 3; ++k) {
        // u along the corner's outgoing edge, v back along its incoming one;
        // u + v points into the triangle along the bisector.
        const double ux = ex[k], uy = ey[k];
        const double vx = -ex[(k + 2) % 3], vy = -ey[(k + 2) % 3];
        const double bx = ux + vx, by = uy + vy;
        const double sine = std::abs(ux * vy - uy * vx);  // of the corner's angle
        grown[k] = p[k];
        if (sine < 1e-9) {
            continue;  // a flat corner
        }
        // Moving every edge out by grow moves the corner by grow / sin(angle / 2)
        // along the bisector, that is (u + v) grow / sin(angle); a corner
        // sharper than 2 asin(1/3) (cos above 7/9) moves 3 grow only.
        double scale = grow / sine;
        if (ux * vx + uy * vy > 7.0 / 9) {
            scale = 3 * grow / std::sqrt(bx * bx + by * by);
        }
        grown[k].x -= bx * scale;
        grown[k].y -= by * scale;
    }
    for (int k = 0; k < 3; ++k) {
        p[k] = grown[k];
    }
}

uint32_t Rgb(const Colour& c, float shade) {
    auto channel = [&](float v) {
        // Rounded half up, as lround rounds a value this side of 0; the sum in
        // double is exact, so a value a hair below a half stays below.
        const float scaled = std::clamp(v * shade, 0.0f, 1.0f) * 255.0f;
        return static_cast<uint32_t>(static_cast<double>(scaled) + 0.5);
    };
    return channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}

// A line `width` pixels wide, as two thin triangles.
void FillLine(PixelTarget& target, const ScreenPoint& from, const ScreenPoint& to, uint32_t rgb,
              int opacity = kOpaque, double width = 1.0) {
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (!(length > 0)) {
        return;
    }
    const double nx = -dy / length * width / 2, ny = dx / length * width / 2;
    const ScreenPoint a{from.x + nx, from.y + ny}, b{to.x + nx, to.y + ny};
    const ScreenPoint c{to.x - nx, to.y - ny}, d{from.x - nx, from.y - ny};
    const ScreenPoint first[3] = {a, b, c}, second[3] = {a, c, d};
    FillTriangle(target, first, rgb, opacity);
    FillTriangle(target, second, rgb, opacity);
}

// The pixels of cr's picture within `clip`, once cairo has finished with
// them; whatever is drawn there must be handed back (cairo_surface_mark_dirty)
// before cairo draws again.
PixelTarget TargetOf(cairo_t* cr, const PanelRect& clip) {
    cairo_surface_t* surface = cairo_get_target(cr);
    cairo_surface_flush(surface);
    PixelTarget target;
    target.pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
    target.stride = cairo_image_surface_get_stride(surface) / static_cast<int>(sizeof(uint32_t));
    target.x0 = std::max(0, static_cast<int>(std::floor(clip.x)));
    target.y0 = std::max(0, static_cast<int>(std::floor(clip.y)));
    target.x1 = std::min(cairo_image_surface_get_width(surface),
                         static_cast<int>(std::ceil(clip.x + clip.width)));
    target.y1 = std::min(cairo_image_surface_get_height(surface),
                         static_cast<int>(std::ceil(clip.y + clip.height)));
    return target;
}

// Every triangle goes straight into the picture's pixels (see TriangleFill).
void PaintTriangles(PixelTarget& target, const PreparedScene& prepared,
                    const PanelProjection& projection) {
    const RenderScene& scene = prepared.scene;
    const ViewBasis& basis = projection.Basis();
    const int hullFill = static_cast<int>(std::lround(kHullFillAlpha * kOpaque));
    const int hullEdge = static_cast<int>(std::lround(kHullEdgeAlpha * kOpaque));
    for (const DrawItem& d : BackToFront(prepared, basis)) {
        const bool hull = (d.item & kHullItem) != 0;
        const size_t t = d.item & ~kHullItem;
        const std::vector<Vec3>& corners = hull ? scene.hullCorners : scene.corners;
        ScreenPoint p[3];
        for (int k = 0; k < 3; ++k) {
            p[k] = projection.ToScreen(corners[3 * t + k]);
        }
        if (hull) {
            const uint32_t rgb = Rgb(HullColour(scene.hullKindOf[t]), 1.0f);
            FillTriangle(target, p, rgb, hullFill);
            for (int k = 0; k < 3; ++k) {
                FillLine(target, p[k], p[(k + 1) % 3], rgb, hullEdge);
            }
            continue;
        }
        const Vec3& n = prepared.normals[t];
        const Vec3 inView{Dot(n, basis.right), Dot(n, basis.up), Dot(n, basis.toward)};
        const float light = std::max(0.0f, Dot(inView, kLight));
        GrowTriangle(p, kSeamCover);
        FillTriangle(target, p, Rgb(GroupColour(scene.groupOf[t]), kAmbient + kDiffuse * light));
    }
}

}  // namespace

void RimmedText(cairo_t* cr, double x, double y, const char* text) {
    // The rim is the text itself in the background colour, shifted a pixel
    // each way: glyphs come from cairo's cache, where stroking their
    // outlines cost more than all the rest of a crowded sheet.
    cairo_set_source_rgb(cr, kBackground.r, kBackground.g, kBackground.b);
    constexpr double kShifts[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0},
                                      {1, 0},   {-1, 1}, {0, 1},  {1, 1}};
    for (const auto& shift : kShifts) {
        cairo_move_to(cr, x + shift[0], y + shift[1]);
        cairo_show_text(cr, text);
    }
    cairo_set_source_rgb(cr, kText.r, kText.g, kText.b);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text);
}

std::vector<HardpointLabel> MeasureHardpointLabels(cairo_t* cr, const RenderScene& scene) {
    cairo_save(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kLabelFontSize);
    std::vector<HardpointLabel> labels(scene.hardpoints.size());
    for (size_t h = 0; h < labels.size(); ++h) {
        labels[h].text = TextForCairo(scene.hardpoints[h].name);
        cairo_text_extents(cr, labels[h].text.c_str(), &labels[h].extents);
    }
    cairo_restore(cr);
    return labels;
}

namespace {

void PaintArrow(PixelTarget& target, ScreenPoint from, ScreenPoint to, const Colour& c) {
    const uint32_t rgb = Rgb(c, 1.0f);
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length < 3.0) {
        // Pointing at the viewer or away: a ring says so.
        constexpr int kSides = 16;
        for (int k = 0; k < kSides; ++k) {
            const double a0 = 2 * std::numbers::pi * k / kSides;
            const double a1 = 2 * std::numbers::pi * (k + 1) / kSides;
            FillLine(target, {from.x + 3.5 * std::cos(a0), from.y + 3.5 * std::sin(a0)},
                     {from.x + 3.5 * std::cos(a1), from.y + 3.5 * std::sin(a1)}, rgb, kOpaque, 1.5);
        }
        return;
    }
    const double ux = dx / length, uy = dy / length;
    const double head = std::min(7.0, 0.45 * length);
    FillLine(target, from, {to.x - ux * head * 0.5, to.y - uy * head * 0.5}, rgb, kOpaque, 2.0);
    const ScreenPoint tip[3] = {
        to,
        {to.x - ux * head - uy * head * 0.45, to.y - uy * head + ux * head * 0.45},
        {to.x - ux * head + uy * head * 0.45, to.y - uy * head - ux * head * 0.45}};
    FillTriangle(target, tip, rgb);
}

// A hardpoint outside the framed area: a light arrow at the area's edge,
// pointing towards where it lies.
void PaintFarMarker(PixelTarget& target, ScreenPoint at, ScreenPoint toward) {
    const double dx = toward.x - at.x, dy = toward.y - at.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    const double ux = length > 0 ? dx / length : 1, uy = length > 0 ? dy / length : 0;
    constexpr double kShaft = 12;
    PaintArrow(target, {at.x - ux * kShaft, at.y - uy * kShaft}, at, kText);
}

struct PendingLabel {
    const std::string* text;
    double x, y;  // where the text starts, on its base line
};

// Arrows first, then the labels that fit, so that no arrow covers a name.
std::vector<LabelBox> PaintHardpoints(cairo_t* cr, PixelTarget& target,
                                      const PreparedScene& prepared,
                                      const PanelProjection& projection, const PanelRect& fit,
                                      const std::vector<HardpointLabel>& names, LabelMode labels) {
    const RenderScene& scene = prepared.scene;
    // Markers of far hardpoints sit this far inside the framed area, within
    // the margin the model keeps, so no hardpoint on the model counts as far.
    const double kEdge = std::min(8.0, 0.05 * std::min(fit.width, fit.height));
    const double loX = fit.x + kEdge, hiX = std::max(loX, fit.x + fit.width - kEdge);
    const double loY = fit.y + kEdge, hiY = std::max(loY, fit.y + fit.height - kEdge);
    std::vector<PendingLabel> pending;
    std::vector<LabelBox> boxes;
    for (size_t h = 0; h < scene.hardpoints.size(); ++h) {
        if (!prepared.hardpointDrawable[h]) {
            continue;
        }
        const SceneHardpoint& hp = scene.hardpoints[h];
        ScreenPoint origin = projection.ToScreen(hp.position);
        const ScreenPoint edge{std::clamp(origin.x, loX, hiX), std::clamp(origin.y, loY, hiY)};
        if (edge.x != origin.x || edge.y != origin.y) {
            PaintFarMarker(target, edge, origin);
            origin = edge;
        } else {
            // Farthest arrow first, so the nearest one is drawn over the others.
            int order[3] = {0, 1, 2};
            Vec3 tips[3];
            double depth[3];
            for (int axis = 0; axis < 3; ++axis) {
                tips[axis] = ArrowOf(hp, axis, prepared.arrowLength);
                depth[axis] = projection.Depth(tips[axis]);
            }
            std::stable_sort(order, order + 3, [&](int a, int b) { return depth[a] < depth[b]; });
            for (int axis : order) {
                if (tips[axis] == Vec3{}) {
                    continue;
                }
                PaintArrow(target, origin, projection.ToScreen(Add(hp.position, tips[axis])),
                           kAxisColours[axis]);
            }
        }
        if (labels == LabelMode::None) {
            continue;
        }
        const cairo_text_extents_t& extents = names[h].extents;
        PendingLabel label{&names[h].text, origin.x + 5, origin.y - 5};
        // A name at the right edge goes to the left of its point, one at the
        // top below it.
        if (label.x + extents.x_advance > fit.x + fit.width) {
            label.x = origin.x - 5 - extents.x_advance;
        }
        if (label.y + extents.y_bearing < fit.y) {
            label.y = origin.y + 5 - extents.y_bearing;
        }
        // The rim adds a pixel or two round the glyphs.
        boxes.push_back({label.x + extents.x_bearing - 2, label.y + extents.y_bearing - 2,
                         extents.width + 4, extents.height + 4});
        pending.push_back(label);
    }
    cairo_surface_mark_dirty(cairo_get_target(cr));
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, kLabelFontSize);
    const std::vector<uint8_t> drawn = ChooseLabels(boxes, labels);
    std::vector<LabelBox> shown;
    for (size_t i = 0; i < pending.size(); ++i) {
        if (drawn[i]) {
            RimmedText(cr, pending[i].x, pending[i].y, pending[i].text->c_str());
            shown.push_back(boxes[i]);
        }
    }
    return shown;
}

}  // namespace

std::vector<LabelBox> PaintPanel(cairo_t* cr, const PreparedScene& prepared, ViewKind view,
                                 const PanelRect& clip, const PanelRect& fit, bool hardpoints,
                                 const std::vector<HardpointLabel>& names, LabelMode labels) {
    const PanelProjection projection(prepared, view, fit, hardpoints);
    PixelTarget target = TargetOf(cr, clip);
    PaintTriangles(target, prepared, projection);
    std::vector<LabelBox> shown;
    if (hardpoints) {
        cairo_save(cr);
        cairo_rectangle(cr, clip.x, clip.y, clip.width, clip.height);
        cairo_clip(cr);
        shown = PaintHardpoints(cr, target, prepared, projection, fit, names, labels);
        cairo_restore(cr);
    } else {
        cairo_surface_mark_dirty(cairo_get_target(cr));
    }
    return shown;
}

}  // namespace kx
