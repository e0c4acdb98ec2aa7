#pragma once
// One view of a scene fitted into one panel of a picture: where every point
// lands on screen, and the order in which triangles are painted so that
// nearer ones cover farther ones.

#include <cstdint>
#include <vector>

#include "render/ScenePreparation.h"
#include "render/View.h"

namespace kx {

struct PanelRect {
    double x = 0, y = 0, width = 0, height = 0;
};

struct ScreenPoint {
    double x = 0, y = 0;
};

// A dot product of float vectors, summed in double.
inline double DotD(const Vec3& a, const Vec3& b) {
    return static_cast<double>(a[0]) * b[0] + static_cast<double>(a[1]) * b[1] +
           static_cast<double>(a[2]) * b[2];
}

class PanelProjection {
  public:
    // Fits the model's triangles and hulls inside `rect` less a margin,
    // keeping the model's proportions and centring it; with `hardpoints` and
    // nothing else to show, the hardpoints and their arrows.
    PanelProjection(const PreparedScene& prepared, ViewKind view, const PanelRect& rect,
                    bool hardpoints);

    const ViewBasis& Basis() const { return basis_; }
    // Inline: every corner of every triangle of every panel passes here.
    ScreenPoint ToScreen(const Vec3& p) const {
        return {panelX_ + (DotD(p, basis_.right) - centreX_) * scale_,
                panelY_ - (DotD(p, basis_.up) - centreY_) * scale_};
    }
    // Larger is nearer the viewer.
    double Depth(const Vec3& p) const;

  private:
    ViewBasis basis_;
    double scale_ = 1.0;
    double centreX_ = 0, centreY_ = 0;  // of the fitted bounds, in view units
    double panelX_ = 0, panelY_ = 0;    // the panel's centre
};

// Hull triangles are numbered after the model's, with this bit set.
inline constexpr uint32_t kHullItem = 0x80000000u;

struct DrawItem {
    double depth;
    uint32_t item;
};

// The model's triangles that face the viewer (one seen edge-on or from
// behind is left out, as the game leaves it out) and every hull triangle
// (hulls are outlines, seen from both sides), farthest first. Equal depths
// keep the file's order, so the same scene always gives the same picture.
std::vector<DrawItem> BackToFront(const PreparedScene& prepared, const ViewBasis& basis);

}  // namespace kx
