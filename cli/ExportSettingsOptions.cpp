#include "cli/ExportSettingsOptions.h"

#include <string_view>

#include "exporter/ExportSettingsDlg.h"

namespace kx {

using Dlg = CExportSettingsDlg;

const char* const kExportSettingsOptionsHelp =
    "  --lod N                 level of detail, 0 to 3\n"
    "  --orientation upside-down|back-to-front\n"
    "  --scale X               scale divisor, 0.000001 to 100\n"
    "  --type ship|cockpit|weapon\n"
    "  --groups Q1,Q2,...      the meshes of each group, in order (1 to 18 groups)\n"
    "  --fov FOVX,FOVY,ZNEAR,ZFAR  a cockpit camera's field of view\n"
    "Options are applied in the order given, as clicks and typing in the\n"
    "exporter's settings window; values outside a box's limits are clamped. An\n"
    "option whose control is disabled at that point (--lod or --groups for a\n"
    "cockpit, --fov for a ship or weapon) is refused.\n";

namespace {

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) {
            return parts;
        }
        start = comma + 1;
    }
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal number: a sign, digits with at most one point, an exponent. The
// box drops the keys it does not take, so "inf" or "nan" typed there would
// silently become its minimum and "0x10" ten; they are refused here instead.
bool IsNumber(std::string_view text) {
    size_t i = 0;
    auto sign = [&] {
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
    };
    auto digits = [&] {
        const size_t start = i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
        }
        return i - start;
    };
    sign();
    size_t mantissa = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        sign();
        if (digits() == 0) {
            return false;
        }
    }
    return i == text.size();
}

}  // namespace

bool IsWholeNumber(const std::string& text) {
    return !text.empty() && text.size() <= 9 &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

std::string CheckLevel(const std::string& name, const std::string& value) {
    if (value.size() != 1 || value[0] < '0' || value[0] > '3') {
        return NotTaken(name, "takes 0, 1, 2 or 3", value);
    }
    return {};
}

std::string CheckOrientation(const std::string& name, const std::string& value) {
    if (value != "upside-down" && value != "back-to-front") {
        return NotTaken(name, "takes upside-down or back-to-front", value);
    }
    return {};
}

std::string CheckScale(const std::string& name, const std::string& value) {
    return IsNumber(value) ? std::string() : NotTaken(name, "takes a decimal number", value);
}

std::string CheckType(const std::string& name, const std::string& value) {
    if (value != "ship" && value != "cockpit" && value != "weapon") {
        return NotTaken(name, "takes ship, cockpit or weapon", value);
    }
    return {};
}

std::string CheckGroups(const std::string& name, const std::string& value) {
    std::vector<std::string> quantities = SplitCommas(value);
    if (quantities.size() > static_cast<size_t>(kMaxGroups)) {
        return NotTaken(name, "takes at most 18 quantities", value);
    }
    for (const std::string& q : quantities) {
        if (!IsWholeNumber(q)) {
            return NotTaken(name, "takes whole numbers separated by commas", value);
        }
    }
    return {};
}

std::string CheckFov(const std::string& name, const std::string& value) {
    std::vector<std::string> fov = SplitCommas(value);
    if (fov.size() != 4 || !IsNumber(fov[0]) || !IsNumber(fov[1]) || !IsNumber(fov[2]) ||
        !IsNumber(fov[3])) {
        return NotTaken(name, "takes four decimal numbers FOVX,FOVY,ZNEAR,ZFAR", value);
    }
    return {};
}

const SettingsControls& ModelExporterControls() {
    static constexpr SettingsControls controls = {
        Dlg::kLevel0,  Dlg::kUpsideDown, Dlg::kBackToFront, Dlg::kScaleBox,  Dlg::kShip,
        Dlg::kCockpit, Dlg::kWeapon,     Dlg::kGroupsBox,   Dlg::kQuantity0, Dlg::kFovX,
        Dlg::kFovY,    Dlg::kZNear,      Dlg::kZFar};
    return controls;
}

bool AppendSettingsActions(const GivenOption& option, const SettingsControls& window,
                           std::vector<WindowAction>& actions) {
    const std::string& value = option.value;
    const std::string label = option.name + " " + value;
    auto click = [&](int id) { actions.push_back({WindowAction::Kind::Click, id, "", 0, label}); };
    auto type = [&](int id, const std::string& text) {
        actions.push_back({WindowAction::Kind::Type, id, text, 0, label});
    };
    switch (option.meaning) {
        case kLevelOption:
            click(window.level0 + (value[0] - '0'));
            return true;
        case kOrientationOption:
            click(value == "upside-down" ? window.upsideDown : window.backToFront);
            return true;
        case kScaleOption:
            type(window.scaleBox, value);
            return true;
        case kTypeOption:
            click(value == "ship"      ? window.ship
                  : value == "cockpit" ? window.cockpit
                                       : window.weapon);
            return true;
        case kGroupsOption: {
            const std::vector<std::string> quantities = SplitCommas(value);
            type(window.groupsBox, std::to_string(quantities.size()));
            // One group has no quantity box: it takes every mesh.
            for (size_t g = 0; quantities.size() > 1 && g < quantities.size(); ++g) {
                type(window.quantity0 + static_cast<int>(g), quantities[g]);
            }
            return true;
        }
        case kFovOption: {
            const std::vector<std::string> fov = SplitCommas(value);
            const int boxes[] = {window.fovX, window.fovY, window.zNear, window.zFar};
            for (size_t k = 0; k < 4; ++k) {
                type(boxes[k], fov[k]);
            }
            return true;
        }
        default:
            return false;
    }
}

std::string RefusedOptionMessage(const WindowAction& action, ActionOutcome outcome) {
    return action.label + " refused: " + ActionOutcomeText(outcome);
}

}  // namespace kx
