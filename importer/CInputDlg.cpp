#include "importer/CInputDlg.h"

namespace kx {

CInputDlg::CInputDlg(Ui& ui, std::string filter)
    : Window(ui, "Kaltrix CMP Importer V2.7"), filter_(std::move(filter)) {
    AddControl(kFilterBox);
    AddControl(kIdOk, "OK");
    AddControl(kIdCancel, "Cancel");
}

void CInputDlg::OnInit() {
    // The current filter is the list's one entry, shown selected; the empty
    // filter is a filter too.
    ControlState& box = State(kFilterBox);
    box.items = {ControlItem{filter_, {}, 0}};
    box.selection = 0;
    box.text = filter_;
}

void CInputDlg::OnCommand(int id) {
    if (id == kIdOk) {
        filter_ = Text(kFilterBox);
        End(kIdOk);
    } else if (id == kIdCancel) {
        End(kIdCancel);
    }
}

void CInputDlg::OnSelect(int id, int index) {
    const ControlState& box = Control(id);
    if (id == kFilterBox && index >= 0 && static_cast<size_t>(index) < box.items.size()) {
        SetText(id, box.items[static_cast<size_t>(index)].text);
    }
}

}  // namespace kx
