#pragma once
// The directions a model is drawn from. Each view is an orthographic
// projection fixed by the file's axis that points right on screen and the
// one that points up; the viewer looks along the third (right x up points
// at the viewer).

#include <optional>
#include <string_view>

#include "base/Vec.h"

namespace kx {

enum class ViewKind { Front, Back, Left, Right, Top, Bottom, Iso, Sheet };

struct ViewBasis {
    Vec3 right{};
    Vec3 up{};
    Vec3 toward{};  // from the model to the viewer
};

// Not for the sheet, which is four views.
ViewBasis BasisOf(ViewKind view);

std::string_view ViewName(ViewKind view);
// "+x right, -y up" and the like; empty for the sheet.
std::string_view ViewAxes(ViewKind view);
std::optional<ViewKind> ParseView(std::string_view name);

// One line per view: its name, the axes that point right and up, and where
// it is seen from. For the command's help.
extern const char* const kViewAxesHelp;

}  // namespace kx
