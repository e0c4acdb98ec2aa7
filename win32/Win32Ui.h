#pragma once
// The Ui of the Windows build: real message boxes, common file dialogs, the
// shell's folder browser and the window models as dialogs from this
// library's resources.

#include <windows.h>

#include <span>
#include <string>

#include "host/Ui.h"

namespace kx {

// How a window model is shown: the dialog template of this library that
// holds its controls, and what the driver asks of windows that have more
// than controls.
struct DialogBinding {
    const char* title;
    // A control only this window of the title has (two windows may share a title).
    int markerControl;
    int templateId;
    // The menu item under the pointer (0: none, or not a command).
    void (*menuSelect)(Window& window, int command) = nullptr;
    // The tip of a control; false when it has none (or tips are off).
    bool (*tooltip)(const Window& window, int id, std::string& title, std::string& text) = nullptr;
    // The caption, for a window whose caption changes (null: its title).
    std::string (*caption)(const Window& window) = nullptr;
};

// The windows of the library being built: each plug-in library defines its own.
std::span<const DialogBinding> LibraryDialogs();

// The binding of `window` among `bindings`, or null.
const DialogBinding* FindDialogBinding(std::span<const DialogBinding> bindings,
                                       const Window& window);

class Win32Ui : public Ui {
  public:
    // `module` holds the dialog templates (the plug-in DLL itself).
    Win32Ui(HINSTANCE module, std::span<const DialogBinding> dialogs)
        : module_(module), dialogs_(dialogs) {}

    MessageAnswer Message(const std::string& text, const std::string& caption, MessageIcon icon,
                          MessageButtons buttons) override;
    std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> BrowseFolder(const std::string& title,
                                            const std::string& initialFolder) override;
    void Beep() override;
    int RunModal(Window& window) override;
    int RunFileDialog(FileDialog& dialog) override;

  private:
    // The window a box or dialog belongs to: the innermost open dialog.
    HWND Owner() const;
    std::optional<std::string> FileDialog(const FileDialogRequest& request, bool save);

    HINSTANCE module_;
    std::span<const DialogBinding> dialogs_;
};

// "Text|*.x|Text|*.y" as the common dialogs want it.
std::string CommonDialogFilter(const std::string& filter);

// The module this code is linked into (the plug-in DLL, or a test program).
HINSTANCE ThisModule();

}  // namespace kx
