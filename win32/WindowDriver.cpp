#include "win32/WindowDriver.h"

#include <commctrl.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "win32/CallbackEdge.h"
#include "win32/ControlRender.h"
#include "win32/Win32Ui.h"

namespace kx {

namespace {

// The dialogs this thread runs, innermost last.
thread_local std::vector<HWND> t_openDialogs;

// A worker's message wakes the dialog's thread as WM_USER+n: the message's
// own id when it lies in that range.
UINT WakeMessage(int id) {
    return id >= WM_USER && id <= 0x7FFF ? static_cast<UINT>(id) : WM_USER;
}

// One running dialog: the model, and what was last shown of each control so
// that only changes reach the window system.
class Dialog {
  public:
    Dialog(Window& window, const DialogBinding& binding) : window_(window), binding_(binding) {}

    // Every message of the dialog passes here, the window system's edge: an
    // exception ends the dialog and waits for RunWindowDialog to rethrow it.
    // A failed dialog's model hears nothing more; it only lets go of it.
    INT_PTR Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
        if (msg == WM_INITDIALOG) {
            hwnd_ = hwnd;
        }
        if (edge_.Failed() && msg != WM_DESTROY) {
            return FALSE;
        }
        return AtEdge([&] { return Dispatch(msg, wParam, lParam); }, INT_PTR{TRUE});
    }

    // After the dialog call has returned: what its procedures caught, thrown.
    void RethrowCaught() { edge_.Rethrow(); }

