// The collision exporter's window and its dialog template. A window model
// that renumbers a control fails to build here instead of losing its events.

#include "surface/SurExportDlg.h"
#include "win32/DialogIds.h"
#include "win32/Win32Ui.h"

namespace {

using S = kx::CSurExportDlg;
static_assert(S::kSurFile == IDC_SUR_FILE && S::kBrowse == IDC_SUR_BROWSE);
static_assert(S::kUpsideDown == IDC_SUR_UPSIDEDOWN && S::kBackToFront == IDC_SUR_BACKTOFRONT);
static_assert(S::kScaleBox == IDC_SUR_SCALE && S::kScaleSpinner == IDC_SUR_SCALESPIN &&
              S::kScaleSlider == IDC_SUR_SCALESLIDER);
static_assert(S::kLoadSettings == IDC_SUR_LOADSETTINGS);
static_assert(S::kShieldBubble == IDC_SUR_SHIELD && S::kShrinkWrapped == IDC_SUR_WRAP);
static_assert(S::kShipMass == IDC_SUR_MASS && S::kGroupsBox == IDC_SUR_GROUPS &&
              S::kQuantity0 == IDC_SUR_QUANTITY0);
static_assert(S::kNoReduction == IDC_SUR_NOREDUCTION && S::kClosedHulls == IDC_SUR_CLOSEDHULLS);

const kx::DialogBinding kDialogs[] = {
    {"Kaltrix SUR Exporter", S::kSurFile, IDD_SUR_EXPORT},
};

}  // namespace

std::span<const kx::DialogBinding> kx::LibraryDialogs() {
    return kDialogs;
}
