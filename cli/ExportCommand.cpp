// kaltrix export: runs the model exporter library on a model file, clicking
// through its settings and result windows as a person would.

#include "cli/CliCommands.h"
#include "cli/ExportSettingsOptions.h"
#include "cli/ExporterRun.h"
#include "exporter/ExportSettingsDlg.h"  // the window's control ids only

namespace kx {

int RunExport(const std::vector<std::string>& args, CliContext& ctx) {
    std::string input, output, loadSettings, saveSettings;
    bool update = false;
    std::vector<WindowAction> options;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string error;
        OptionParse parsed = ParseExportSettingsOption(args, i, options, error);
        if (parsed == OptionParse::Bad) {
            return UsageError(ctx, "export", error);
        }
        if (parsed == OptionParse::Parsed) {
            continue;
        }
        const std::string& a = args[i];
        if (a == "-o" || a == "--settings" || a == "--save-settings") {
            if (i + 1 >= args.size()) {
                return UsageError(ctx, "export", a + " needs a file");
            }
            std::string& target = a == "-o"           ? output
                                  : a == "--settings" ? loadSettings
                                                      : saveSettings;
            target = args[++i];
        } else if (a == "--update") {
            update = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError(ctx, "export", "unknown option '" + a + "'");
        } else if (input.empty()) {
            input = a;
        } else {
            return UsageError(ctx, "export", "unexpected argument '" + a + "'");
        }
    }
    if (input.empty()) {
        return UsageError(ctx, "export", "missing MODEL.ms3d");
    }
    if (output.empty()) {
        return UsageError(ctx, "export", "missing -o OUT");
    }

    // The file dialogs are answered in the order the clicks open them.
    return RunExporterLibrary(ctx, "export", "Tarrow", input, output, [&](CliUi& ui) {
        if (!loadSettings.empty()) {
            ui.QueueFile(loadSettings);
            ui.QueueAction(Click(CExportSettingsDlg::kLoadSettings, "--settings " + loadSettings));
        }
        ui.QueueFile(output);
        ui.QueueAction(Click(update ? CExportSettingsDlg::kUpdate : CExportSettingsDlg::kNew));
        for (WindowAction& action : options) {
            ui.QueueAction(std::move(action));
        }
        if (!saveSettings.empty()) {
            ui.QueueFile(saveSettings);
            ui.QueueAction(
                Click(CExportSettingsDlg::kSaveSettings, "--save-settings " + saveSettings));
        }
        ui.QueueAction(Click(kIdOk, "Continue"));
        // The result window is then closed, which is its "Continue".
    });
}

}  // namespace kx
