// kaltrix sur: runs the collision exporter library on a model file, setting
// its options window as a person would.

#include "cli/CliCommands.h"
#include "cli/ExportSettingsOptions.h"
#include "cli/ExporterRun.h"
#include "surface/SurExportDlg.h"        // the window's control ids only

namespace kx {

namespace {

using Sur = CSurExportDlg;

// The settings options the collision window has; its controls for them.
constexpr SettingsControls kSurControls = {.upsideDown = Sur::kUpsideDown,
                                           .backToFront = Sur::kBackToFront,
                                           .scaleBox = Sur::kScaleBox,
                                           .groupsBox = Sur::kGroupsBox,
                                           .quantity0 = Sur::kQuantity0};

std::string CheckMass(const std::string& name, const std::string& value) {
    return IsWholeNumber(value) ? std::string() : NotTaken(name, "takes a whole number", value);
}

enum : int { kOut = kCommandOptions, kLoad, kMass, kShield, kWrap, kNoReduction, kClosedHulls };
constexpr OptionRow kSurRows[] = {
    kOrientationRow,
    kScaleRow,
    kGroupsRow,
    {"-o", kOut, "a value", nullptr},
    {"--settings", kLoad, "a value", nullptr},
    {"--mass", kMass, "a value", CheckMass},
    {"--shield", kShield, nullptr, nullptr},
    {"--wrap", kWrap, nullptr, nullptr},
    {"--no-reduction", kNoReduction, nullptr, nullptr},
    {"--closed-hulls", kClosedHulls, nullptr, nullptr},
};

}  // namespace

int RunSur(const std::vector<std::string>& args, CliContext& ctx) {
    const Result<GivenArgs> parsed = ParseOptions(args, {kSurRows}, 1);
    if (!parsed) {
        return UsageError(ctx, "sur", parsed.Reason());
    }
    const GivenArgs& given = *parsed;
    std::string output, loadSettings;
    bool reductionOff = false;
    bool closedHulls = false;
    std::vector<WindowAction> options;
    for (const GivenOption& option : given.options) {
        if (AppendSettingsActions(option, kSurControls, options)) {
            continue;
        }
        const std::string& a = option.name;
        switch (option.meaning) {
            case kOut:
                output = option.value;
                break;
            case kLoad:
                loadSettings = option.value;
                break;
            case kMass:
                options.push_back({WindowAction::Kind::Type, Sur::kShipMass, option.value, 0,
                                   "--mass " + option.value});
                break;
            case kShield:
            case kWrap:
                options.push_back(
                    Click(option.meaning == kShield ? Sur::kShieldBubble : Sur::kShrinkWrapped, a));
                break;
            case kNoReduction:
                // The box toggles; asking twice still means off.
                if (!reductionOff) {
                    options.push_back(Click(Sur::kNoReduction, a));
                }
                reductionOff = true;
                break;
            case kClosedHulls:
                if (!closedHulls) {
                    options.push_back(Click(Sur::kClosedHulls, a));
                }
                closedHulls = true;
                break;
        }
    }
    if (given.operands.empty()) {
        return UsageError(ctx, "sur", "missing MODEL.ms3d");
    }
    const std::string& input = given.operands[0];
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
