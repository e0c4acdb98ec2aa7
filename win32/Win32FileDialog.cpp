// A file dialog with controls of its own: the common dialog, with the
// model's check boxes added under its file list by a hook procedure. The
// model keeps the boxes' states; the boxes only show them.

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "host/FileDialog.h"
#include "win32/CallbackEdge.h"
#include "win32/Win32Ui.h"
#include "win32/WindowDriver.h"

namespace kx {

namespace {

// The common dialog's own controls: the file list (explorer style, or its
// older id) and the standard buttons.
constexpr int kShellList = 0x461;
constexpr int kOldFileList = 0x460;

// Rows of boxes under the file list: the list gives up this much height.
constexpr int kListShrink = 35;
constexpr int kBoxWidth = 140;
constexpr int kBoxGap = 10;
constexpr int kRowHeight = 16;
constexpr int kBoxesPerRow = 3;

class HookedDialog {
  public:
    explicit HookedDialog(FileDialog& model) : model_(model) {}

    // The controls of the model that are not the common dialog's own.
    std::vector<int> OwnControls() const {
        std::vector<int> ids;
        for (int id : model_.ControlIds()) {
            if (id != kIdOk && id != kIdCancel && id != FileDialog::kFileNameBox) {
                ids.push_back(id);
            }
        }
        return ids;
    }

    void Init(HWND frame) {
        frame_ = frame;
        SetWindowSubclass(frame_, &HookedDialog::FrameProc, 0, reinterpret_cast<DWORD_PTR>(this));
        HWND list = GetDlgItem(frame_, kShellList);
        if (!list) {
            list = GetDlgItem(frame_, kOldFileList);
        }
        RECT r{};
        if (list) {
            GetWindowRect(list, &r);
            MapWindowPoints(nullptr, frame_, reinterpret_cast<POINT*>(&r), 2);
            r.bottom -= kListShrink;
            MoveWindow(list, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        }
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(frame_, WM_GETFONT, 0, 0));
        std::vector<int> ids = OwnControls();
        for (size_t i = 0; i < ids.size(); ++i) {
            const int column = static_cast<int>(i % kBoxesPerRow);
            const int row = static_cast<int>(i / kBoxesPerRow);
            // Plain check boxes: a click goes to the model, which sets the mark.
            HWND box = CreateWindowExA(
                0, "Button", model_.Control(ids[i]).text.c_str(),
                WS_CHILD | WS_TABSTOP | BS_CHECKBOX, r.left + 2 + column * (kBoxWidth + kBoxGap),
                r.bottom + 3 + row * kRowHeight, kBoxWidth, kRowHeight, frame_,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids[i])), ThisModule(), nullptr);
            SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
        Render();
    }

    void Render() {
        for (int id : OwnControls()) {
            HWND box = GetDlgItem(frame_, id);
            const ControlState& state = model_.Control(id);
            SendMessageA(box, BM_SETCHECK, state.checked ? BST_CHECKED : BST_UNCHECKED, 0);
            EnableWindow(box, state.enabled);
            ShowWindow(box, state.visible ? SW_SHOWNA : SW_HIDE);
        }
    }

    // The common dialog is about to accept `path`; false keeps it open.
    bool Accept(const std::string& path) {
        model_.ChooseFile(path);
        model_.Click(kIdOk);
        return model_.Ended();
    }

    void FolderShown(const std::string& folder) { model_.ShowFolder(folder); }

    void Detach() {
        if (frame_) {
            RemoveWindowSubclass(frame_, &HookedDialog::FrameProc, 0);
            frame_ = nullptr;
        }
    }

    // The hook and the frame's subclass are the window system's edge: an
    // exception cancels the common dialog (which takes no EndDialog from a
    // hook) and waits for RunFileDialog to rethrow it.
    bool Failed() const { return edge_.Failed(); }
    template <class Body, class R>
    R AtEdge(HWND frame, Body&& body, R fallback) noexcept {
        return edge_.Run(
            std::forward<Body>(body),
            [frame] { PostMessageA(frame, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); },
            fallback);
    }
    void RethrowCaught() { edge_.Rethrow(); }

