#include "surface/SurExportDlg.h"

#include <bit>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "host/FileService.h"

namespace kx {

namespace {

namespace w = settings_word;

constexpr int kSliderSteps = 1000;

std::string FormatNumber(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", static_cast<double>(value));
    return text;
}

// As a box's integer is read: the leading number, 0 when there is none,
// held inside the range of int.
int ParseInteger(const std::string& text) {
    long v = std::strtol(text.c_str(), nullptr, 10);
    return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

// The slider's position for a scale, cut to an integer. A scale at or below
// 0 (only a settings file gives one) leaves it at 0, one above the range at
// the end.
int SliderPosition(float value) {
    if (!(value > CSurExportDlg::kScaleMin)) {
        return 0;
    }
    const double pos = (static_cast<double>(value) - CSurExportDlg::kScaleMin) /
                       (static_cast<double>(CSurExportDlg::kScaleMax) - CSurExportDlg::kScaleMin) *
                       kSliderSteps;
    return pos >= kSliderSteps ? kSliderSteps : static_cast<int>(pos);
}

float SliderValue(int pos) {
    return static_cast<float>(
        CSurExportDlg::kScaleMin +
        pos * (static_cast<double>(CSurExportDlg::kScaleMax) - CSurExportDlg::kScaleMin) /
            kSliderSteps);
}

bool IsQuantityBox(int id) {
    return id >= CSurExportDlg::kQuantity0 && id < CSurExportDlg::kQuantity0 + kSurfaceMaxGroups;
}

uint32_t Word(int32_t value) {
    return static_cast<uint32_t>(value);
}

}  // namespace

CSurExportDlg::CSurExportDlg(Ui& ui, FileService& files)
    : Window(ui, "Kaltrix SUR Exporter"), files_(files) {
    AddControl(kSurFile).readOnly = true;
    AddControl(kBrowse, "Browse");
    AddControl(kIdOk, "OK");
    AddControl(kIdCancel, "Cancel");
    AddControl(kUpsideDown, "Upside Down");
    AddControl(kBackToFront, "Back To Front");
    AddControl(kScaleBox);
    AddControl(kScaleSpinner);
    AddControl(kScaleSlider);
    AddControl(kLoadSettings, "Load CMP Settings (.ces)");
    AddControl(kShieldBubble, "Shield Bubble");
    AddControl(kShrinkWrapped, "Shrink Wrapped");
    AddControl(kShipMass);
    AddControl(kGroupsBox);
    for (int i = 0; i < kSurfaceMaxGroups; ++i) {
        AddControl(kQuantity0 + i);
    }
    AddControl(kNoReduction, "Disable DirectX Mesh Reduction ");
    AddControl(kClosedHulls, "Closed Collision Hulls");
}

void CSurExportDlg::OnInit() {
    words_ = {};
    kind_ = CollisionKind::ShieldBubble;
    shipMass_ = 100;
    reductionOff_ = false;
    closedHulls_ = false;
    targetPath_.clear();

    SetText(kSurFile, "");
    SetEnabled(kIdOk, false);
    CheckRadio(kUpsideDown, kBackToFront, kUpsideDown);
    CheckRadio(kShieldBubble, kShrinkWrapped, kShieldBubble);
    SetRange(kScaleSlider, 0, kSliderSteps);
    SetRange(kScaleSpinner, 0, kSliderSteps);
    ShowScale(kDefaultScale);
    SetText(kShipMass, "100");
    SetChecked(kNoReduction, false);
    SetChecked(kClosedHulls, false);
    SetGroupCount(1);
}

void CSurExportDlg::OnCommand(int id) {
    switch (id) {
        case kBrowse:
            Browse();
            break;
        case kUpsideDown:
        case kBackToFront:
            words_[w::kOrientation] = id == kBackToFront ? 1 : 0;
            CheckRadio(kUpsideDown, kBackToFront, id);
            break;
        case kShieldBubble:
        case kShrinkWrapped:
            kind_ =
                id == kShieldBubble ? CollisionKind::ShieldBubble : CollisionKind::ShrinkWrapped;
            CheckRadio(kShieldBubble, kShrinkWrapped, id);
            break;
        case kNoReduction:
        case kClosedHulls:
            SetChecked(id, !IsChecked(id));
            break;
        case kLoadSettings:
            LoadSettings();
            break;
        case kIdOk:
            Accept();
            break;
        case kIdCancel:
            End(kIdCancel);
            break;
        default:
            break;
    }
}

void CSurExportDlg::OnEdit(int id, const std::string& text) {
    if (id == kScaleBox) {
        // Typed values are held to the range; a loaded one is not.
        float value = std::strtof(text.c_str(), nullptr);
        if (!(value >= kScaleMin) || value > kScaleMax) {
            value = value > kScaleMax ? kScaleMax : kScaleMin;
            SetText(kScaleBox, FormatNumber(value));
        }
        scale_ = value;
        SetPosition(kScaleSlider, SliderPosition(value));
        SetPosition(kScaleSpinner, SliderPosition(value));
    } else if (id == kGroupsBox) {
        OnGroupCountEdited(text);
    } else if (IsQuantityBox(id)) {
        words_[w::kQuantity0 + static_cast<size_t>(id - kQuantity0)] = Word(ParseInteger(text));
    }
}

void CSurExportDlg::OnScroll(int id, int pos) {
    if (id == kScaleSlider || id == kScaleSpinner) {
        scale_ = SliderValue(pos);
        SetText(kScaleBox, FormatNumber(scale_));
        SetPosition(kScaleSlider, pos);
        SetPosition(kScaleSpinner, pos);
    }
}

void CSurExportDlg::Browse() {
    FileDialogRequest request{"Save Kaltrix SUR File",
                              "Kaltrix SUR File (*.sur)|*.sur|All Files (*.*)|*.*", "sur", "",
                              true};
    std::optional<std::string> path = ui().SaveFile(request);
    if (!path) {
        return;
    }
    targetPath_ = *path;
    SetText(kSurFile, std::filesystem::path(targetPath_).filename().string());
    SetEnabled(kIdOk, true);
}

void CSurExportDlg::LoadSettings() {
    FileDialogRequest request{"Load CMP Exporter Settings",
                              "CES Settings (*.ces)|*.ces|All Files (*.*)|*.*", "ces", "", false};
    std::optional<std::string> path = ui().OpenFile(request);
    if (!path) {
        return;
    }
    const kx::Result<SettingsFileContent> loaded = ReadSettingsFile(files_, *path);
    if (!loaded) {
        const bool refused = loaded.GetFault() == Fault::Refused;
        ui().SettingsFileRefused(*this, loaded.Reason(), SettingsFileCaption(loaded.GetStatus()),
                                 refused ? MessageIcon::Error : MessageIcon::None);
        return;
    }
    ApplyLoadedSettings(*loaded);
}

void CSurExportDlg::ApplyLoadedSettings(const SettingsFileContent& loaded) {
    const SettingsWords& in = loaded.words;
    const bool backToFront = in[w::kOrientation] == 1;
    words_[w::kOrientation] = backToFront ? 1 : 0;
    CheckRadio(kUpsideDown, kBackToFront, backToFront ? kBackToFront : kUpsideDown);

    words_[w::kIntegerScale] = in[w::kIntegerScale];
    const auto integerScale = static_cast<int32_t>(in[w::kIntegerScale]);
    for (size_t g = 0; g < kSurfaceMaxGroups; ++g) {
        words_[w::kQuantity0 + g] = in[w::kQuantity0 + g];
    }
    SetGroupCount(static_cast<int32_t>(in[w::kGroupCount]));

    if (!loaded.oldLayout) {
        words_[w::kModelType] = in[w::kModelType] & 0xFFFFu;
        for (size_t k = w::kFovX; k <= w::kZFar; ++k) {
            words_[k] = in[k];
        }
        // A float scale that is no finite number counts as none at all.
        const float stored = std::bit_cast<float>(in[w::kFloatScale]);
        const float scale = std::isfinite(stored) && stored > 0.0f ? stored
                            : integerScale > 0 ? static_cast<float>(integerScale)
                                               : kDefaultScale;
        ShowScale(scale);
        words_[w::kFloatScale] = std::bit_cast<uint32_t>(scale);
        words_[w::kIntegerScale] = Word(kUseFloatScale);
    } else {
        words_[w::kModelType] = StoredValue(ModelType::Ship);
        for (size_t k = w::kFovX; k <= w::kZFar; ++k) {
            words_[k] = 0;
        }
        const auto scale = static_cast<float>(integerScale);
        ShowScale(scale);
        words_[w::kFloatScale] = std::bit_cast<uint32_t>(scale);
    }
}

void CSurExportDlg::Accept() {
    if (targetPath_.empty()) {
        return;
    }
    shipMass_ = static_cast<uint32_t>(ParseInteger(Text(kShipMass)));
    const auto groups = static_cast<int32_t>(words_[w::kGroupCount]);
    for (int i = 0; groups > 1 && i < groups; ++i) {
        words_[w::kQuantity0 + static_cast<size_t>(i)] = Word(ParseInteger(Text(kQuantity0 + i)));
    }
    words_[w::kFloatScale] = std::bit_cast<uint32_t>(scale_);
    words_[w::kIntegerScale] =
        scale_ > 0.0f ? Word(kUseFloatScale) : Word(Control(kScaleSlider).position);
    reductionOff_ = IsChecked(kNoReduction);
    closedHulls_ = IsChecked(kClosedHulls);
    End(kIdOk);
}

void CSurExportDlg::SetGroupCount(int count) {
    SetText(kGroupsBox, std::to_string(count));
    OnGroupCountEdited(Text(kGroupsBox));
}

void CSurExportDlg::OnGroupCountEdited(const std::string& text) {
    int n = ParseInteger(text);
    if (n < 1 || n > kSurfaceMaxGroups) {
        n = n < 1 ? 1 : kSurfaceMaxGroups;
        SetText(kGroupsBox, std::to_string(n));
    }
    words_[w::kGroupCount] = Word(n);
    for (int i = 0; i < kSurfaceMaxGroups; ++i) {
        const bool used = n >= 2 && i < n;
        SetEnabled(kQuantity0 + i, used);
        SetText(kQuantity0 + i,
                used ? std::to_string(static_cast<int32_t>(words_[w::kQuantity0 + i])) : "");
    }
}

void CSurExportDlg::ShowScale(float value) {
    scale_ = value;
    SetText(kScaleBox, FormatNumber(value));
    SetPosition(kScaleSlider, SliderPosition(value));
    SetPosition(kScaleSpinner, SliderPosition(value));
}

}  // namespace kx
