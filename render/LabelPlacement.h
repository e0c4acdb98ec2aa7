#pragma once
// Which hardpoint labels a panel shows. On a ship with dozens of hardpoints
// the names pile up over each other and over the model; drawn only where
// they fit, the names that are shown stay readable.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kx {

enum class LabelMode { None, All, Fit };

std::optional<LabelMode> ParseLabelMode(std::string_view name);

// A label's box on screen, in pixels.
struct LabelBox {
    double x = 0, y = 0, width = 0, height = 0;

    bool Overlaps(const LabelBox& other) const {
        return x < other.x + other.width && other.x < x + width && y < other.y + other.height &&
               other.y < y + height;
    }
};

// One flag per box, in order: drawn or not. Fit draws each box that does not
// overlap one drawn before it, so the first hardpoints keep their names.
std::vector<uint8_t> ChooseLabels(const std::vector<LabelBox>& boxes, LabelMode mode);

}  // namespace kx