  private:
    // False when `id` is not one of the model's own boxes.
    bool BoxClicked(int id) {
        std::vector<int> own = OwnControls();
        if (std::find(own.begin(), own.end(), id) == own.end()) {
            return false;
        }
        const ControlState& state = model_.Control(id);
        if (state.enabled && state.visible) {
            model_.Click(id);
            Render();
        }
        return true;
    }

    static LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) {
        auto* dialog = reinterpret_cast<HookedDialog*>(self);
        if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && lParam && !dialog->Failed()) {
            const bool own = dialog->AtEdge(
                hwnd, [&] { return dialog->BoxClicked(LOWORD(wParam)); }, true);
            if (own) {
                return 0;
            }
        }
        if (msg == WM_DESTROY) {
            dialog->Detach();
        }
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }

    FileDialog& model_;
    HWND frame_ = nullptr;
    CallbackEdge edge_;
};

std::string FolderOf(HWND frame, UINT message) {
    char path[MAX_PATH] = {};
    LRESULT got = SendMessageA(frame, message, sizeof path, reinterpret_cast<LPARAM>(path));
    return got > 0 ? std::string(path) : std::string();
}

// What the common dialog tells the hook.
UINT_PTR Notified(HWND hook, HWND frame, HookedDialog& dialog, LPARAM lParam) {
    switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
        case CDN_INITDONE:
            dialog.Init(frame);
            break;
        case CDN_FOLDERCHANGE:
            dialog.FolderShown(FolderOf(frame, CDM_GETFOLDERPATH));
            break;
        case CDN_FILEOK: {
            // The dialog has put the whole path in the request's buffer by now.
            const OPENFILENAMEA* ofn = reinterpret_cast<const OFNOTIFYA*>(lParam)->lpOFN;
            if (!dialog.Accept(ofn && ofn->lpstrFile ? ofn->lpstrFile : "")) {
                // The model refuses the name: the dialog stays open.
                SetWindowLongPtrA(hook, DWLP_MSGRESULT, 1);
                return TRUE;
            }
            break;
        }
        default:
            break;
    }
    return FALSE;
}

UINT_PTR CALLBACK HookProc(HWND hook, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto* ofn = reinterpret_cast<OPENFILENAMEA*>(lParam);
        SetWindowLongPtrA(hook, DWLP_USER, ofn->lCustData);
        return TRUE;
    }
    auto* dialog = reinterpret_cast<HookedDialog*>(GetWindowLongPtrA(hook, DWLP_USER));
    if (msg != WM_NOTIFY || !dialog || dialog->Failed()) {
        return FALSE;
    }
    HWND frame = GetParent(hook);
    return dialog->AtEdge(
        frame, [&]() -> UINT_PTR { return Notified(hook, frame, *dialog, lParam); },
        UINT_PTR{FALSE});
}

}  // namespace

int Win32Ui::RunFileDialog(kx::FileDialog& dialog) {
    dialog.Open();
    const FileDialogRequest& request = dialog.Request();
    char path[MAX_PATH] = {};
    const std::string& initial = dialog.Control(kx::FileDialog::kFileNameBox).text;
    if (initial.size() < sizeof path) {
        std::memcpy(path, initial.data(), initial.size());
    }
    const std::string folder = dialog.ShownFolder();
    std::string filter = CommonDialogFilter(request.filter);
    HookedDialog hooked(dialog);

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = InnermostDialog();
    ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    ofn.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                OFN_PATHMUSTEXIST |
                (dialog.DialogKind() == kx::FileDialog::Kind::Open ? OFN_FILEMUSTEXIST : 0) |
                (request.overwritePrompt ? OFN_OVERWRITEPROMPT : 0);
    ofn.lpfnHook = &HookProc;
    ofn.lCustData = reinterpret_cast<LPARAM>(&hooked);
    const BOOL chosen = dialog.DialogKind() == kx::FileDialog::Kind::Open ? GetOpenFileNameA(&ofn)
                                                                          : GetSaveFileNameA(&ofn);
    hooked.Detach();
    hooked.RethrowCaught();
    if (chosen && !dialog.Ended()) {
        dialog.ChooseFile(path);
        dialog.Click(kIdOk);
    }
    if (!dialog.Ended()) {
        dialog.Click(kIdCancel);
    }
    if (!dialog.Ended()) {
        dialog.Close();
    }
    return dialog.Result();
}

}  // namespace kx
