#include "cli/CliCommands.h"
#include "cli/CliUi.h"
#include "cli/ExportSettingsOptions.h"
#include "exporter/ExportSettingsDlg.h"
#include "host/headless/HeadlessUi.h"

namespace kx {

int RunSettings(const std::vector<std::string>& args, CliContext& ctx) {
    std::string out, in;
    std::vector<WindowAction> actions;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string error;
        OptionParse parsed = ParseExportSettingsOption(args, i, actions, error);
        if (parsed == OptionParse::Bad) {
            return UsageError(ctx, "settings", error);
        }
        if (parsed == OptionParse::Parsed) {
            continue;
        }
        if ((args[i] == "-o" || args[i] == "--settings") && i + 1 < args.size()) {
            (args[i] == "-o" ? out : in) = args[i + 1];
            ++i;
        } else if (args[i] == "-o" || args[i] == "--settings") {
            return UsageError(ctx, "settings", args[i] + " needs a file");
        } else {
            return UsageError(ctx, "settings", "unexpected argument '" + args[i] + "'");
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
