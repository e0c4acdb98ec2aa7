#include "render/LabelPlacement.h"

namespace kx {

std::optional<LabelMode> ParseLabelMode(std::string_view name) {
    if (name == "none") {
        return LabelMode::None;
    }
    if (name == "all") {
        return LabelMode::All;
    }
    if (name == "fit") {
        return LabelMode::Fit;
    }
    return std::nullopt;
}

std::vector<uint8_t> ChooseLabels(const std::vector<LabelBox>& boxes, LabelMode mode) {
    std::vector<uint8_t> drawn(boxes.size(), mode == LabelMode::All ? 1 : 0);
    if (mode != LabelMode::Fit) {
        return drawn;
    }
    std::vector<const LabelBox*> placed;
    for (size_t i = 0; i < boxes.size(); ++i) {
        bool free = true;
        for (const LabelBox* other : placed) {
            if (boxes[i].Overlaps(*other)) {
                free = false;
                break;
            }
        }
        if (free) {
            placed.push_back(&boxes[i]);
            drawn[i] = 1;
        }
    }
    return drawn;
}

}  // namespace kx
