// The model exporter's windows and their dialog templates. The resource
// scripts use these ids through the preprocessor; a window model that
// renumbers a control fails to build here instead of losing its events.

#include "win32/DialogIds.h"
#include "win32/Win32Ui.h"

#include "exporter/ExportResultDlg.h"
#include "exporter/ExportSettingsDlg.h"

namespace {

using S = kx::CExportSettingsDlg;
static_assert(S::kNew == IDC_EXP_NEW && S::kUpdate == IDC_EXP_UPDATE &&
              S::kFileName == IDC_EXP_FILENAME);
static_assert(S::kLevel0 == IDC_EXP_LEVEL0 && S::kLevel0 + 3 == IDC_EXP_LEVEL3 &&
              S::kLevelLabel0 == IDC_EXP_LEVELLABEL0 && S::kLevelLabel0 + 3 == IDC_EXP_LEVELLABEL3);
static_assert(S::kSaveSettings == IDC_EXP_SAVESETTINGS && S::kLoadSettings == IDC_EXP_LOADSETTINGS);
static_assert(S::kUpsideDown == IDC_EXP_UPSIDEDOWN && S::kBackToFront == IDC_EXP_BACKTOFRONT);
static_assert(S::kScaleBox == IDC_EXP_SCALE && S::kScaleSlider == IDC_EXP_SCALESLIDER);
static_assert(S::kGroupsBox == IDC_EXP_GROUPS && S::kGroupOptions == IDC_EXP_GROUPOPTIONS &&
              S::kGroupsSpinner == IDC_EXP_GROUPSSPIN);
static_assert(S::kLevelGroup == IDC_EXP_LEVELGROUP && S::kScaleGroup == IDC_EXP_SCALEGROUP &&
              S::kOrientationGroup == IDC_EXP_ORIENTATIONGROUP &&
              S::kTypeGroup == IDC_EXP_TYPEGROUP && S::kQuantitiesGroup == IDC_EXP_QUANTITIESGROUP);
static_assert(S::kQuantity0 == IDC_EXP_QUANTITY0 && S::kQuantityLabel0 == IDC_EXP_QUANTITYLABEL0 &&
              S::kQuantitySpinner0 == IDC_EXP_QUANTITYSPIN0);
static_assert(S::kFovGroup == IDC_EXP_FOVGROUP && S::kFovX == IDC_EXP_FOVX &&
              S::kFovY == IDC_EXP_FOVY && S::kReset == IDC_EXP_RESET &&
              S::kZNear == IDC_EXP_ZNEAR && S::kZFar == IDC_EXP_ZFAR);
static_assert(S::kShip == IDC_EXP_SHIP && S::kCockpit == IDC_EXP_COCKPIT &&
              S::kWeapon == IDC_EXP_WEAPON);
static_assert(kx::CExportResultDlg::kTree == IDC_RES_TREE);

const kx::DialogBinding kDialogs[] = {
    {"Kaltrix CMP Settings", S::kNew, IDD_EXPORT_SETTINGS},
    {"Kaltrix CMP Exporter", kx::CExportResultDlg::kTree, IDD_EXPORT_RESULT},
};

}  // namespace

std::span<const kx::DialogBinding> kx::LibraryDialogs() {
    return kDialogs;
}
