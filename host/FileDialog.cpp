#include "host/FileDialog.h"

namespace kx {

namespace {

// A name with wildcards only filters the list, as the initial pattern does.
bool NamesAFile(const std::string& name) {
    return !name.empty() && name.find_first_of("*?") == std::string::npos;
}

}  // namespace

int Ui::RunFileDialog(FileDialog& dialog) {
    dialog.Open();
    if (!dialog.Ended()) {
        dialog.Close();
    }
    return dialog.Result();
}

FileDialog::FileDialog(Ui& ui, Kind kind, FileDialogRequest request, std::string initialFolder)
    : Window(ui, request.title),
      kind_(kind),
      request_(std::move(request)),
      shownFolder_(std::move(initialFolder)) {
    AddControl(kIdOk, kind == Kind::Open ? "Open" : "Save");
    AddControl(kIdCancel, "Cancel");
    AddControl(kFileNameBox);
}

void FileDialog::OnInit() {
    SetText(kFileNameBox, request_.initialPath);
    SetEnabled(kIdOk, NamesAFile(request_.initialPath));
}

void FileDialog::ChooseFile(std::string path) {
    // Either separator: the dialog may show a path of the other platform.
    const size_t slash = path.find_last_of("/\\");
    if (slash != std::string::npos) {
        shownFolder_ = path.substr(0, slash);
    }
    SetText(kFileNameBox, std::move(path));
    SetEnabled(kIdOk, NamesAFile(Text(kFileNameBox)));
}

void FileDialog::OnEdit(int id, const std::string& text) {
    if (id == kFileNameBox) {
        ChooseFile(text);
    }
}

void FileDialog::OnCommand(int id) {
    if (id == kIdOk && NamesAFile(Text(kFileNameBox))) {
        End(kIdOk);
    } else if (id == kIdCancel) {
        End(kIdCancel);
    }
}

std::optional<std::string> FileDialog::Chosen() const {
    if (!Ended() || Result() != kIdOk) {
        return std::nullopt;
    }
    return Text(kFileNameBox);
}

}  // namespace kx
