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
    for (const SwitchRow& row : SwitchTable()) {
        if (row.box != 0) {
            AddControl(row.box, row.boxCaption);
        }
    }
}

void CCMPFileDialog::OnInit() {
    FileDialog::OnInit();
    for (const SwitchRow& row : SwitchTable()) {
        if (row.box != 0) {
            SetChecked(row.box, options_.*row.member);
        }
    }
    // "After Model" only means something while hardpoints are imported.
    SetVisible(kAfterModel, options_.importHardpoints);
}

void CCMPFileDialog::KeepBoxes(ImporterOptions& options, SettingsStore& store, bool chosen) const {
    for (const SwitchRow& row : SwitchTable()) {
        if (row.box != 0) {
            options.*row.member = IsChecked(row.box);
            if (!row.writtenOnlyOnOk) {
                WriteOption(store, row.key, options.*row.member);
            }
        }
    }
    WriteOption(store, kLastFolderKey, ShownFolder());
    if (!chosen) {
        return;
    }
    for (const SwitchRow& row : SwitchTable()) {
        if (row.box != 0 && row.writtenOnlyOnOk) {
            WriteOption(store, row.key, options.*row.member);
        }
    }
}

void CCMPFileDialog::OnCommand(int id) {
    if (SwitchOfBox(id) != nullptr) {
        SetChecked(id, !IsChecked(id));
        if (id == kImportHardpoints) {
            SetVisible(kAfterModel, IsChecked(id));
        }
        return;
    }
    FileDialog::OnCommand(id);
}

}  // namespace kx
