// The importer's windows, their dialog templates and what the driver asks
// of the main window besides its controls: menu prompts and tips. A window
// model that renumbers a control fails to build here instead of losing its
// events.

#include "importer/CCMPDialog.h"
#include "importer/CInputDlg.h"
#include "win32/DialogIds.h"
#include "win32/Win32Ui.h"

namespace {

using D = kx::CCMPDialog;
static_assert(D::kModel == IDC_IMP_MODEL && D::kMaterial == IDC_IMP_MATERIAL &&
              D::kLevel == IDC_IMP_LEVEL && D::kTextures == IDC_IMP_TEXTURES &&
              D::kImport == IDC_IMP_IMPORT);
static_assert(D::kStatusBar == IDC_IMP_STATUS && D::kPromptBar == IDC_IMP_PROMPT);
static_assert(D::kMenuClear == IDM_IMP_CLEAR && D::kMenuAutoLoad == IDM_IMP_AUTOLOAD &&
              D::kMenuAutoOpen == IDM_IMP_AUTOOPEN && D::kMenuAutoSearch == IDM_IMP_AUTOSEARCH &&
              D::kMenuExtract == IDM_IMP_EXTRACT && D::kMenuFolder == IDM_IMP_FOLDER &&
              D::kMenuImportHardpoints == IDM_IMP_HARDPOINTS &&
              D::kMenuAfterPart == IDM_IMP_AFTERPART && D::kMenuAfterModel == IDM_IMP_AFTERMODEL &&
              D::kMenuFilter == IDM_IMP_FILTER && D::kMenuTooltips == IDM_IMP_TOOLTIPS);
static_assert(kx::CInputDlg::kFilterBox == IDC_IMP_FILTERBOX);

void MenuSelect(kx::Window& window, int command) {
    if (auto* dialog = dynamic_cast<D*>(&window)) {
        dialog->MenuSelect(command);
    }
}

bool Tooltip(const kx::Window& window, int id, std::string& title, std::string& text) {
    const auto* dialog = dynamic_cast<const D*>(&window);
    if (!dialog) {
        return false;
    }
    D::Tip tip = dialog->Tooltip(id);
    title = std::move(tip.title);
    text = std::move(tip.text);
    return !text.empty();
}

std::string Caption(const kx::Window& window) {
    const auto* dialog = dynamic_cast<const D*>(&window);
    return dialog ? dialog->Caption() : window.Title();
}

// Both windows carry the plug-in's title; their controls tell them apart.
const kx::DialogBinding kDialogs[] = {
    {D::kTitle, D::kModel, IDD_IMPORT_MAIN, &MenuSelect, &Tooltip, &Caption},
    {D::kTitle, kx::CInputDlg::kFilterBox, IDD_IMPORT_FILTER},
};

}  // namespace

std::span<const kx::DialogBinding> kx::LibraryDialogs() {
    return kDialogs;
}
