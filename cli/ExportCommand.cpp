// kaltrix export: runs the model exporter library on a model file, clicking
// through its settings and result windows as a person would.

#include "cli/CliCommands.h"
#include "cli/ExportSettingsOptions.h"
#include "cli/ExporterRun.h"
#include "exporter/ExportSettingsDlg.h"  // the window's control ids only

namespace kx {

namespace {

enum : int { kOut = kCommandOptions, kLoad, kSave, kUpdate };
constexpr OptionRow kExportRows[] = {
    {"-o", kOut, "a file", nullptr},
    {"--settings", kLoad, "a file", nullptr},
    {"--save-settings", kSave, "a file", nullptr},
    {"--update", kUpdate, nullptr, nullptr},
};

}  // namespace

int RunExport(const std::vector<std::string>& args, CliContext& ctx) {
    const Result<GivenArgs> parsed = ParseOptions(args, {kModelExporterRows, kExportRows}, 1);
    if (!parsed) {
        return UsageError(ctx, "export", parsed.Reason());
    }
    const GivenArgs& given = *parsed;
    std::string output, loadSettings, saveSettings;
    bool update = false;
    std::vector<WindowAction> options;
    for (const GivenOption& option : given.options) {
        if (AppendSettingsActions(option, ModelExporterControls(), options)) {
            continue;
        }
        switch (option.meaning) {
            case kOut:
                output = option.value;
                break;
            case kLoad:
                loadSettings = option.value;
                break;
            case kSave:
                saveSettings = option.value;
                break;
            case kUpdate:
                update = true;
                break;
        }
    }
    if (given.operands.empty()) {
        return UsageError(ctx, "export", "missing MODEL.ms3d");
    }
    const std::string& input = given.operands[0];
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
