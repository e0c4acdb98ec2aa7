#include "render/PanelPainter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "render/Palette.h"
#include "render/TextForCairo.h"

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

void SetColour(cairo_t* cr, const Colour& c, float shade) {
    cairo_set_source_rgb(cr, c.r * shade, c.g * shade, c.b * shade);
}

// The triangle's path with every edge moved `grow` pixels outward. Corners
// move along their bisectors; a needle-sharp corner moves at most three
// times `grow`, so slivers do not sprout spikes.
void TrianglePath(cairo_t* cr, const ScreenPoint (&p)[3], double grow) {
    for (int k = 0; k < 3; ++k) {
        const ScreenPoint& at = p[k];
        double x = at.x, y = at.y;
        if (grow > 0) {
            const ScreenPoint& a = p[(k + 1) % 3];
            const ScreenPoint& b = p[(k + 2) % 3];
            double ux = a.x - at.x, uy = a.y - at.y, vx = b.x - at.x, vy = b.y - at.y;
            const double lu = std::sqrt(ux * ux + uy * uy), lv = std::sqrt(vx * vx + vy * vy);
            if (lu > 0 && lv > 0) {
                ux /= lu, uy /= lu, vx /= lv, vy /= lv;
                double bx = ux + vx, by = uy + vy;
                const double lb = std::sqrt(bx * bx + by * by);
                if (lb > 1e-9) {
                    bx /= lb, by /= lb;
                    // sin of half the corner's angle
                    const double half = std::abs(ux * by - uy * bx);
                    const double shift = half > 1.0 / 3 ? grow / half : 3 * grow;
                    x -= bx * shift;
                    y -= by * shift;
                }
            }
        }
        if (k == 0) {
            cairo_move_to(cr, x, y);
        } else {
            cairo_line_to(cr, x, y);
        }
    }
    cairo_close_path(cr);
}

void PaintTriangles(cairo_t* cr, const PreparedScene& prepared, const PanelProjection& projection) {
    const RenderScene& scene = prepared.scene;
    const ViewBasis& basis = projection.Basis();
    cairo_set_line_width(cr, 1.0);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_FAST);
    for (const DrawItem& d : BackToFront(prepared, basis)) {
        const bool hull = (d.item & kHullItem) != 0;
        const size_t t = d.item & ~kHullItem;
        const std::vector<Vec3>& corners = hull ? scene.hullCorners : scene.corners;
        ScreenPoint p[3];
        for (int k = 0; k < 3; ++k) {
            p[k] = projection.ToScreen(corners[3 * t + k]);
        }
        if (hull) {
            const Colour c = HullColour(scene.hullKindOf[t]);
            TrianglePath(cr, p, 0.0);
            cairo_set_source_rgba(cr, c.r, c.g, c.b, kHullFillAlpha);
            cairo_fill_preserve(cr);
            cairo_set_source_rgba(cr, c.r, c.g, c.b, kHullEdgeAlpha);
            cairo_stroke(cr);
            continue;
        }
        const Vec3& n = prepared.normals[t];
        const Vec3 inView{Dot(n, basis.right), Dot(n, basis.up), Dot(n, basis.toward)};
        const float light = std::max(0.0f, Dot(inView, kLight));
        SetColour(cr, GroupColour(scene.groupOf[t]), kAmbient + kDiffuse * light);
        TrianglePath(cr, p, kSeamCover);
        cairo_fill(cr);
    }
}

}  // namespace

void RimmedText(cairo_t* cr, double x, double y, const char* text) {
    cairo_move_to(cr, x, y);
    cairo_text_path(cr, text);
    cairo_set_source_rgb(cr, kBackground.r, kBackground.g, kBackground.b);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke_preserve(cr);
    cairo_set_source_rgb(cr, kText.r, kText.g, kText.b);
    cairo_fill(cr);
}

namespace {

void PaintArrow(cairo_t* cr, ScreenPoint from, ScreenPoint to, const Colour& c) {
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length < 3.0) {
        // Pointing at the viewer or away: a ring says so.
        cairo_arc(cr, from.x, from.y, 3.5, 0, 2 * std::numbers::pi);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
        return;
    }
    const double ux = dx / length, uy = dy / length;
    const double head = std::min(7.0, 0.45 * length);
    cairo_set_line_width(cr, 2.0);
    cairo_move_to(cr, from.x, from.y);
    cairo_line_to(cr, to.x - ux * head * 0.5, to.y - uy * head * 0.5);
    cairo_stroke(cr);
    cairo_move_to(cr, to.x, to.y);
    cairo_line_to(cr, to.x - ux * head - uy * head * 0.45, to.y - uy * head + ux * head * 0.45);
    cairo_line_to(cr, to.x - ux * head + uy * head * 0.45, to.y - uy * head - ux * head * 0.45);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void PaintHardpoints(cairo_t* cr, const PreparedScene& prepared,
                     const PanelProjection& projection) {
    const RenderScene& scene = prepared.scene;
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 10.0);
    for (size_t h = 0; h < scene.hardpoints.size(); ++h) {
        if (!prepared.hardpointDrawable[h]) {
            continue;
        }
        const SceneHardpoint& hp = scene.hardpoints[h];
        const ScreenPoint origin = projection.ToScreen(hp.position);
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
            PaintArrow(cr, origin, projection.ToScreen(Add(hp.position, tips[axis])),
                       kAxisColours[axis]);
        }
        RimmedText(cr, origin.x + 5, origin.y - 5, TextForCairo(hp.name).c_str());
    }
}

}  // namespace

void PaintPanel(cairo_t* cr, const PreparedScene& prepared, ViewKind view, const PanelRect& clip,
                const PanelRect& fit, bool hardpoints) {
    const PanelProjection projection(prepared, view, fit, hardpoints);
    cairo_save(cr);
    cairo_rectangle(cr, clip.x, clip.y, clip.width, clip.height);
    cairo_clip(cr);
    PaintTriangles(cr, prepared, projection);
    if (hardpoints) {
        PaintHardpoints(cr, prepared, projection);
    }
    cairo_restore(cr);
}

}  // namespace kx
