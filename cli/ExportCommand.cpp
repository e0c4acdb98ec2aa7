// kaltrix export: runs the model exporter library on a model file, clicking
// through its settings and result windows as a person would.

#include "cli/CliCommands.h"
#include "cli/ExportSettingsOptions.h"
#include "cli/HeadlessHost.h"
#include "exporter/ExportSettingsDlg.h"  // the window's control ids only
#include "host/HeadlessModel.h"
#include "ms3d/Ms3dIo.h"

namespace kx {

namespace {

WindowAction Click(int id, std::string label = {}) {
    WindowAction action;
    action.kind = WindowAction::Kind::Click;
    action.id = id;
    action.label = std::move(label);
    return action;
}

struct ModelHandle {
    msModel* model = kxModel_Create();
    ~ModelHandle() { kxModel_Free(model); }
};

}  // namespace

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

    ModelHandle handle;
    if (auto read = ReadMs3dModel(input, handle.model); !read) {
        return Failure(ctx, read.Reason());
    }

    // The file dialogs are answered in the order the clicks open them.
    HeadlessHost host(ctx.err);
    CliUi& ui = host.ui;
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
        ui.QueueAction(Click(CExportSettingsDlg::kSaveSettings, "--save-settings " + saveSettings));
    }
    ui.QueueAction(Click(kIdOk, "Continue"));
    // The result window is then closed, which is its "Continue".

    int executed = 0;
    std::string error;
    if (!RunPlugInLibrary(ctx.programDir, "Tarrow", host, handle.model, executed, error)) {
        return Failure(ctx, error);
    }
    if (ui.SettingsFileFailed()) {
        return 1;
    }
    if (ui.refused) {
        return UsageError(ctx, "export",
                          RefusedOptionMessage(ui.refused->action, ui.refused->outcome));
    }
    return host.files.WasWritten(output) ? 0 : 1;
}

}  // namespace kx
