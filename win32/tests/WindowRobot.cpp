#include "win32/tests/WindowRobot.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "host/Window.h"

namespace kx {

namespace {

// Generous: under the emulator a dialog can take seconds to come up.
constexpr DWORD kWaitMs = 60000;

// The common file dialog's file name box (a combo box with an edit).
constexpr int kFileNameCombo = 0x47c;
// A message box's text.
constexpr int kMessageText = 0xffff;

std::string Text(HWND hwnd) {
    char buffer[1024] = {};
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

bool IsReadyDialog(HWND hwnd) {
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    return IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) && lstrcmpA(cls, "#32770") == 0;
}

bool TitleIs(HWND hwnd, const std::string& title) {
    return Text(hwnd) == title;
}

bool IsFileDialog(HWND hwnd, const std::string&) {
    return GetDlgItem(hwnd, kFileNameCombo) != nullptr;
}

BOOL CALLBACK FindTree(HWND hwnd, LPARAM found) {
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpiA(cls, WC_TREEVIEWA) == 0) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FolderTree(HWND dialog) {
    HWND tree = nullptr;
    EnumChildWindows(dialog, &FindTree, reinterpret_cast<LPARAM>(&tree));
    return tree;
}

// The shell's folder browser: a dialog with a folder tree and no file box.
bool IsFolderBrowser(HWND hwnd, const std::string&) {
    return FolderTree(hwnd) && !GetDlgItem(hwnd, kFileNameCombo);
}

// The label of the folder the browser's tree has selected.
std::string SelectedFolder(HWND tree) {
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    char text[MAX_PATH] = {};
    TVITEMA probe{};
    probe.mask = TVIF_TEXT;
    probe.hItem = item;
    probe.pszText = text;
    probe.cchTextMax = sizeof text;
    if (item) {
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&probe));
    }
    return text;
}

bool IsMessageBox(HWND hwnd, const std::string& caption) {
    return GetDlgItem(hwnd, kMessageText) != nullptr && Text(hwnd) == caption;
}

