#pragma once
// Plays a person at the plug-in's windows from a second thread: it waits for
// each window and answers it with real messages to its controls, as a script
// says, one action a line:
//   window TITLE          the dialog with this title is open and ready
//   click ID | type ID TEXT | scroll ID POS | select ID INDEX | close
//                         an action on that dialog's control ID
//   menu ID               the current dialog's menu command ID
//   hover ID              the pointer moves over menu command ID (0: the menu closes)
//   tip ID TEXT           the tip the current dialog gives for control ID
//   key ID TEXT           each character of TEXT typed as a key into box ID
//   title TEXT            the current dialog's caption is exactly TEXT
//   filedialog            the open common file dialog becomes the current
//                         dialog, for clicks on controls of its own
//   file PATH             the open common file dialog: the name typed, then OK
//   cancel-file           the open common file dialog: Cancel
//   folder NAME           the shell's folder browser, once it shows the
//                         folder NAME selected: OK
//   cancel-folder         the shell's folder browser: Cancel
//   message CAPTION: TEXT a message box with exactly this caption and text; OK
//   expect ID TEXT        control ID of the dialog shows exactly TEXT
//   shot FILE.bmp         a picture of the current dialog
// Lines starting with '#' and empty lines are skipped.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace kx {

class WindowRobot {
  public:
    // The script's windows belong to the thread `uiThread`.
    WindowRobot(std::vector<std::string> script, DWORD uiThread);
    ~WindowRobot();

    void Start();
    // Waits for the script's end; false when a line failed or time ran out.
    bool Finish(DWORD timeoutMs);

  private:
    static DWORD WINAPI ThreadMain(void* self);
    bool RunLine(const std::string& line);
    HWND WaitForWindow(const std::string& what, bool (*match)(HWND, const std::string&),
                       const std::string& key);
    // Until everything sent so far (to `scope` and its controls, when given)
    // is handled, or the time is up (false). A click that opened a modal
    // window is handled only when that window ends, so the actions on a
    // window wait only for what was sent to it.
    bool WaitForHandled(DWORD timeoutMs = 60000, HWND scope = nullptr);
    long Pending(HWND scope) const;
    void SendAsync(HWND to, UINT msg, WPARAM wParam, LPARAM lParam);
    static void CALLBACK Handled(HWND, UINT, ULONG_PTR self, LRESULT);

    std::vector<std::string> script_;
    DWORD uiThread_;
    HANDLE thread_ = nullptr;
    HWND current_ = nullptr;
    long pending_ = 0;
    std::map<HWND, long> pendingTo_;
    bool ok_ = false;
};

}  // namespace kx
