#include "win32/ControlRender.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace kx {

namespace {

// Status bar panes before the last one, which takes what is left.
constexpr int kPaneWidth = 75;
// List view columns before the last one, which takes what is left.
constexpr int kColumnWidth = 50;

std::vector<std::string> SplitTabs(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (!text.empty()) {
        size_t tab = text.find('\t', start);
        parts.push_back(text.substr(start, tab - start));
        if (tab == std::string::npos) {
            break;
        }
        start = tab + 1;
    }
    return parts;
}

// The tree item made for model item `index`, found by its stored index.
HTREEITEM TreeItemAt(HWND tree, int index) {
    if (index < 0) {
        return nullptr;
    }
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
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
                item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT,
                                                                reinterpret_cast<LPARAM>(item)));
            }
        }
        item = next;
    }
    return nullptr;
}

void RenderSelection(ShownControl& shown, int selection) {
    HWND h = shown.hwnd;
    switch (shown.kind) {
        case ControlKind::ComboBox:
            SendMessageA(h, CB_SETCURSEL, selection, 0);
            break;
        case ControlKind::ListBox:
            SendMessageA(h, LB_SETCURSEL, selection, 0);
            break;
        case ControlKind::ListView: {
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
        case ControlKind::TreeView:
            SendMessageA(h, TVM_SELECTITEM, TVGN_CARET,
                         reinterpret_cast<LPARAM>(TreeItemAt(h, selection)));
            break;
        default:
            break;
    }
}

void RenderPanes(HWND h, const std::vector<ControlItem>& panes) {
    if (panes.empty()) {
        return;
    }
    std::vector<int> edges;
    for (size_t i = 0; i + 1 < panes.size(); ++i) {
        edges.push_back(kPaneWidth * static_cast<int>(i + 1));
    }
    edges.push_back(-1);
    SendMessageA(h, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (size_t i = 0; i < panes.size(); ++i) {
        // All but the last are drawn raised.
        const WPARAM style = i + 1 < panes.size() ? SBT_POPOUT : 0;
        SendMessageA(h, SB_SETTEXTA, i | style, reinterpret_cast<LPARAM>(panes[i].text.c_str()));
    }
}

// `headers`: the column titles, from the control's text.
void RenderListView(HWND h, const std::vector<ControlItem>& items,
                    const std::vector<std::string>& headers) {
    SendMessageA(h, LVM_DELETEALLITEMS, 0, 0);
    size_t columns = std::max<size_t>(1, headers.size());
    for (const ControlItem& item : items) {
        columns = std::max(columns, item.columns.size() + 1);
    }
    HWND header = reinterpret_cast<HWND>(SendMessageA(h, LVM_GETHEADER, 0, 0));
    size_t have = header ? static_cast<size_t>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (size_t c = have; c < columns; ++c) {
        std::string title = c < headers.size() ? headers[c] : std::string();
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.cx = kColumnWidth;
        column.pszText = title.data();
        SendMessageA(h, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    }
    if (have < columns) {
        // The last column takes the rest of the list's width.
        SendMessageA(h, LVM_SETCOLUMNWIDTH, columns - 1, LVSCW_AUTOSIZE_USEHEADER);
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

void RenderTreeView(HWND h, const std::vector<ControlItem>& items) {
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

void RenderText(ShownControl& shown, const ControlState& want) {
    const std::string& text = want.text;
    switch (shown.kind) {
        case ControlKind::PushButton:
        case ControlKind::CheckButton:
        case ControlKind::GroupBox:
        case ControlKind::Static:
            SetWindowTextA(shown.hwnd, text.c_str());
            break;
        case ControlKind::Edit:
            // A box the model rewrote keeps the caret at its end.
            if (WindowText(shown.hwnd) != text) {
                SetWindowTextA(shown.hwnd, text.c_str());
                SendMessageA(shown.hwnd, EM_SETSEL, text.size(), text.size());
            }
            break;
        case ControlKind::StatusBar:
            // A bar with panes shows them as its items; one without, its text.
            if (want.items.empty()) {
                SendMessageA(shown.hwnd, SB_SETTEXTA, SBT_POPOUT,
                             reinterpret_cast<LPARAM>(text.c_str()));
            }
            break;
        case ControlKind::ComboBox:
            if (IsEditableCombo(shown.hwnd) && WindowText(shown.hwnd) != text) {
                SetWindowTextA(shown.hwnd, text.c_str());
            }
            break;
        default:
            break;
    }
}

void RenderItems(ShownControl& shown, const ControlState& want) {
    HWND h = shown.hwnd;
    switch (shown.kind) {
        case ControlKind::ComboBox:
        case ControlKind::ListBox: {
            bool combo = shown.kind == ControlKind::ComboBox;
            SendMessageA(h, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
            for (const ControlItem& item : want.items) {
                SendMessageA(h, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                             reinterpret_cast<LPARAM>(item.text.c_str()));
            }
            break;
        }
        case ControlKind::ListView:
            RenderListView(h, want.items, SplitTabs(want.text));
            break;
        case ControlKind::StatusBar:
            RenderPanes(h, want.items);
            return;
        case ControlKind::TreeView:
            RenderTreeView(h, want.items);
            break;
        default:
            return;
    }
    RenderSelection(shown, want.selection);
}

}  // namespace

ControlKind KindOf(HWND control) {
    char name[64] = {};
    GetClassNameA(control, name, sizeof name);
    if (lstrcmpiA(name, "Button") == 0) {
        LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
        switch (type) {
            case BS_GROUPBOX:
                return ControlKind::GroupBox;
            case BS_CHECKBOX:
            case BS_AUTOCHECKBOX:
            case BS_RADIOBUTTON:
            case BS_AUTORADIOBUTTON:
            case BS_3STATE:
            case BS_AUTO3STATE:
                return ControlKind::CheckButton;
            default:
                return ControlKind::PushButton;
        }
    }
    // Every other kind is known by its class name alone.
    static constexpr struct {
        const char* name;
        ControlKind kind;
    } kClasses[] = {
        {"Edit", ControlKind::Edit},
        {"Static", ControlKind::Static},
        {TRACKBAR_CLASSA, ControlKind::Slider},
        {UPDOWN_CLASSA, ControlKind::Spinner},
        {WC_LISTVIEWA, ControlKind::ListView},
        {WC_TREEVIEWA, ControlKind::TreeView},
        {"ComboBox", ControlKind::ComboBox},
        {"ListBox", ControlKind::ListBox},
        {STATUSCLASSNAMEA, ControlKind::StatusBar},
    };
    for (const auto& known : kClasses) {
        if (lstrcmpiA(name, known.name) == 0) {
            return known.kind;
        }
    }
    return ControlKind::Other;
}

std::string WindowText(HWND hwnd) {
    int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int got = GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(got < 0 ? 0 : got));
    return text;
}

bool IsEditableCombo(HWND combo) {
    return (GetWindowLongA(combo, GWL_STYLE) & 3) == CBS_DROPDOWN;
}

void RenderControl(ShownControl& shown, const ControlState& want) {
    ControlState& was = shown.state;
    HWND h = shown.hwnd;
    bool all = shown.first;
    shown.first = false;
    // Items first: filling a drop-down clears the text it shows.
    const bool items = all || want.items != was.items;
    if (items) {
        RenderItems(shown, want);
    } else if (want.selection != was.selection) {
        RenderSelection(shown, want.selection);
    }
    if (items || want.text != was.text) {
        RenderText(shown, want);
    }
    if (all || want.enabled != was.enabled) {
        EnableWindow(h, want.enabled);
    }
    if (all || want.visible != was.visible) {
        ShowWindow(h, want.visible ? SW_SHOWNA : SW_HIDE);
    }
    if (shown.kind == ControlKind::CheckButton && (all || want.checked != was.checked)) {
        SendMessageA(h, BM_SETCHECK, want.checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    if (shown.kind == ControlKind::Edit && (all || want.readOnly != was.readOnly)) {
        SendMessageA(h, EM_SETREADONLY, want.readOnly, 0);
    }
    bool range = all || want.rangeMin != was.rangeMin || want.rangeMax != was.rangeMax;
    if (shown.kind == ControlKind::Slider) {
        if (range) {
            SendMessageA(h, TBM_SETRANGEMIN, FALSE, want.rangeMin);
            SendMessageA(h, TBM_SETRANGEMAX, FALSE, want.rangeMax);
        }
        if (range || want.position != was.position) {
            SendMessageA(h, TBM_SETPOS, TRUE, want.position);
        }
    } else if (shown.kind == ControlKind::Spinner) {
        if (range) {
            SendMessageA(h, UDM_SETRANGE32, want.rangeMin, want.rangeMax);
        }
        if (range || want.position != was.position) {
            SendMessageA(h, UDM_SETPOS32, 0, want.position);
        }
    }
    was = want;
}

bool IsMenuCommand(HMENU menu, const Window& window, int id) {
    return menu && window.HasControl(id) &&
           GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) != static_cast<UINT>(-1);
}

void RenderMenu(HMENU menu, const Window& window) {
    if (!menu) {
        return;
    }
    for (int id : window.ControlIds()) {
        if (!IsMenuCommand(menu, window, id)) {
            continue;
        }
        const ControlState& c = window.Control(id);
        std::string text = c.text;
        MENUITEMINFOA item{};
        item.cbSize = sizeof item;
        item.fMask = MIIM_STRING | MIIM_STATE;
        item.fState =
            (c.checked ? MFS_CHECKED : MFS_UNCHECKED) | (c.enabled ? MFS_ENABLED : MFS_DISABLED);
        item.dwTypeData = text.data();
        SetMenuItemInfoA(menu, static_cast<UINT>(id), FALSE, &item);
    }
}

}  // namespace kx
