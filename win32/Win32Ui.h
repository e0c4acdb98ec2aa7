#pragma once
// The Ui of the Windows build: real message boxes, common file dialogs, the
// shell's folder browser and the window models as dialogs from this
// library's resources.

#include <windows.h>

#include "host/Ui.h"

namespace kx {

class Win32Ui : public Ui {
  public:
    // `module` holds the dialog templates (the plug-in DLL itself).
    explicit Win32Ui(HINSTANCE module) : module_(module) {}

    MessageAnswer Message(const std::string& text, const std::string& caption, MessageIcon icon,
                          MessageButtons buttons) override;
    std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> BrowseFolder(const std::string& title,
                                            const std::string& initialFolder) override;
    void Beep() override;
    int RunModal(Window& window) override;

  private:
    // The window a box or dialog belongs to: the innermost open dialog.
    HWND Owner() const;
    std::optional<std::string> FileDialog(const FileDialogRequest& request, bool save);

    HINSTANCE module_;
};

// The dialog template of a window model, by its title; 0 when none.
int DialogTemplateFor(const std::string& title);

// The module this code is linked into (the plug-in DLL, or a test program).
HINSTANCE ThisModule();

}  // namespace kx
