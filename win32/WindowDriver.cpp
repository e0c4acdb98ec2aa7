#include "win32/WindowDriver.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace kx {

namespace {

// The dialogs this thread runs, innermost last.
thread_local std::vector<HWND> t_openDialogs;

enum class Kind {
    Other,
    PushButton,
    CheckButton,
    GroupBox,
    Edit,
    Static,
    Slider,
    Spinner,
    ListView,
    TreeView,
    ComboBox,
    ListBox,
    StatusBar
};

Kind KindOf(HWND control) {
    char name[64] = {};
    GetClassNameA(control, name, sizeof name);
    if (lstrcmpiA(name, "Button") == 0) {
        LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
        switch (type) {
            case BS_GROUPBOX:
                return Kind::GroupBox;
            case BS_CHECKBOX:
            case BS_AUTOCHECKBOX:
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON:
            case BS_3STATE:
            case BS_AUTO3STATE:
                return Kind::CheckButton;
            default:
                return Kind::PushButton;
        }
    }
    if (lstrcmpiA(name, "Edit") == 0) {
        return Kind::Edit;
    }
    if (lstrcmpiA(name, "Static") == 0) {
        return Kind::Static;
    }
    if (lstrcmpiA(name, TRACKBAR_CLASSA) == 0) {
        return Kind::Slider;
    }
    if (lstrcmpiA(name, UPDOWN_CLASSA) == 0) {
        return Kind::Spinner;
    }
    if (lstrcmpiA(name, WC_LISTVIEWA) == 0) {
        return Kind::ListView;
    }
    if (lstrcmpiA(name, WC_TREEVIEWA) == 0) {
        return Kind::TreeView;
    }
    if (lstrcmpiA(name, "ComboBox") == 0) {
        return Kind::ComboBox;
    }
    if (lstrcmpiA(name, "ListBox") == 0) {
        return Kind::ListBox;
    }
    if (lstrcmpiA(name, STATUSCLASSNAMEA) == 0) {
        return Kind::StatusBar;
    }
    return Kind::Other;
}

std::string WindowText(HWND hwnd) {
    int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int got = GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(got < 0 ? 0 : got));
    return text;
}

// One running dialog: the model, and what was last shown of each control so
// that only changes reach the window system.
class Dialog {
  public:
    explicit Dialog(Window& window) : window_(window) {}

