#pragma once
// The model exporter's settings window: output file and mode, level of
// detail, orientation, scale divisor, model type, groups and their
// quantities, the cockpit camera's field of view, and .ces files.

#include <string>

#include "exporter/ExportSettings.h"
#include "exportsettings/SettingsFile.h"
#include "host/FileService.h"
#include "host/Window.h"

namespace kx {

class CExportSettingsDlg : public Window {
  public:
    // Control ids (the Continue button is kIdOk, Cancel kIdCancel).
    static constexpr int kNew = 1000;
    static constexpr int kUpdate = 1001;
    static constexpr int kFileName = 1002;
    static constexpr int kLevel0 = 1003;       // to 1006
    static constexpr int kLevelLabel0 = 1007;  // to 1010
    static constexpr int kSaveSettings = 1011;
    static constexpr int kLoadSettings = 1012;
    static constexpr int kUpsideDown = 1013;
    static constexpr int kBackToFront = 1014;
    static constexpr int kScaleBox = 1015;
    static constexpr int kScaleSlider = 1017;
    static constexpr int kGroupsBox = 1020;
    static constexpr int kGroupOptions = 1021;
    static constexpr int kLevelGroup = 1022;
    static constexpr int kScaleGroup = 1023;
    static constexpr int kOrientationGroup = 1024;
    static constexpr int kTypeGroup = 1025;
    static constexpr int kGroupsSpinner = 1026;
    static constexpr int kQuantitiesGroup = 1027;
    static constexpr int kQuantity0 = 1028;         // to 1045
    static constexpr int kQuantityLabel0 = 1046;    // to 1063
    static constexpr int kQuantitySpinner0 = 1064;  // to 1081
    static constexpr int kFovGroup = 22001;
    static constexpr int kFovX = 22002;
    static constexpr int kFovY = 22004;
    static constexpr int kReset = 22006;
    static constexpr int kZNear = 22011;
    static constexpr int kZFar = 22012;
    static constexpr int kShip = 22013;
    static constexpr int kCockpit = 22014;
    static constexpr int kWeapon = 22015;

    // Settings files are read and written through `files` (the disk when
    // none is given).
    explicit CExportSettingsDlg(Ui& ui);
    CExportSettingsDlg(Ui& ui, FileService& files);

    // The result once the window has ended.
    const ExportSettings& Settings() const { return settings_; }
    ExportMode Mode() const { return mode_; }
    const std::string& OutputPath() const { return outputPath_; }
    // The settings file "Save Settings" last wrote, empty when none.
    const std::string& SavedSettingsPath() const { return savedSettingsPath_; }

    // "Load Settings" once the file's bytes are read.
    void ApplyLoadedSettings(const SettingsFileContent& loaded);

  protected:
    void OnInit() override;
    void OnCommand(int id) override;
    void OnEdit(int id, const std::string& text) override;
    void OnScroll(int id, int pos) override;
    bool OnChar(int id, char ch) override;

  private:
    struct NumberBox {
        int id;
        float min, max;
    };
    static const NumberBox* FindNumberBox(int id);

    void ChooseOutputFile(ExportMode mode);
    void Continue();
    void SaveSettings();
    void LoadSettings();

    void ShowLevel(int level);
    void SetGroupCount(int count);
    void OnGroupCountEdited(const std::string& text);
    // Enable states of a model type's controls; a cockpit also gets one group.
    void ShowModelType(ModelType type);
    void ClearFieldOfView();
    void ShowFieldOfView(float fovX, float fovY, float zNear, float zFar);
    void SetNumber(int id, float value);
    // A loaded value as its box would take it typed.
    static float LoadedNumber(int id, float value, float fallback);
    float Number(int id) const;
    // Reads quantities 1..n from their boxes (the rest become 0); the group
    // number of the first that fails `ok`, or 0 when all pass.
    template <typename Ok>
    int ReadQuantities(ExportSettings& into, Ok ok) const;

    FileService& files_;
    ExportSettings settings_;
    ExportMode mode_ = ExportMode::New;
    std::string outputPath_;
    bool fileChosen_ = false;
    std::string savedSettingsPath_;
};

}  // namespace kx
