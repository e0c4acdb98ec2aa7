// kaltrix sur: runs the collision exporter library on a model file, setting
// its options window as a person would.

#include "cli/CliCommands.h"
#include "cli/ExportSettingsOptions.h"
#include "cli/ExporterRun.h"
#include "exporter/ExportSettingsDlg.h"  // the shared options' control ids only
#include "surface/SurExportDlg.h"        // the window's control ids only

namespace kx {

namespace {

using Sur = CSurExportDlg;

// The options both exporters share are parsed once, for the model
// exporter's window; their controls here have other ids.
int SurControl(int exportId) {
    using Cmp = CExportSettingsDlg;
    if (exportId >= Cmp::kQuantity0 && exportId < Cmp::kQuantity0 + kMaxGroups) {
        return Sur::kQuantity0 + (exportId - Cmp::kQuantity0);
    }
    switch (exportId) {
        case Cmp::kUpsideDown:
            return Sur::kUpsideDown;
        case Cmp::kBackToFront:
            return Sur::kBackToFront;
        case Cmp::kScaleBox:
            return Sur::kScaleBox;
        case Cmp::kGroupsBox:
            return Sur::kGroupsBox;
        default:
            return 0;
    }
}

bool IsMass(const std::string& text) {
    return !text.empty() && text.size() <= 9 &&
           text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

int RunSur(const std::vector<std::string>& args, CliContext& ctx) {
    std::string input, output, loadSettings;
    bool reductionOff = false;
    bool closedHulls = false;
    std::vector<WindowAction> options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--orientation" || a == "--scale" || a == "--groups") {
            std::string error;
            std::vector<WindowAction> parsed;
            if (ParseExportSettingsOption(args, i, parsed, error) != OptionParse::Parsed) {
                return UsageError(ctx, "sur", error);
            }
            for (WindowAction& action : parsed) {
                action.id = SurControl(action.id);
                options.push_back(std::move(action));
            }
        } else if (a == "-o" || a == "--settings" || a == "--mass") {
            if (i + 1 >= args.size()) {
                return UsageError(ctx, "sur", a + " needs a value");
            }
            const std::string& value = args[++i];
            if (a == "-o") {
                output = value;
            } else if (a == "--settings") {
                loadSettings = value;
            } else if (!IsMass(value)) {
                return UsageError(ctx, "sur", "--mass takes a whole number, not '" + value + "'");
            } else {
                options.push_back(
                    {WindowAction::Kind::Type, Sur::kShipMass, value, 0, "--mass " + value});
            }
        } else if (a == "--shield" || a == "--wrap") {
            options.push_back(Click(a == "--shield" ? Sur::kShieldBubble : Sur::kShrinkWrapped, a));
        } else if (a == "--no-reduction") {
            // The box toggles; asking twice still means off.
            if (!reductionOff) {
                options.push_back(Click(Sur::kNoReduction, a));
            }
            reductionOff = true;
        } else if (a == "--closed-hulls") {
            if (!closedHulls) {
                options.push_back(Click(Sur::kClosedHulls, a));
            }
            closedHulls = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError(ctx, "sur", "unknown option '" + a + "'");
        } else if (input.empty()) {
            input = a;
        } else {
            return UsageError(ctx, "sur", "unexpected argument '" + a + "'");
        }
    }
    if (input.empty()) {
        return UsageError(ctx, "sur", "missing MODEL.ms3d");
    }
    if (output.empty()) {
        return UsageError(ctx, "sur", "missing -o OUT.sur");
    }

    // The file dialogs are answered in the order the clicks open them.
    return RunExporterLibrary(ctx, "sur", "Brasket", input, output, [&](CliUi& ui) {
        if (!loadSettings.empty()) {
            ui.QueueFile(loadSettings);
            ui.QueueAction(Click(Sur::kLoadSettings, "--settings " + loadSettings));
        }
        ui.QueueFile(output);
        ui.QueueAction(Click(Sur::kBrowse, "-o " + output));
        for (WindowAction& action : options) {
            ui.QueueAction(std::move(action));
        }
        ui.QueueAction(Click(kIdOk, "OK"));
    });
}

}  // namespace kx
