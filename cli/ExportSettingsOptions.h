#pragma once
// The options that set an exporter's settings, shared by every command that
// runs one: parsed from their rows into what they set, then made into the
// actions a person would take in the command's own window, so values are
// typed into their boxes and clamped as the window clamps them, and an
// option whose control is disabled at that moment is refused when its
// action is applied.

#include <string>
#include <vector>

#include "cli/OptionTable.h"
#include "host/Window.h"

namespace kx {

// What each option sets; a command's own options take numbers from
// kCommandOptions on.
enum SettingsOption : int {
    kLevelOption = 1,
    kOrientationOption,
    kScaleOption,
    kTypeOption,
    kGroupsOption,
    kFovOption,
};
inline constexpr int kCommandOptions = 100;

// Digits only, at most nine, so that the number fits an int.
bool IsWholeNumber(const std::string& text);

std::string CheckLevel(const std::string& name, const std::string& value);
std::string CheckOrientation(const std::string& name, const std::string& value);
std::string CheckScale(const std::string& name, const std::string& value);
std::string CheckType(const std::string& name, const std::string& value);
std::string CheckGroups(const std::string& name, const std::string& value);
std::string CheckFov(const std::string& name, const std::string& value);

// The rows; a command lists those its window has.
inline constexpr OptionRow kLevelRow = {"--lod", kLevelOption, "a value", CheckLevel};
inline constexpr OptionRow kOrientationRow = {"--orientation", kOrientationOption, "a value",
                                              CheckOrientation};
inline constexpr OptionRow kScaleRow = {"--scale", kScaleOption, "a value", CheckScale};
inline constexpr OptionRow kTypeRow = {"--type", kTypeOption, "a value", CheckType};
inline constexpr OptionRow kGroupsRow = {"--groups", kGroupsOption, "a value", CheckGroups};
inline constexpr OptionRow kFovRow = {"--fov", kFovOption, "a value", CheckFov};
// All of them, for the model exporter's window.
inline constexpr OptionRow kModelExporterRows[] = {kLevelRow, kTypeRow,   kOrientationRow,
                                                   kScaleRow, kGroupsRow, kFovRow};

// The controls of a window that these options set; 0 where it has none
// (its command then lists no row for them).
struct SettingsControls {
    int level0 = 0;  // the levels' buttons follow it
    int upsideDown = 0, backToFront = 0;
    int scaleBox = 0;
    int ship = 0, cockpit = 0, weapon = 0;
    int groupsBox = 0, quantity0 = 0;  // the quantities' boxes follow quantity0
    int fovX = 0, fovY = 0, zNear = 0, zFar = 0;
};
// The model exporter's settings window.
const SettingsControls& ModelExporterControls();

// When `option` is one of these options, appends its actions (labelled
// with the option and its value) and returns true.
bool AppendSettingsActions(const GivenOption& option, const SettingsControls& window,
                           std::vector<WindowAction>& actions);

// Why an option's action was not taken, for one line on stderr.
std::string RefusedOptionMessage(const WindowAction& action, ActionOutcome outcome);

// The options' lines for a command's --help.
extern const char* const kExportSettingsOptionsHelp;

}  // namespace kx