    void Init(HWND hwnd) {
        hwnd_ = hwnd;
        t_openDialogs.push_back(hwnd);
        SetWindowTextA(hwnd_, window_.Title().c_str());
        for (HWND child = GetWindow(hwnd_, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            int id = GetDlgCtrlID(child);
            if (!window_.HasControl(id)) {
                continue;
            }
            Kind kind = KindOf(child);
            controls_[id] = Shown{child, kind, {}, true};
            if (kind == Kind::Edit) {
                SetWindowSubclass(child, &Dialog::EditProc, 0, reinterpret_cast<DWORD_PTR>(this));
            }
        }
        window_.Open();
        Sync();
    }

    void Destroyed() {
        if (!t_openDialogs.empty() && t_openDialogs.back() == hwnd_) {
            t_openDialogs.pop_back();
        }
        for (auto& [id, shown] : controls_) {
            if (shown.kind == Kind::Edit) {
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
                window_.Close();
            } else if (id == IDOK && Usable(IDOK)) {
                window_.Click(IDOK);
            }
            return Sync();
        }
        auto it = controls_.find(id);
        if (it == controls_.end() || !Usable(id)) {
            return FALSE;
        }
        Shown& shown = it->second;
        switch (shown.kind) {
            case Kind::PushButton:
            case Kind::CheckButton:
                if (code == BN_CLICKED) {
                    window_.Click(id);
                }
                break;
            case Kind::Edit:
                if (code == EN_CHANGE) {
                    std::string text = WindowText(shown.hwnd);
                    shown.state.text = text;
                    window_.Edit(id, std::move(text));
                }
                break;
            case Kind::ComboBox:
                if (code == CBN_SELCHANGE) {
                    window_.Select(id, static_cast<int>(SendMessageA(from, CB_GETCURSEL, 0, 0)));
                }
                break;
            case Kind::ListBox:
                if (code == LBN_SELCHANGE) {
                    window_.Select(id, static_cast<int>(SendMessageA(from, LB_GETCURSEL, 0, 0)));
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
        if (rendering_ || it == controls_.end() || it->second.kind != Kind::Slider || !Usable(id)) {
            return FALSE;
        }
        int pos = static_cast<int>(SendMessageA(from, TBM_GETPOS, 0, 0));
        // A drag reports the same position more than once; the model hears it once.
        if (pos != window_.Control(id).position) {
            it->second.state.position = pos;
            window_.Scroll(id, pos);
        }
        return Sync();
    }

    INT_PTR Notify(const NMHDR* header) {
        int id = static_cast<int>(header->idFrom);
        if (rendering_ || !controls_.count(id) || !Usable(id)) {
            return FALSE;
        }
        switch (header->code) {
            case UDN_DELTAPOS: {
                auto* change = reinterpret_cast<const NMUPDOWN*>(header);
                window_.Scroll(id, window_.Control(id).position + change->iDelta);
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
                    window_.Select(id, change->iItem);
                }
                return Sync();
            }
            case TVN_SELCHANGEDA:
            case TVN_SELCHANGEDW: {
                auto* change = reinterpret_cast<const NMTREEVIEWA*>(header);
                int index = static_cast<int>(change->itemNew.lParam);
                controls_[id].state.selection = index;
                window_.Select(id, index);
                return Sync();
            }
            case NM_CLICK:
                if (controls_[id].kind == Kind::StatusBar) {
                    window_.Click(id);
                    return Sync();
                }
                return FALSE;
            default:
                return FALSE;
        }
    }

    INT_PTR Close() {
        window_.Close();
        return Sync();
    }

    // Shows the model's state; ends the dialog once the model has ended.
    INT_PTR Sync() {
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
        bool accepted = window_.Key(GetDlgCtrlID(edit), ch);
        Sync();
        return accepted;
    }

  private:
    struct Shown {
        HWND hwnd = nullptr;
        Kind kind = Kind::Other;
        ControlState state;
        bool first = true;
    };

    static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR self) {
        if (msg == WM_CHAR) {
            char ch = static_cast<char>(wParam);
            if (!reinterpret_cast<Dialog*>(self)->KeyAccepted(hwnd, ch)) {
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
        rendering_ = false;
    }

    void RenderControl(Shown& shown, const ControlState& want) {
        ControlState& was = shown.state;
        HWND h = shown.hwnd;
        bool all = shown.first;
        shown.first = false;
        if (all || want.text != was.text) {
            RenderText(shown, want.text);
        }
        if (all || want.enabled != was.enabled) {
            EnableWindow(h, want.enabled);
        }
        if (all || want.visible != was.visible) {
            ShowWindow(h, want.visible ? SW_SHOWNA : SW_HIDE);
        }
        if (shown.kind == Kind::CheckButton && (all || want.checked != was.checked)) {
            SendMessageA(h, BM_SETCHECK, want.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        if (shown.kind == Kind::Edit && (all || want.readOnly != was.readOnly)) {
            SendMessageA(h, EM_SETREADONLY, want.readOnly, 0);
        }
        bool range = all || want.rangeMin != was.rangeMin || want.rangeMax != was.rangeMax;
        if (shown.kind == Kind::Slider) {
            if (range) {
                SendMessageA(h, TBM_SETRANGEMIN, FALSE, want.rangeMin);
                SendMessageA(h, TBM_SETRANGEMAX, FALSE, want.rangeMax);
            }
            if (range || want.position != was.position) {
                SendMessageA(h, TBM_SETPOS, TRUE, want.position);
            }
        } else if (shown.kind == Kind::Spinner) {
            if (range) {
                SendMessageA(h, UDM_SETRANGE32, want.rangeMin, want.rangeMax);
            }
            if (range || want.position != was.position) {
                SendMessageA(h, UDM_SETPOS32, 0, want.position);
            }
        }
        if (all || want.items != was.items) {
            RenderItems(shown, want);
        } else if (want.selection != was.selection) {
            RenderSelection(shown, want.selection);
        }
        was = want;
    }

    void RenderText(Shown& shown, const std::string& text) {
        switch (shown.kind) {
            case Kind::PushButton:
            case Kind::CheckButton:
            case Kind::GroupBox:
            case Kind::Static:
                SetWindowTextA(shown.hwnd, text.c_str());
                break;
            case Kind::Edit:
                // A box the model rewrote keeps the caret at its end.
                if (WindowText(shown.hwnd) != text) {
                    SetWindowTextA(shown.hwnd, text.c_str());
                    SendMessageA(shown.hwnd, EM_SETSEL, text.size(), text.size());
                }
                break;
            case Kind::StatusBar:
                SendMessageA(shown.hwnd, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
                break;
            default:
                break;
        }
    }

    void RenderItems(Shown& shown, const ControlState& want) {
        HWND h = shown.hwnd;
        switch (shown.kind) {
            case Kind::ComboBox:
            case Kind::ListBox: {
                bool combo = shown.kind == Kind::ComboBox;
                SendMessageA(h, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
                for (const ControlItem& item : want.items) {
                    SendMessageA(h, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                                 reinterpret_cast<LPARAM>(item.text.c_str()));
                }
                break;
            }
            case Kind::ListView:
                RenderListView(h, want.items);
                break;
            case Kind::TreeView:
                RenderTreeView(h, want.items);
                break;
            default:
                return;
        }
        RenderSelection(shown, want.selection);
    }

    static void RenderListView(HWND h, const std::vector<ControlItem>& items) {
        SendMessageA(h, LVM_DELETEALLITEMS, 0, 0);
        size_t columns = 1;
        for (const ControlItem& item : items) {
            columns = std::max(columns, item.columns.size() + 1);
        }
        HWND header = reinterpret_cast<HWND>(SendMessageA(h, LVM_GETHEADER, 0, 0));
        size_t have =
            header ? static_cast<size_t>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
        for (size_t c = have; c < columns; ++c) {
            LVCOLUMNA column{};
            column.mask = LVCF_WIDTH;
            column.cx = 100;
            SendMessageA(h, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
        }
        for (size_t i = 0; i < items.size(); ++i) {
            LVITEMA row{};
            row.mask = LVIF_TEXT;
            row.iItem = static_cast<int>(i);
            row.pszText = const_cast<char*>(items[i].text.c_str());
            SendMessageA(h, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row));
            for (size_t c = 0; c < items[i].columns.size(); ++c) {
                LVITEMA cell{};
                cell.iSubItem = static_cast<int>(c + 1);
                cell.pszText = const_cast<char*>(items[i].columns[c].c_str());
                SendMessageA(h, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&cell));
            }
        }
    }

    static void RenderTreeView(HWND h, const std::vector<ControlItem>& items) {
        SendMessageA(h, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
        // Items come in pre-order with their depth: the open parents are a stack.
        std::vector<HTREEITEM> parents;
        for (size_t i = 0; i < items.size(); ++i) {
            size_t depth = static_cast<size_t>(items[i].depth < 0 ? 0 : items[i].depth);
            if (depth > parents.size()) {
                depth = parents.size();
            }
            parents.resize(depth);
            TVINSERTSTRUCTA insert{};
            insert.hParent = parents.empty() ? TVI_ROOT : parents.back();
            insert.hInsertAfter = TVI_LAST;
            insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
            insert.item.pszText = const_cast<char*>(items[i].text.c_str());
            insert.item.lParam = static_cast<LPARAM>(i);
            insert.item.state = insert.item.stateMask = TVIS_EXPANDED;
            auto item = reinterpret_cast<HTREEITEM>(
                SendMessageA(h, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
            parents.push_back(item);
        }
    }

    void RenderSelection(Shown& shown, int selection) {
        HWND h = shown.hwnd;
        switch (shown.kind) {
            case Kind::ComboBox:
                SendMessageA(h, CB_SETCURSEL, selection, 0);
                break;
            case Kind::ListBox:
                SendMessageA(h, LB_SETCURSEL, selection, 0);
                break;
            case Kind::ListView: {
                LVITEMA clear{};
                clear.stateMask = LVIS_SELECTED;
                SendMessageA(h, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(&clear));
                if (selection >= 0) {
                    LVITEMA set{};
                    set.stateMask = set.state = LVIS_SELECTED;
                    SendMessageA(h, LVM_SETITEMSTATE, selection, reinterpret_cast<LPARAM>(&set));
                }
                break;
            }
            case Kind::TreeView:
                SendMessageA(h, TVM_SELECTITEM, TVGN_CARET,
                             reinterpret_cast<LPARAM>(TreeItemAt(h, selection)));
                break;
            default:
                break;
        }
    }

    // The tree item made for model item `index`, found by its stored index.
    static HTREEITEM TreeItemAt(HWND tree, int index) {
        if (index < 0) {
            return nullptr;
        }
        HTREEITEM item =
            reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        while (item) {
            TVITEMA probe{};
            probe.mask = TVIF_PARAM;
            probe.hItem = item;
            SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&probe));
            if (probe.lParam == index) {
                return item;
            }
            // Pre-order: child, else next sibling, else a parent's next sibling.
            HTREEITEM next = reinterpret_cast<HTREEITEM>(
                SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
            while (!next && item) {
                next = reinterpret_cast<HTREEITEM>(
                    SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
                if (!next) {
                    item = reinterpret_cast<HTREEITEM>(SendMessageA(
                        tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
                }
            }
            item = next;
        }
        return nullptr;
    }

    Window& window_;
    HWND hwnd_ = nullptr;
    std::map<int, Shown> controls_;
    bool rendering_ = false;
};

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (msg == WM_INITDIALOG) {
        dialog = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        dialog->Init(hwnd);
        return TRUE;
    }
    if (!dialog) {
        return FALSE;
    }
    switch (msg) {
        case WM_COMMAND:
            return dialog->Command(wParam, lParam);
        case WM_HSCROLL:
        case WM_VSCROLL:
            return dialog->Scroll(lParam);
        case WM_NOTIFY:
            return dialog->Notify(reinterpret_cast<const NMHDR*>(lParam));
        case WM_CLOSE:
            return dialog->Close();
        case WM_DESTROY:
            dialog->Destroyed();
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

HWND InnermostDialog() {
    return t_openDialogs.empty() ? nullptr : t_openDialogs.back();
}

int RunWindowDialog(Window& window, HINSTANCE module, int templateId, HWND owner) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES |
                                                       ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    Dialog dialog(window);
    INT_PTR result = DialogBoxParamA(module, MAKEINTRESOURCEA(templateId), owner, &DialogProc,
                                     reinterpret_cast<LPARAM>(&dialog));
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
