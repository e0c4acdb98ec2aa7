#pragma once
// The options that set the exporter's settings window, shared by every
// command that runs it. Each becomes the actions a person would take in the
// window, so values are typed into their boxes and clamped as the window
// clamps them, and an option whose control is disabled at that moment is
// refused when its action is applied.

#include <string>
#include <vector>

#include "host/Window.h"

namespace kx {

enum class OptionParse { NotMine, Parsed, Bad };

// Looks at args[i]; when it is one of the options, appends its actions
// (labelled with the option and its value) and moves i onto the option's
// value. Bad: `error` says why.
OptionParse ParseExportSettingsOption(const std::vector<std::string>& args, size_t& i,
                                      std::vector<WindowAction>& actions, std::string& error);

// Why an option's action was not taken, for one line on stderr.
std::string RefusedOptionMessage(const WindowAction& action, ActionOutcome outcome);

// The options' lines for a command's --help.
extern const char* const kExportSettingsOptionsHelp;

}  // namespace kx