struct Search {
    bool (*match)(HWND, const std::string&);
    const std::string* key;
    HWND found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (IsReadyDialog(hwnd) && search->match(hwnd, *search->key)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK List(HWND hwnd, LPARAM) {
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    std::printf("  open: \"%s\" (%s)%s%s\n", Text(hwnd).c_str(), cls,
                IsWindowVisible(hwnd) ? "" : " hidden", IsWindowEnabled(hwnd) ? "" : " disabled");
    return TRUE;
}

// The dialog as the screen shows it, as a 24-bit BMP file.
bool SaveShot(HWND hwnd, const std::string& path) {
    RECT r;
    GetWindowRect(hwnd, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    int stride = (w * 3 + 3) & ~3;
    std::string pixels(static_cast<size_t>(stride) * h, '\0');
    GetDIBits(memory, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4d42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

BOOL CALLBACK FindTooltip(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<std::pair<HWND, HWND>*>(param);
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0 && GetWindow(hwnd, GW_OWNER) == search->first) {
        search->second = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The text the dialog's tooltip gives for a control, as it would show it.
std::string TipText(HWND dialog, int id) {
    std::pair<HWND, HWND> search{dialog, nullptr};
    EnumThreadWindows(GetWindowThreadProcessId(dialog, nullptr), &FindTooltip,
                      reinterpret_cast<LPARAM>(&search));
    if (!search.second) {
        return "(no tooltip)";
    }
    char text[512] = {};
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, id));
    tool.lpszText = text;
    SendMessageA(search.second, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    return text;
}

}  // namespace

WindowRobot::WindowRobot(std::vector<std::string> script, DWORD uiThread)
    : script_(std::move(script)), uiThread_(uiThread) {}

WindowRobot::~WindowRobot() {
    if (thread_) {
        CloseHandle(thread_);
    }
}

void WindowRobot::Start() {
    thread_ = CreateThread(nullptr, 0, &WindowRobot::ThreadMain, this, 0, nullptr);
}

bool WindowRobot::Finish(DWORD timeoutMs) {
    if (!thread_ || WaitForSingleObject(thread_, timeoutMs) != WAIT_OBJECT_0) {
        std::printf("FAIL the script did not finish\n");
        return false;
    }
    return ok_;
}

DWORD WINAPI WindowRobot::ThreadMain(void* param) {
    auto* self = static_cast<WindowRobot*>(param);
    for (const std::string& line : self->script_) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::printf("> %s\n", line.c_str());
        std::fflush(stdout);
        if (!self->RunLine(line)) {
            std::printf("FAIL at: %s\n", line.c_str());
            EnumThreadWindows(self->uiThread_, &List, 0);
            // What the screen showed, when asked for (KX_ROBOT_FAILSHOT=FILE.bmp).
            if (const char* shot = std::getenv("KX_ROBOT_FAILSHOT")) {
                SaveShot(GetDesktopWindow(), shot);
            }
            std::fflush(stdout);
            // The plug-in still sits in a modal loop that nobody will answer.
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
    self->ok_ = self->WaitForHandled();
    if (!self->ok_) {
        std::printf("FAIL the plug-in did not finish after the script\n");
        EnumThreadWindows(self->uiThread_, &List, 0);
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    return 0;
}

void CALLBACK WindowRobot::Handled(HWND to, UINT, ULONG_PTR self, LRESULT) {
    auto* robot = reinterpret_cast<WindowRobot*>(self);
    --robot->pending_;
    if (--robot->pendingTo_[to] == 0) {
        robot->pendingTo_.erase(to);
    }
}

// Sent, not posted, so the messages arrive in the script's order; without
// waiting, because a click may open a modal window the next line answers.
void WindowRobot::SendAsync(HWND to, UINT msg, WPARAM wParam, LPARAM lParam) {
    ++pending_;
    ++pendingTo_[to];
    if (!SendMessageCallbackA(to, msg, wParam, lParam, &WindowRobot::Handled,
                              reinterpret_cast<ULONG_PTR>(this))) {
        --pending_;
        if (--pendingTo_[to] == 0) {
            pendingTo_.erase(to);
        }
        std::printf("  message %#x could not be sent (error %lu)\n", msg, GetLastError());
    }
}

// Until every message sent so far has been handled (callbacks arrive while
// this thread takes its messages).
long WindowRobot::Pending(HWND scope) const {
    if (!scope) {
        return pending_;
    }
    long count = 0;
    for (const auto& [to, n] : pendingTo_) {
        if (to == scope || IsChild(scope, to)) {
            count += n;
        }
    }
    return count;
}

bool WindowRobot::WaitForHandled(DWORD timeoutMs, HWND scope) {
    DWORD start = GetTickCount();
    while (Pending(scope) > 0 && GetTickCount() - start < timeoutMs) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
    if (Pending(scope) > 0) {
        if (timeoutMs == kWaitMs) {
            std::printf("  %ld messages still not handled\n", Pending(scope));
        }
        return false;
    }
    return true;
}

HWND WindowRobot::WaitForWindow(const std::string& what, bool (*match)(HWND, const std::string&),
                                const std::string& key) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kWaitMs) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
        }
        Search search{match, &key, nullptr};
        EnumThreadWindows(uiThread_, &Visit, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            return search.found;
        }
        Sleep(20);
    }
    std::printf("  no %s came up\n", what.c_str());
    return nullptr;
}

bool WindowRobot::RunLine(const std::string& line) {
    size_t space = line.find(' ');
    std::string verb = line.substr(0, space);
    std::string rest = space == std::string::npos ? "" : line.substr(space + 1);

    if (verb == "window") {
        // A dialog that was just told to end may still show for a moment; a
        // click that opened a modal window is not handled until it ends.
        WaitForHandled(1000);
        current_ = WaitForWindow("window \"" + rest + "\"", &TitleIs, rest);
        return current_ != nullptr;
    }
    if (verb == "key") {
        // Keys, unlike "type", pass the box's own window procedure.
        if (!current_ || !WaitForHandled(kWaitMs, current_)) {
            return false;
        }
        size_t gap = rest.find(' ');
        HWND box = GetDlgItem(current_, std::atoi(rest.substr(0, gap).c_str()));
        if (!box || gap == std::string::npos) {
            return false;
        }
        for (char ch : rest.substr(gap + 1)) {
            SendAsync(box, WM_CHAR, static_cast<unsigned char>(ch), 0);
        }
        return true;
    }
    if (verb == "filedialog") {
        current_ = WaitForWindow("file dialog", &IsFileDialog, "");
        return current_ != nullptr;
    }
    if (verb == "menu") {
        if (!current_ || !WaitForHandled(kWaitMs, current_)) {
            return false;
        }
        SendAsync(current_, WM_COMMAND, MAKEWPARAM(std::atoi(rest.c_str()), 0), 0);
        return true;
    }
    if (verb == "hover") {
        // The pointer over a menu command; 0: the menu closes.
        if (!current_ || !WaitForHandled(kWaitMs, current_)) {
            return false;
        }
        int id = std::atoi(rest.c_str());
        SendAsync(current_, WM_MENUSELECT, MAKEWPARAM(id, id ? MF_STRING : 0xFFFF),
                  id ? reinterpret_cast<LPARAM>(GetMenu(current_)) : 0);
        return true;
    }
    if (verb == "tip") {
        if (!current_ || !WaitForHandled(kWaitMs, current_)) {
            return false;
        }
        size_t gap = rest.find(' ');
        int id = std::atoi(rest.substr(0, gap).c_str());
        std::string want = gap == std::string::npos ? "" : rest.substr(gap + 1);
        std::string shown = TipText(current_, id);
        if (shown != want) {
            std::printf("  the tip of %d says \"%s\"\n", id, shown.c_str());
            return false;
        }
        return true;
    }
    if (verb == "title") {
        if (!WaitForHandled(kWaitMs, current_)) {
            return false;
        }
        std::string shown = current_ ? Text(current_) : "";
        if (shown != rest) {
            std::printf("  the caption is \"%s\"\n", shown.c_str());
            return false;
        }
        return true;
    }
    if (verb == "folder" || verb == "cancel-folder") {
        HWND dialog = WaitForWindow("folder browser", &IsFolderBrowser, "");
        if (!dialog) {
            return false;
        }
        if (verb == "folder") {
            // The browser fills its tree and selects the first folder on
            // its own time; OK only once it shows the one named.
            HWND tree = FolderTree(dialog);
            DWORD start = GetTickCount();
            while (SelectedFolder(tree) != rest && GetTickCount() - start < kWaitMs) {
                Sleep(50);
            }
            if (SelectedFolder(tree) != rest) {
                std::printf("  the browser shows \"%s\"\n", SelectedFolder(tree).c_str());
                return false;
            }
        }
        int button = verb == "folder" ? IDOK : IDCANCEL;
        SendAsync(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                  reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
        return true;
    }
    if (verb == "file" || verb == "cancel-file") {
        HWND dialog = WaitForWindow("file dialog", &IsFileDialog, "");
        if (!dialog) {
            return false;
        }
        std::printf("  file dialog \"%s\"\n", Text(dialog).c_str());
        if (verb == "file") {
            SendMessageA(GetDlgItem(dialog, kFileNameCombo), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(rest.c_str()));
        }
        int button = verb == "file" ? IDOK : IDCANCEL;
        SendAsync(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                  reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
        return true;
    }
    if (verb == "message") {
        size_t colon = rest.find(": ");
        std::string caption = rest.substr(0, colon);
        std::string text = colon == std::string::npos ? "" : rest.substr(colon + 2);
        HWND box = WaitForWindow("message box \"" + caption + "\"", &IsMessageBox, caption);
        if (!box) {
            return false;
        }
        std::string shown = Text(GetDlgItem(box, kMessageText));
        if (shown != text) {
            std::printf("  the message says \"%s\"\n", shown.c_str());
            return false;
        }
        SendAsync(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                  reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        return true;
    }
    if (verb == "expect") {
        // The text a control shows once everything sent so far is handled.
        if (!WaitForHandled(kWaitMs, current_)) {
            return false;
        }
        size_t gap = rest.find(' ');
        int id = std::atoi(rest.substr(0, gap).c_str());
        std::string want = gap == std::string::npos ? "" : rest.substr(gap + 1);
        std::string shown = current_ ? Text(GetDlgItem(current_, id)) : "";
        if (shown != want) {
            std::printf("  control %d shows \"%s\"\n", id, shown.c_str());
            return false;
        }
        return true;
    }
    if (verb == "shot") {
        if (!WaitForHandled(kWaitMs, current_)) {
            return false;
        }
        Sleep(300);  // let the dialog paint
        return current_ && SaveShot(current_, rest);
    }

    std::optional<WindowAction> action = ParseWindowAction(line);
    if (!action || !current_ || !WaitForHandled(kWaitMs, current_)) {
        return false;
    }
    HWND control = GetDlgItem(current_, action->id);
    if (action->kind != WindowAction::Kind::Close && !control) {
        std::printf("  no control %d\n", action->id);
        return false;
    }
    switch (action->kind) {
        case WindowAction::Kind::Click:
            SendAsync(current_, WM_COMMAND, MAKEWPARAM(action->id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(control));
            break;
        case WindowAction::Kind::Type: {
            // The box changes and tells its dialog, as typing does. A text
            // crosses threads only in a message sent and waited for.
            DWORD_PTR ignored = 0;
            return SendMessageTimeoutA(control, WM_SETTEXT, 0,
                                       reinterpret_cast<LPARAM>(action->text.c_str()), SMTO_NORMAL,
                                       kWaitMs, &ignored) != 0;
        }
        case WindowAction::Kind::Scroll: {
            char cls[32] = {};
            GetClassNameA(control, cls, sizeof cls);
            if (lstrcmpiA(cls, UPDOWN_CLASSA) == 0) {
                NMUPDOWN change{};
                change.hdr.hwndFrom = control;
                change.hdr.idFrom = static_cast<UINT_PTR>(action->id);
                change.hdr.code = UDN_DELTAPOS;
                change.iPos = static_cast<int>(SendMessageA(control, UDM_GETPOS32, 0, 0));
                change.iDelta = action->value - change.iPos;
                SendMessageA(current_, WM_NOTIFY, static_cast<WPARAM>(action->id),
                             reinterpret_cast<LPARAM>(&change));
            } else {
                SendMessageA(control, TBM_SETPOS, TRUE, action->value);
                SendAsync(current_, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, action->value),
                          reinterpret_cast<LPARAM>(control));
            }
            break;
        }
        case WindowAction::Kind::Select:
            SendAsync(control, CB_SETCURSEL, static_cast<WPARAM>(action->value), 0);
            SendAsync(current_, WM_COMMAND, MAKEWPARAM(action->id, CBN_SELCHANGE),
                      reinterpret_cast<LPARAM>(control));
            break;
        case WindowAction::Kind::Close:
            SendAsync(current_, WM_CLOSE, 0, 0);
            break;
        case WindowAction::Kind::Wait:
            // Workers report through posted messages, which the driver handles.
            break;
    }
    return true;
}

}  // namespace kx