  private:
    INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_INITDIALOG) {
            Init(hwnd_);
            return TRUE;
        }
        if (msg >= WM_USER && msg <= 0x7FFF) {
            return Posted();
        }
        switch (msg) {
            case WM_COMMAND:
                return Command(wParam, lParam);
            case WM_INITMENUPOPUP:
                return MenuOpening();
            case WM_MENUSELECT:
                return MenuSelect(wParam, lParam);
            case WM_HSCROLL:
            case WM_VSCROLL:
                return Scroll(lParam);
            case WM_NOTIFY:
                return Notify(reinterpret_cast<const NMHDR*>(lParam));
            case WM_CLOSE:
                return Close();
            case WM_DESTROY:
                Destroyed();
                return FALSE;
            default:
                return FALSE;
        }
    }

    template <class Body, class R>
    R AtEdge(Body&& body, R fallback) noexcept {
        return edge_.Run(
            std::forward<Body>(body), [this] { EndDialog(hwnd_, -1); }, fallback);
    }

    void Init(HWND hwnd) {
        hwnd_ = hwnd;
        menu_ = GetMenu(hwnd);
        t_openDialogs.push_back(hwnd);
        caption_ = window_.Title();
        SetWindowTextA(hwnd_, caption_.c_str());
        for (HWND child = GetWindow(hwnd_, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            int id = GetDlgCtrlID(child);
            if (!window_.HasControl(id)) {
                continue;
            }
            ControlKind kind = KindOf(child);
            controls_[id] = ShownControl{child, kind, {}, true};
            if (kind == ControlKind::Edit) {
                SetWindowSubclass(child, &Dialog::EditProc, 0, reinterpret_cast<DWORD_PTR>(this));
            }
        }
        CreateTooltips();
        // Set before the window opens: its OnInit may already start workers.
        window_.SetPostWaker([hwnd](int id) { PostMessageA(hwnd, WakeMessage(id), 0, 0); });
        inModel_ = true;
        window_.Open();
        inModel_ = false;
        Sync();
    }

    // WM_USER+n: what the workers posted so far.
    INT_PTR Posted() {
        // Not while a handler of the model runs a nested loop (a message box):
        // the model hears of its workers between events, as in any driver.
        if (inModel_) {
            deferred_ = true;
            return TRUE;
        }
        Model([&] { window_.HandlePosted(); });
        return Sync();
    }

    // The menu is about to drop down: its check marks and captions.
    INT_PTR MenuOpening() {
        RenderMenu(menu_, window_);
        return FALSE;
    }

    INT_PTR MenuSelect(WPARAM wParam, LPARAM lParam) {
        if (!binding_.menuSelect) {
            return FALSE;
        }
        const UINT flags = HIWORD(wParam);
        // A drop-down title, a separator or the menu closing has no prompt.
        const bool command =
            !(flags == 0xFFFF && lParam == 0) && !(flags & (MF_POPUP | MF_SEPARATOR));
        const int id = command ? LOWORD(wParam) : 0;
        Model([&] { binding_.menuSelect(window_, id); });
        Sync();
        return FALSE;
    }

    void Destroyed() {
        window_.SetPostWaker(nullptr);
        if (tooltip_) {
            DestroyWindow(tooltip_);
            tooltip_ = nullptr;
        }
        if (!t_openDialogs.empty() && t_openDialogs.back() == hwnd_) {
            t_openDialogs.pop_back();
        }
        for (auto& [id, shown] : controls_) {
            if (shown.kind == ControlKind::Edit) {
                RemoveWindowSubclass(shown.hwnd, &Dialog::EditProc, 0);
            }
        }
    }

    INT_PTR Command(WPARAM wParam, LPARAM lParam) {
        int id = LOWORD(wParam);
        int code = HIWORD(wParam);
        HWND from = reinterpret_cast<HWND>(lParam);
        if (rendering_) {
            return TRUE;
        }
        if (!from) {
            // Enter and Escape: the default button, or the close rule.
            if (id == IDCANCEL) {
                Model([&] { window_.Close(); });
            } else if (id == IDOK && Usable(IDOK)) {
                TakeComboTexts();
                Model([&] { window_.Click(IDOK); });
            } else if (code == 0 && IsMenuCommand(menu_, window_, id) && Usable(id)) {
                Model([&] { window_.Click(id); });
            }
            return Sync();
        }
        auto it = controls_.find(id);
        if (it == controls_.end() || !Usable(id)) {
            return FALSE;
        }
        ShownControl& shown = it->second;
        switch (shown.kind) {
            case ControlKind::PushButton:
            case ControlKind::CheckButton:
                if (code == BN_CLICKED) {
                    TakeComboTexts();
                    Model([&] { window_.Click(id); });
                }
                break;
            case ControlKind::Edit:
                if (code == EN_CHANGE) {
                    std::string text = WindowText(shown.hwnd);
                    shown.state.text = text;
                    Model([&] { window_.Edit(id, std::move(text)); });
                }
                break;
            case ControlKind::ComboBox:
                if (code == CBN_SELCHANGE) {
                    const int index = static_cast<int>(SendMessageA(from, CB_GETCURSEL, 0, 0));
                    shown.state.selection = index;
                    Model([&] { window_.Select(id, index); });
                } else if (code == CBN_EDITCHANGE) {
                    TakeComboTexts();
                }
                break;
            case ControlKind::ListBox:
                if (code == LBN_SELCHANGE) {
                    const int index = static_cast<int>(SendMessageA(from, LB_GETCURSEL, 0, 0));
                    Model([&] { window_.Select(id, index); });
                }
                break;
            default:
                break;
        }
        return Sync();
    }

    INT_PTR Scroll(LPARAM lParam) {
        HWND from = reinterpret_cast<HWND>(lParam);
        int id = from ? GetDlgCtrlID(from) : 0;
        auto it = controls_.find(id);
        // Spinners report through UDN_DELTAPOS instead.
        if (rendering_ || it == controls_.end() || it->second.kind != ControlKind::Slider ||
            !Usable(id)) {
            return FALSE;
        }
        int pos = static_cast<int>(SendMessageA(from, TBM_GETPOS, 0, 0));
        // A drag reports the same position more than once; the model hears it once.
        if (pos != window_.Control(id).position) {
            it->second.state.position = pos;
            Model([&] { window_.Scroll(id, pos); });
        }
        return Sync();
    }

    INT_PTR Notify(const NMHDR* header) {
        if (tooltip_ && header->hwndFrom == tooltip_) {
            return TooltipText(header);
        }
        int id = static_cast<int>(header->idFrom);
        if (rendering_ || !controls_.count(id) || !Usable(id)) {
            return FALSE;
        }
        switch (header->code) {
            case UDN_DELTAPOS: {
                auto* change = reinterpret_cast<const NMUPDOWN*>(header);
                const int pos = window_.Control(id).position + change->iDelta;
                Model([&] { window_.Scroll(id, pos); });
                Sync();
                // The model has set the position; the spinner must not move itself.
                SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            case LVN_ITEMCHANGED: {
                auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
                if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
                    !(change->uOldState & LVIS_SELECTED)) {
                    controls_[id].state.selection = change->iItem;
                    Model([&] { window_.Select(id, change->iItem); });
                }
                return Sync();
            }
            case TVN_SELCHANGEDA:
            case TVN_SELCHANGEDW: {
                auto* change = reinterpret_cast<const NMTREEVIEWA*>(header);
                int index = static_cast<int>(change->itemNew.lParam);
                controls_[id].state.selection = index;
                Model([&] { window_.Select(id, index); });
                return Sync();
            }
            case NM_CLICK:
                if (controls_[id].kind == ControlKind::StatusBar) {
                    Model([&] { window_.Click(id); });
                    return Sync();
                }
                return FALSE;
            default:
                return FALSE;
        }
    }

    INT_PTR Close() {
        Model([&] { window_.Close(); });
        return Sync();
    }

    // Shows the model's state; ends the dialog once the model has ended.
    INT_PTR Sync() {
        if (deferred_ && !inModel_ && !window_.Ended()) {
            deferred_ = false;
            Model([&] { window_.HandlePosted(); });
        }
        Render();
        if (window_.Ended()) {
            EndDialog(hwnd_, window_.Result());
        }
        return TRUE;
    }

    bool KeyAccepted(HWND edit, char ch) {
        if (rendering_) {
            return true;
        }
        bool accepted = false;
        Model([&] { accepted = window_.Key(GetDlgCtrlID(edit), ch); });
        Sync();
        return accepted;
    }

    // Runs a call into the model; nested calls (a handler that opens a
    // message box while this dialog still gets messages) keep the mark.
    template <class F>
    void Model(F&& call) {
        const bool outer = !inModel_;
        inModel_ = true;
        call();
        if (outer) {
            inModel_ = false;
        }
    }

    // An editable drop-down tells of typing but not of a text set from
    // outside; what it shows is the model's before any button acts on it.
    void TakeComboTexts() {
        for (auto& [id, shown] : controls_) {
            if (shown.kind != ControlKind::ComboBox || !IsEditableCombo(shown.hwnd)) {
                continue;
            }
            std::string text = WindowText(shown.hwnd);
            if (text != window_.Control(id).text) {
                shown.state.text = text;
                Model([&] { window_.Edit(id, std::move(text)); });
            }
        }
    }

    void CreateTooltips() {
        if (!binding_.tooltip) {
            return;
        }
        tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                   WS_POPUP | TTS_BALLOON | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                   hwnd_, nullptr, ThisModule(), nullptr);
        if (!tooltip_) {
            return;
        }
        SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 300);
        for (auto& [id, shown] : controls_) {
            // Each tip is asked for as it shows: it follows the Tooltips option.
            TTTOOLINFOA tool{};
            tool.cbSize = sizeof tool;
            tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
            tool.hwnd = hwnd_;
            tool.uId = reinterpret_cast<UINT_PTR>(shown.hwnd);
            tool.lpszText = LPSTR_TEXTCALLBACKA;
            SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }

    INT_PTR TooltipText(const NMHDR* header) {
        if (header->code != TTN_GETDISPINFOA && header->code != TTN_GETDISPINFOW) {
            return FALSE;
        }
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(header->idFrom));
        std::string title;
        tipText_.clear();
        if (!binding_.tooltip(window_, id, title, tipText_)) {
            tipText_.clear();
        }
        SendMessageA(tooltip_, TTM_SETTITLEA, tipText_.empty() ? TTI_NONE : TTI_INFO,
                     reinterpret_cast<LPARAM>(tipText_.empty() ? "" : title.c_str()));
        if (header->code == TTN_GETDISPINFOA) {
            auto* info = reinterpret_cast<NMTTDISPINFOA*>(const_cast<NMHDR*>(header));
            info->lpszText = tipText_.data();
        } else {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(header));
            tipWide_.assign(tipText_.size() + 1, L'\0');
            MultiByteToWideChar(CP_ACP, 0, tipText_.c_str(), -1, tipWide_.data(),
                                static_cast<int>(tipWide_.size()));
            info->lpszText = tipWide_.data();
        }
        return TRUE;
    }

    // A window procedure too: the key filter runs at the same edge.
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self) {
        auto* dialog = reinterpret_cast<Dialog*>(self);
        if (msg == WM_CHAR && !dialog->edge_.Failed()) {
            const char ch = static_cast<char>(wParam);
            if (!dialog->AtEdge([&] { return dialog->KeyAccepted(hwnd, ch); }, false)) {
                return 0;
            }
        }
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }

    // Only a visible, enabled control takes what a person does.
    bool Usable(int id) const {
        const ControlState& c = window_.Control(id);
        return window_.HasControl(id) && c.visible && c.enabled;
    }

    void Render() {
        if (window_.Ended()) {
            return;
        }
        rendering_ = true;
        for (auto& [id, shown] : controls_) {
            RenderControl(shown, window_.Control(id));
        }
        RenderMenu(menu_, window_);
        if (binding_.caption) {
            std::string caption = binding_.caption(window_);
            if (caption != caption_) {
                caption_ = std::move(caption);
                SetWindowTextA(hwnd_, caption_.c_str());
            }
        }
        rendering_ = false;
    }

    Window& window_;
    const DialogBinding& binding_;
    HWND hwnd_ = nullptr;
    HMENU menu_ = nullptr;
    HWND tooltip_ = nullptr;
    std::string caption_;
    std::string tipText_;
    std::wstring tipWide_;
    std::map<int, ShownControl> controls_;
    bool rendering_ = false;
    bool inModel_ = false;   // a call into the model is under way
    bool deferred_ = false;  // workers posted while it was
    CallbackEdge edge_;
};

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (msg == WM_INITDIALOG) {
        dialog = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    }
    return dialog ? dialog->Handle(hwnd, msg, wParam, lParam) : FALSE;
}

}  // namespace

HWND InnermostDialog() {
    return t_openDialogs.empty() ? nullptr : t_openDialogs.back();
}

int RunWindowDialog(Window& window, HINSTANCE module, const DialogBinding& binding, HWND owner) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES |
                                                       ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    Dialog dialog(window, binding);
    INT_PTR result = DialogBoxParamA(module, MAKEINTRESOURCEA(binding.templateId), owner,
                                     &DialogProc, reinterpret_cast<LPARAM>(&dialog));
    // Before the model is asked anything more: it failed in the middle of an event.
    dialog.RethrowCaught();
    if (result == -1 || !window.Ended()) {
        // No dialog came up: nothing may go on as if the person had agreed.
        if (!window.Ended()) {
            window.Close();
        }
        return -1;
    }
    return window.Result();
}

}  // namespace kx
