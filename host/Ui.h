#pragma once
// Everything a person sees or answers goes through this interface, so the
// plug-ins run the same rules under the modeller's windows and headless.

#include <optional>
#include <string>

namespace kx {

class Window;
class FileDialog;

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct FileDialogRequest {
    std::string title;
    // Pairs of description and pattern separated by '|', for example
    // "Compound Model (*.cmp)|*.cmp|All Files (*.*)|*.*".
    std::string filter;
    std::string defaultExtension;  // without the dot
    std::string initialPath;
    bool overwritePrompt = false;
};

class Ui {
  public:
    virtual ~Ui() = default;

    virtual MessageAnswer Message(const std::string& text, const std::string& caption,
                                  MessageIcon icon,
                                  MessageButtons buttons = MessageButtons::Ok) = 0;
    // Each dialog gives the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> OpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> SaveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> BrowseFolder(const std::string& title,
                                                    const std::string& initialFolder) = 0;
    virtual void Beep() {}

    // A settings file the person chose in `window` was not loaded or kept:
    // said as a message; a Ui answering for a person ends the window there
    // rather than go on with settings other than those asked for.
    virtual void SettingsFileRefused(Window& window, const std::string& text,
                                     const std::string& caption, MessageIcon icon) {
        (void)window;
        Message(text, caption, icon);
    }
    // Runs a window modally until it ends; gives its result (kIdOk,
    // kIdCancel, ...). A Ui that cannot show windows closes it at once.
    virtual int RunModal(Window& window);
    // Runs a file dialog that has controls of its own (see FileDialog) until
    // it ends, by OK or Cancel; gives kIdOk or kIdCancel. A Ui that cannot
    // show windows cancels it at once.
    virtual int RunFileDialog(FileDialog& dialog);
};

}  // namespace kx
