#include "importer/CCMPFileDialog.h"

namespace kx {

FileDialogRequest ImporterFileRequest(const std::string& pattern) {
    FileDialogRequest request;
    request.filter = "Kaltrix Model Files (" + pattern + ")|" + pattern + "|All Files (*.*)|*.*||";
    request.initialPath = pattern;
    return request;
}

CCMPFileDialog::CCMPFileDialog(Ui& ui, const std::string& pattern, const std::string& folder,
                               const ImporterOptions& options)
    : FileDialog(ui, Kind::Open, ImporterFileRequest(pattern), folder), options_(options) {
    // Two rows under the file list, in the order they are placed.
    AddControl(kAutoOpen, "Auto Open this Dialog Box");
    AddControl(kImportHardpoints, "Import Hardpoints");
    AddControl(kAutoLoad, "Auto Load");
    AddControl(kExtract, "Extract Textures");
    AddControl(kAfterModel, "After Model");
    AddControl(kClearModel, "Clear Model");
}

void CCMPFileDialog::OnInit() {
    FileDialog::OnInit();
    SetChecked(kAutoOpen, options_.autoOpen);
    SetChecked(kImportHardpoints, options_.importHardpoints);
    SetChecked(kAutoLoad, options_.autoLoad);
    SetChecked(kExtract, options_.extract);
    SetChecked(kAfterModel, options_.hardpointsAfterModel);
    SetChecked(kClearModel, options_.clearModel);
    // "After Model" only means something while hardpoints are imported.
    SetVisible(kAfterModel, options_.importHardpoints);
}

void CCMPFileDialog::OnCommand(int id) {
    if (id >= kAutoLoad && id <= kAfterModel) {
        SetChecked(id, !IsChecked(id));
        if (id == kImportHardpoints) {
            SetVisible(kAfterModel, IsChecked(id));
        }
        return;
    }
    FileDialog::OnCommand(id);
}

}  // namespace kx
