#include "win32/Win32Ui.h"

#include <shlobj.h>

#include <cstring>

#include "host/Window.h"
#include "win32/WindowDriver.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace kx {

namespace {

UINT IconStyle(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return MB_ICONINFORMATION;
        case MessageIcon::Warning:
            return MB_ICONWARNING;
        case MessageIcon::Error:
            return MB_ICONERROR;
        case MessageIcon::Question:
            return MB_ICONQUESTION;
        case MessageIcon::None:
            break;
    }
    return 0;
}

UINT ButtonStyle(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return MB_OK;
        case MessageButtons::OkCancel:
            return MB_OKCANCEL;
        case MessageButtons::YesNo:
            return MB_YESNO;
        case MessageButtons::YesNoCancel:
            return MB_YESNOCANCEL;
    }
    return MB_OK;
}

int CALLBACK BrowseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM initial) {
    if (msg == BFFM_INITIALIZED && initial) {
        SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, initial);
    }
    return 0;
}

}  // namespace

// "Text|*.x|Text|*.y" as the common dialogs want it: NUL-separated pairs
// ending in two NULs.
std::string CommonDialogFilter(const std::string& filter) {
    std::string out = filter;
    for (char& ch : out) {
        if (ch == '|') {
            ch = '\0';
        }
    }
    out.append(2, '\0');
    return out;
}

HINSTANCE ThisModule() {
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

const DialogBinding* FindDialogBinding(std::span<const DialogBinding> bindings,
                                       const Window& window) {
    for (const DialogBinding& binding : bindings) {
        if (window.Title() == binding.title && window.HasControl(binding.markerControl)) {
            return &binding;
        }
    }
    return nullptr;
}

HWND Win32Ui::Owner() const {
    return InnermostDialog();
}

MessageAnswer Win32Ui::Message(const std::string& text, const std::string& caption,
                               MessageIcon icon, MessageButtons buttons) {
    int answer = MessageBoxA(Owner(), text.c_str(), caption.c_str(),
                             IconStyle(icon) | ButtonStyle(buttons) | MB_SETFOREGROUND);
    switch (answer) {
        case IDOK:
            return MessageAnswer::Ok;
        case IDYES:
            return MessageAnswer::Yes;
        case IDNO:
            return MessageAnswer::No;
        default:
            return MessageAnswer::Cancel;
    }
}

std::optional<std::string> Win32Ui::FileDialog(const FileDialogRequest& request, bool save) {
    char path[MAX_PATH] = {};
    if (!request.initialPath.empty() && request.initialPath.size() < sizeof path) {
        std::memcpy(path, request.initialPath.data(), request.initialPath.size());
    }
    std::string filter = CommonDialogFilter(request.filter);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = Owner();
    ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    // The working folder stays where the host had it, whatever folder the
    // person browsed to.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    if (save && request.overwritePrompt) {
        ofn.Flags |= OFN_OVERWRITEPROMPT;
    }
    BOOL chosen = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!chosen) {
        return std::nullopt;
    }
    return std::string(path);
}

std::optional<std::string> Win32Ui::OpenFile(const FileDialogRequest& request) {
    return FileDialog(request, false);
}

std::optional<std::string> Win32Ui::SaveFile(const FileDialogRequest& request) {
    return FileDialog(request, true);
}

std::optional<std::string> Win32Ui::BrowseFolder(const std::string& title,
                                                 const std::string& initialFolder) {
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    BROWSEINFOA info{};
    info.hwndOwner = Owner();
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = &BrowseCallback;
    // The browser selects a folder named without a separator at its end
    // (a drive's root keeps its own).
    std::string start = initialFolder;
    while (start.size() > 3 && (start.back() == '\\' || start.back() == '/')) {
        start.pop_back();
    }
    info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    std::optional<std::string> folder;
    if (PIDLIST_ABSOLUTE list = SHBrowseForFolderA(&info)) {
        char path[MAX_PATH] = {};
        if (SHGetPathFromIDListA(list, path)) {
            folder = path;
        }
        CoTaskMemFree(list);
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return folder;
}

void Win32Ui::Beep() {
    MessageBeep(MB_OK);
}

int Win32Ui::RunModal(Window& window) {
    const DialogBinding* binding = FindDialogBinding(dialogs_, window);
    if (!binding || !FindResourceA(module_, MAKEINTRESOURCEA(binding->templateId), RT_DIALOG)) {
        Message("The window \"" + window.Title() + "\" is missing from this library.", "Error",
                MessageIcon::Error, MessageButtons::Ok);
        return Ui::RunModal(window);
    }
    HWND owner = Owner();
    if (!owner) {
        // The modeller's own window, so the dialog is modal to it.
        owner = GetActiveWindow();
    }
    return RunWindowDialog(window, module_, *binding, owner);
}

}  // namespace kx
