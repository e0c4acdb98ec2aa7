#pragma once
// The collision exporter's options window: the target file, orientation,
// scale divisor, collision mesh kind, ship mass, groups and their
// quantities, mesh reduction, and the model exporter's .ces files read by
// their words.

#include <cstdint>
#include <string>

#include "exportsettings/SettingsFile.h"
#include "host/FileService.h"
#include "host/Window.h"
#include "surface/SurfaceTypes.h"

namespace kx {

class CSurExportDlg : public Window {
  public:
    // Control ids (OK is kIdOk, Cancel kIdCancel).
    static constexpr int kSurFile = 6000;
    static constexpr int kBrowse = 6001;
    static constexpr int kUpsideDown = 6002;
    static constexpr int kBackToFront = 6003;
    static constexpr int kScaleBox = 6004;
    static constexpr int kScaleSpinner = 6005;
    static constexpr int kLoadSettings = 6006;
    static constexpr int kShieldBubble = 6007;
    static constexpr int kShrinkWrapped = 6008;
    static constexpr int kShipMass = 6009;
    static constexpr int kGroupsBox = 6010;
    static constexpr int kQuantity0 = 6011;  // to 6028
    static constexpr int kScaleSlider = 6029;
    static constexpr int kNoReduction = 6030;
    // Each part hull the convex hull of its mesh. Kept in the window alone:
    // the settings files it reads are the model exporter's.
    static constexpr int kClosedHulls = 6031;

    static constexpr float kScaleMin = 0.000001f;
    static constexpr float kScaleMax = 100.0f;

    // Settings files are read through `files`.
    CSurExportDlg(Ui& ui, FileService& files);

    // The result once the window has ended with OK: words 0 to 27 filled,
    // the rest 0.
    const SettingsWords& Words() const { return words_; }
    CollisionKind Kind() const { return kind_; }
    uint32_t ShipMass() const { return shipMass_; }
    bool ReductionOff() const { return reductionOff_; }
    bool ClosedHulls() const { return closedHulls_; }
    const std::string& TargetPath() const { return targetPath_; }

    // "Load CMP Settings" once the file is read.
    void ApplyLoadedSettings(const SettingsFileContent& loaded);

  protected:
    void OnInit() override;
    void OnCommand(int id) override;
    void OnEdit(int id, const std::string& text) override;
    void OnScroll(int id, int pos) override;

  private:
    void Browse();
    void LoadSettings();
    void Accept();
    void SetGroupCount(int count);
    void OnGroupCountEdited(const std::string& text);
    // Shows a scale as it is, without the typed limits; the slider follows.
    void ShowScale(float value);

    FileService& files_;
    SettingsWords words_{};
    CollisionKind kind_ = CollisionKind::ShieldBubble;
    uint32_t shipMass_ = 100;
    bool reductionOff_ = false;
    bool closedHulls_ = false;
    std::string targetPath_;
    float scale_ = 92.0f;  // the scale control's value
};

}  // namespace kx
