#include "exporter/ExportSettingsDlg.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "host/HostServices.h"

namespace kx {

namespace {

constexpr float kFovXDefault = 0.645772f;
constexpr float kFovYDefault = 0.514412f;
constexpr float kZNearDefault = 0.05f;
constexpr float kZFarDefault = 5.0f;
constexpr int kSliderSteps = 1000;
constexpr int kQuantityMax = 65535;

const char* const kCmpFilter = "CMP Files (*.cmp)|*.cmp|All Files (*.*)|*.*";
const char* const kCesFilter = "CES Settings (*.ces)|*.ces|All Files (*.*)|*.*";
const int kFovBoxes[] = {CExportSettingsDlg::kFovX, CExportSettingsDlg::kFovY,
                         CExportSettingsDlg::kZNear, CExportSettingsDlg::kZFar};

std::string FormatNumber(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", static_cast<double>(value));
    return text;
}

// As "%f" reads a box: the leading number, 0 when there is none.
float ParseNumber(const std::string& text) {
    return std::strtof(text.c_str(), nullptr);
}

// As a box's integer is read: the leading number, 0 when there is none,
// held inside the range of int.
int ParseInteger(const std::string& text) {
    long v = std::strtol(text.c_str(), nullptr, 10);
    return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

// The slider position that shows a scale: cut, not rounded.
int SliderPosition(float value, float min, float max) {
    return static_cast<int>((static_cast<double>(value) - min) / (static_cast<double>(max) - min) *
                            kSliderSteps);
}

bool IsControlKey(char ch) {
    return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F;
}
bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

bool IsQuantityBox(int id) {
    return id >= CExportSettingsDlg::kQuantity0 && id < CExportSettingsDlg::kQuantity0 + kMaxGroups;
}

bool IsQuantitySpinner(int id) {
    return id >= CExportSettingsDlg::kQuantitySpinner0 &&
           id < CExportSettingsDlg::kQuantitySpinner0 + kMaxGroups;
}

}  // namespace

const CExportSettingsDlg::NumberBox* CExportSettingsDlg::FindNumberBox(int id) {
    static const NumberBox boxes[] = {
        {kScaleBox, 0.000001f, 100.0f}, {kFovX, 0.05f, 10.0f},   {kFovY, 0.05f, 10.0f},
        {kZNear, 0.0005f, 10.0f},       {kZFar, 0.0005f, 10.0f},
    };
    for (const NumberBox& box : boxes) {
        if (box.id == id) {
            return &box;
        }
    }
    return nullptr;
}

CExportSettingsDlg::CExportSettingsDlg(Ui& ui) : CExportSettingsDlg(ui, CurrentHost().Files()) {}

CExportSettingsDlg::CExportSettingsDlg(Ui& ui, FileService& files)
    : Window(ui, "Kaltrix CMP Settings"), files_(files) {
    AddControl(kNew, "New");
    AddControl(kUpdate, "Update");
    AddControl(kFileName).readOnly = true;
    AddControl(kLevelGroup, "Level Of Detail");
    for (int i = 0; i < 4; ++i) {
        AddControl(kLevel0 + i, "Level " + std::to_string(i));
        AddControl(kLevelLabel0 + i, "xxxx.lod" + std::to_string(i) + ".vms");
    }
    AddControl(kOrientationGroup, "Orientation");
    AddControl(kUpsideDown, "Upside Down");
    AddControl(kBackToFront, "Back To Front");
    AddControl(kTypeGroup, "Model Type");
    AddControl(kShip, "Ship");
    AddControl(kCockpit, "Cockpit");
    AddControl(kWeapon, "Weapon");
    AddControl(kSaveSettings, "Save Settings");
    AddControl(kLoadSettings, "Load Settings");
    AddControl(kScaleGroup, "Scale Down (Divided into X, Y && Z)");
    AddControl(kScaleBox);
    AddControl(kScaleSlider);
    AddControl(kGroupOptions, "Group Options");
    AddControl(kGroupsBox);
    AddControl(kGroupsSpinner);
    AddControl(kQuantitiesGroup, "Group Quantities");
    for (int i = 0; i < kMaxGroups; ++i) {
        AddControl(kQuantity0 + i);
        AddControl(kQuantityLabel0 + i, std::to_string(i + 1));
        AddControl(kQuantitySpinner0 + i);
    }
    AddControl(kFovGroup, "Field Of View");
    for (int id : kFovBoxes) {
        AddControl(id);
    }
    AddControl(kReset, "Reset");
    AddControl(kIdOk, "Continue");
    AddControl(kIdCancel, "Cancel");
}

void CExportSettingsDlg::OnInit() {
    settings_ = ExportSettings{};
    mode_ = ExportMode::New;
    outputPath_.clear();
    fileChosen_ = false;
    savedSettingsPath_.clear();

    for (int i = 0; i < kMaxGroups; ++i) {
        SetRange(kQuantitySpinner0 + i, 0, kQuantityMax);
    }
    SetRange(kGroupsSpinner, 1, kMaxGroups);
    SetRange(kScaleSlider, 0, kSliderSteps);
    SetText(kFileName, "");
    SetEnabled(kIdOk, false);

    CheckRadio(kUpsideDown, kBackToFront, kUpsideDown);
    ShowLevel(0);
    ShowModelType(ModelType::Ship);
    SetGroupCount(1);
    SetNumber(kScaleBox, kDefaultScale);
}

void CExportSettingsDlg::OnCommand(int id) {
    if (id >= kLevel0 && id < kLevel0 + 4) {
        ShowLevel(id - kLevel0);
        ClearFieldOfView();
        return;
    }
    switch (id) {
        case kNew:
            ChooseOutputFile(ExportMode::New);
            break;
        case kUpdate:
            ChooseOutputFile(ExportMode::Update);
            break;
        case kUpsideDown:
        case kBackToFront:
            settings_.orientation = StoredValue(id == kBackToFront ? Orientation::BackToFront
                                                                   : Orientation::UpsideDown);
            CheckRadio(kUpsideDown, kBackToFront, id);
            break;
        case kShip:
        case kWeapon:
            ShowModelType(id == kShip ? ModelType::Ship : ModelType::Weapon);
            ShowLevel(0);
            break;
        case kCockpit:
            ShowModelType(ModelType::Cockpit);
            ShowFieldOfView(kFovXDefault, kFovYDefault, kZNearDefault, kZFarDefault);
            break;
        case kReset:
            ShowFieldOfView(kFovXDefault, kFovYDefault, kZNearDefault, kZFarDefault);
            break;
        case kSaveSettings:
            SaveSettings();
            break;
        case kLoadSettings:
            LoadSettings();
            break;
        case kIdOk:
            Continue();
            break;
        case kIdCancel:
            mode_ = ExportMode::Cancelled;
            End(kIdCancel);
            break;
        default:
            break;
    }
}

bool CExportSettingsDlg::OnChar(int id, char ch) {
    bool accepted = true;
    if (FindNumberBox(id)) {
        accepted =
            IsControlKey(ch) || IsDigit(ch) || ch == '.' || ch == '-' || ch == 'e' || ch == 'E';
    } else if (IsQuantityBox(id)) {
        accepted = IsControlKey(ch) || IsDigit(ch);
    }
    if (!accepted) {
        ui().Beep();
    }
    return accepted;
}

void CExportSettingsDlg::OnEdit(int id, const std::string& text) {
    if (const NumberBox* box = FindNumberBox(id)) {
        float value = ParseNumber(text);
        if (value < box->min || value > box->max) {
            value = value < box->min ? box->min : box->max;
            ui().Beep();
            SetText(id, FormatNumber(value));
        }
        if (id == kScaleBox) {
            // The person's own scale now rules, whatever integer scale a
            // loaded file held.
            settings_.integerScale = kUseFloatScale;
            SetPosition(kScaleSlider, SliderPosition(value, box->min, box->max));
        }
    } else if (id == kGroupsBox) {
        OnGroupCountEdited(text);
    } else if (IsQuantityBox(id)) {
        int i = id - kQuantity0;
        settings_.quantities[i] = ParseInteger(text);
        SetPosition(kQuantitySpinner0 + i, settings_.quantities[i]);
    }
}

void CExportSettingsDlg::OnScroll(int id, int pos) {
    if (id == kScaleSlider) {
        const NumberBox* box = FindNumberBox(kScaleBox);
        double value = box->min + pos * (static_cast<double>(box->max) - box->min) * 0.001;
        SetText(kScaleBox, FormatNumber(static_cast<float>(value)));
        settings_.integerScale = kUseFloatScale;
    } else if (id == kGroupsSpinner) {
        SetGroupCount(pos);
    } else if (IsQuantitySpinner(id)) {
        int i = id - kQuantitySpinner0;
        settings_.quantities[i] = pos;
        SetText(kQuantity0 + i, std::to_string(pos));
    }
}

void CExportSettingsDlg::ChooseOutputFile(ExportMode mode) {
    mode_ = mode;
    FileDialogRequest request;
    request.filter = kCmpFilter;
    request.defaultExtension = "cmp";
    std::optional<std::string> path;
    if (mode == ExportMode::New) {
        request.title = "Export Kaltrix CMP File";
        request.overwritePrompt = true;
        path = ui().SaveFile(request);
    } else {
        request.title = "Update Existing Kaltrix CMP File";
        path = ui().OpenFile(request);
    }
    if (!path) {
        SetText(kFileName, " ");
        outputPath_.clear();
        return;
    }
    outputPath_ = *path;
    fileChosen_ = true;
    SetText(kFileName, FileName(outputPath_));
    if (mode == ExportMode::Update && !files_.Exists(outputPath_)) {
        ui().Message(
            "The file " + FileName(outputPath_) + " does not exist, switching to New File Mode",
            "Message", MessageIcon::Information);
        mode_ = ExportMode::New;
    }
    SetEnabled(kIdOk, true);
}

template <typename Ok>
int CExportSettingsDlg::ReadQuantities(ExportSettings& into, Ok ok) const {
    // Entries past the groups in use are 0, whatever the boxes held before.
    int n = settings_.groupCount < 2 ? 0 : settings_.groupCount;
    for (int i = n; i < kMaxGroups; ++i) {
        into.quantities[i] = 0;
    }
    for (int i = 0; i < n; ++i) {
        into.quantities[i] = ParseInteger(Text(kQuantity0 + i));
        if (!ok(into.quantities[i])) {
            return i + 1;
        }
    }
    return 0;
}

void CExportSettingsDlg::Continue() {
    if (!fileChosen_) {
        return;
    }
    if (outputPath_.empty()) {
        ui().Message("Output file not selected", "Error", MessageIcon::Error);
        return;
    }
    if (int group = ReadQuantities(settings_, [](int32_t q) { return q != 0; })) {
        ui().Message("Quantity missing from group " + std::to_string(group), "Error",
                     MessageIcon::Error);
        return;
    }
    settings_.floatScale = Number(kScaleBox);
    if (settings_.modelType == StoredValue(ModelType::Cockpit)) {
        settings_.fovX = Number(kFovX);
        settings_.fovY = Number(kFovY);
        settings_.zNear = Number(kZNear);
        settings_.zFar = Number(kZFar);
    }
    End(kIdOk);
}

void CExportSettingsDlg::SaveSettings() {
    FileDialogRequest request{"Save CMP Exporter Settings", kCesFilter, "ces", "", true};
    std::optional<std::string> path = ui().SaveFile(request);
    if (!path) {
        return;
    }
    settings_.floatScale = Number(kScaleBox);
    ExportSettings record;
    record.floatScale = settings_.floatScale;
    record.integerScale = settings_.integerScale;
    record.orientation = settings_.orientation;
    record.levelOfDetail = settings_.levelOfDetail;
    record.groupCount = settings_.groupCount;
    if (int group = ReadQuantities(record, [](int32_t q) { return q > 0; })) {
        // No file is kept, so the settings asked for are not saved.
        ui().SettingsFileRefused(*this, "Quantity missing from group " + std::to_string(group),
                                 "Warning", MessageIcon::Warning);
        return;
    }
    record.modelType = settings_.modelType;
    if (record.modelType == StoredValue(ModelType::Cockpit)) {
        record.fovX = Number(kFovX);
        record.fovY = Number(kFovY);
        record.zNear = Number(kZNear);
        record.zFar = Number(kZFar);
    }
    const Status written =
        SettingsFileStatus(files_, files_.Write(*path, EncodeSettingsFile(record)), *path);
    if (!written) {
        ui().SettingsFileRefused(*this, written.Reason(), SettingsFileCaption(written),
                                 MessageIcon::Error);
        return;
    }
    savedSettingsPath_ = *path;
}

void CExportSettingsDlg::LoadSettings() {
    FileDialogRequest request{"Load CMP Exporter Settings", kCesFilter, "ces", "", false};
    std::optional<std::string> path = ui().OpenFile(request);
    if (!path) {
        return;
    }
    const kx::Result<SettingsFileContent> loaded = ReadSettingsFile(files_, *path);
    if (!loaded) {
        ui().SettingsFileRefused(*this, loaded.Reason(), SettingsFileCaption(loaded.GetStatus()),
                                 MessageIcon::Error);
        return;
    }
    ApplyLoadedSettings(*loaded);
}

void CExportSettingsDlg::ApplyLoadedSettings(const SettingsFileContent& loaded) {
    const ExportSettings& in = loaded.settings;
    settings_.integerScale = in.integerScale;
    // The record follows what the buttons show: any orientation but Back To
    // Front is Upside Down, any level but 1 to 3 is level 0.
    const bool backToFront = in.orientation == StoredValue(Orientation::BackToFront);
    settings_.orientation =
        StoredValue(backToFront ? Orientation::BackToFront : Orientation::UpsideDown);
    CheckRadio(kUpsideDown, kBackToFront, backToFront ? kBackToFront : kUpsideDown);
    ShowLevel(in.levelOfDetail >= 1 && in.levelOfDetail <= 3 ? in.levelOfDetail : 0);
    settings_.quantities = in.quantities;
    SetGroupCount(in.groupCount);

    if (loaded.oldLayout) {
        ShowModelType(ModelType::Ship);
        settings_.floatScale = static_cast<float>(settings_.integerScale);
        settings_.integerScale = kUseFloatScale;
    } else {
        // A float scale that is not a finite number counts as none; a finite
        // one stands as stored, even beyond the scale box's limits.
        const bool floatScaleRules = std::isfinite(in.floatScale) && in.floatScale > 0.0f &&
                                     in.integerScale == kUseFloatScale;
        settings_.floatScale =
            floatScaleRules ? in.floatScale : static_cast<float>(in.integerScale);
        if (in.modelType == StoredValue(ModelType::Cockpit)) {
            ShowModelType(ModelType::Cockpit);
            // These go into the camera as they are, so they get the limits a
            // person typing them would.
            ShowFieldOfView(LoadedNumber(kFovX, in.fovX, kFovXDefault),
                            LoadedNumber(kFovY, in.fovY, kFovYDefault),
                            LoadedNumber(kZNear, in.zNear, kZNearDefault),
                            LoadedNumber(kZFar, in.zFar, kZFarDefault));
        } else {
            ShowModelType(in.modelType == StoredValue(ModelType::Weapon) ? ModelType::Weapon
                                                                         : ModelType::Ship);
        }
    }
    const NumberBox* scale = FindNumberBox(kScaleBox);
    if (settings_.floatScale >= scale->min && settings_.floatScale <= scale->max) {
        SetNumber(kScaleBox, settings_.floatScale);
    }
}

void CExportSettingsDlg::ShowLevel(int level) {
    settings_.levelOfDetail = level;
    CheckRadio(kLevel0, kLevel0 + 3, kLevel0 + level);
    for (int i = 0; i < 4; ++i) {
        SetVisible(kLevelLabel0 + i, i == level);
    }
}

void CExportSettingsDlg::SetGroupCount(int count) {
    SetText(kGroupsBox, std::to_string(count));
    OnGroupCountEdited(Text(kGroupsBox));
}

void CExportSettingsDlg::OnGroupCountEdited(const std::string& text) {
    int n = ParseInteger(text);
    if (n < 1 || n > kMaxGroups) {
        n = n < 1 ? 1 : kMaxGroups;
        SetText(kGroupsBox, std::to_string(n));
    }
    settings_.groupCount = n;
    SetPosition(kGroupsSpinner, n);
    for (int i = 0; i < kMaxGroups; ++i) {
        bool used = n >= 2 && i < n;
        SetEnabled(kQuantity0 + i, used);
        SetEnabled(kQuantitySpinner0 + i, used);
        if (used) {
            SetPosition(kQuantitySpinner0 + i, settings_.quantities[i]);
            SetText(kQuantity0 + i, std::to_string(settings_.quantities[i]));
        } else {
            SetText(kQuantity0 + i, "");
        }
    }
    for (int id : kFovBoxes) {
        SetEnabled(id, settings_.modelType == StoredValue(ModelType::Cockpit));
    }
}

void CExportSettingsDlg::ShowModelType(ModelType type) {
    settings_.modelType = StoredValue(type);
    const bool cockpit = type == ModelType::Cockpit;
    CheckRadio(kShip, kWeapon, cockpit ? kCockpit : type == ModelType::Weapon ? kWeapon : kShip);
    if (cockpit) {
        ShowLevel(0);
        if (settings_.groupCount > 1) {
            SetGroupCount(1);
        }
    } else {
        ClearFieldOfView();
    }
    SetEnabled(kGroupsBox, !cockpit);
    SetEnabled(kGroupsSpinner, !cockpit);
    for (int i = 0; i < 4; ++i) {
        SetEnabled(kLevel0 + i, !cockpit);
    }
    for (int id : kFovBoxes) {
        SetEnabled(id, cockpit);
    }
    SetEnabled(kReset, cockpit);
}

void CExportSettingsDlg::ClearFieldOfView() {
    settings_.fovX = settings_.fovY = settings_.zNear = settings_.zFar = 0.0f;
    for (int id : kFovBoxes) {
        SetText(id, "");
        SetEnabled(id, false);
    }
    SetEnabled(kReset, false);
}

void CExportSettingsDlg::ShowFieldOfView(float fovX, float fovY, float zNear, float zFar) {
    settings_.fovX = fovX;
    settings_.fovY = fovY;
    settings_.zNear = zNear;
    settings_.zFar = zFar;
    SetNumber(kFovX, fovX);
    SetNumber(kFovY, fovY);
    SetNumber(kZNear, zNear);
    SetNumber(kZFar, zFar);
}

void CExportSettingsDlg::SetNumber(int id, float value) {
    SetText(id, FormatNumber(value));
    if (id == kScaleBox) {
        const NumberBox* box = FindNumberBox(kScaleBox);
        SetPosition(kScaleSlider, SliderPosition(value, box->min, box->max));
    }
}

float CExportSettingsDlg::Number(int id) const {
    return ParseNumber(Text(id));
}

float CExportSettingsDlg::LoadedNumber(int id, float value, float fallback) {
    if (!std::isfinite(value)) {
        return fallback;
    }
    const NumberBox* box = FindNumberBox(id);
    return std::clamp(value, box->min, box->max);
}

}  // namespace kx
