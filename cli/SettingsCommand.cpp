#include "cli/CliCommands.h"
#include "cli/CliUi.h"
#include "cli/ExportSettingsOptions.h"
#include "exporter/ExportSettingsDlg.h"
#include "host/headless/HeadlessUi.h"

namespace kx {

namespace {

enum : int { kOut = kCommandOptions, kLoad };
constexpr OptionRow kSettingsRows[] = {
    {"-o", kOut, "a file", nullptr},
    {"--settings", kLoad, "a file", nullptr},
};

}  // namespace

int RunSettings(const std::vector<std::string>& args, CliContext& ctx) {
    const Result<GivenArgs> parsed = ParseOptions(args, {kModelExporterRows, kSettingsRows}, 0);
    if (!parsed) {
        return UsageError(ctx, "settings", parsed.Reason());
    }
    const GivenArgs& given = *parsed;
    std::string out, in;
    std::vector<WindowAction> actions;
    for (const GivenOption& option : given.options) {
        if (!AppendSettingsActions(option, ModelExporterControls(), actions)) {
            (option.meaning == kOut ? out : in) = option.value;
        }
    }
    if (out.empty()) {
        return UsageError(ctx, "settings", "missing -o OUT.ces");
    }

    // Clicked through as a person would: load, the options in order, save.
    CliUi ui(ctx.err);
    CExportSettingsDlg window(ui);
    window.Open();
    if (!in.empty()) {
        ui.QueueFile(in);
        window.Click(CExportSettingsDlg::kLoadSettings);
        if (!ui.messages.empty()) {
            return 1;
        }
    }
    for (const WindowAction& action : actions) {
        ActionOutcome outcome = ApplyAction(window, action);
        if (outcome != ActionOutcome::Applied) {
            return UsageError(ctx, "settings", RefusedOptionMessage(action, outcome));
        }
    }
    ui.QueueFile(out);
    window.Click(CExportSettingsDlg::kSaveSettings);
    return window.SavedSettingsPath().empty() ? 1 : 0;
}

}  // namespace kx
