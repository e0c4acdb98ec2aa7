#include "render/View.h"

#include <array>
#include <cmath>

namespace kx {

namespace {

// The game file's axes: +y up, the nose towards -z (where a hardpoint's
// marker points), so +x is the model's right; the importer shows a file as
// stored and it stands upright in the modeller. A model file is drawn after
// the exporter's default orientation, so its picture shows what the game
// file made from it will hold.
struct NamedView {
    ViewKind kind;
    std::string_view name;
    std::string_view axes;
    Vec3 right;
    Vec3 up;
};

// The iso view is seen from the front left corner, above: towards the viewer
// is (-1, 1, -1) / sqrt 3, and +y stays as upright as it can.
const float kInvSqrt2 = 1.0f / std::sqrt(2.0f);
const float kInvSqrt6 = 1.0f / std::sqrt(6.0f);

const std::array<NamedView, 7> kViews{{
    {ViewKind::Front, "front", "-x right, +y up", {-1, 0, 0}, {0, 1, 0}},
    {ViewKind::Back, "back", "+x right, +y up", {1, 0, 0}, {0, 1, 0}},
    {ViewKind::Left, "left", "+z right, +y up", {0, 0, 1}, {0, 1, 0}},
    {ViewKind::Right, "right", "-z right, +y up", {0, 0, -1}, {0, 1, 0}},
    {ViewKind::Top, "top", "+x right, -z up", {1, 0, 0}, {0, 0, -1}},
    {ViewKind::Bottom, "bottom", "-x right, -z up", {-1, 0, 0}, {0, 0, -1}},
    {ViewKind::Iso,
     "iso",
     "-x+z right, +y up",
     {-kInvSqrt2, 0, kInvSqrt2},
     {kInvSqrt6, 2 * kInvSqrt6, kInvSqrt6}},
}};

}  // namespace

const char* const kViewAxesHelp =
    "  front   -x right, +y up (seen from -z, where the nose points)\n"
    "  back    +x right, +y up (seen from +z)\n"
    "  left    +z right, +y up (seen from -x, the model's left)\n"
    "  right   -z right, +y up (seen from +x)\n"
    "  top     +x right, -z up (seen from +y, above)\n"
    "  bottom  -x right, -z up (seen from -y, below)\n"
    "  iso     -x and +z right, +y up, tilted (seen from -x, +y, -z: front left, above)\n"
    "  sheet   front, left, top and iso on one picture, with a caption\n";

ViewBasis BasisOf(ViewKind view) {
    for (const NamedView& v : kViews) {
        if (v.kind == view) {
            return {v.right, v.up, Cross(v.right, v.up)};
        }
    }
    return BasisOf(ViewKind::Front);
}

std::string_view ViewName(ViewKind view) {
    if (view == ViewKind::Sheet) {
        return "sheet";
    }
    for (const NamedView& v : kViews) {
        if (v.kind == view) {
            return v.name;
        }
    }
    return {};
}

std::string_view ViewAxes(ViewKind view) {
    for (const NamedView& v : kViews) {
        if (v.kind == view) {
            return v.axes;
        }
    }
    return {};
}

std::optional<ViewKind> ParseView(std::string_view name) {
    if (name == "sheet") {
        return ViewKind::Sheet;
    }
    for (const NamedView& v : kViews) {
        if (v.name == name) {
            return v.kind;
        }
    }
    return std::nullopt;
}

}  // namespace kx
