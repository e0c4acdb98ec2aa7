#pragma once
// A Ui that answers from a script and records every message, for the
// command line (which prints them) and the tests (which assert on them).

#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "host/FileDialog.h"
#include "host/Ui.h"
#include "host/Window.h"

namespace kx {

struct RecordedMessage {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;

    bool operator==(const RecordedMessage&) const = default;
};

class HeadlessUi : public Ui {
  public:
    // Messages are echoed to `echo` as "Caption: text" lines when given, one
    // line each, control bytes escaped.
    explicit HeadlessUi(std::ostream* echo = nullptr) : echo_(echo) {}

    // Scripted answers, taken in order. A dialog with no answer left is
    // cancelled; a question with no answer left gets `defaultAnswer`.
    void QueueFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }
    void QueueAnswer(MessageAnswer answer) { answers_.push_back(answer); }
    MessageAnswer defaultAnswer = MessageAnswer::Ok;

    MessageAnswer Message(const std::string& text, const std::string& caption, MessageIcon icon,
                          MessageButtons buttons) override;
    std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> BrowseFolder(const std::string& title,
                                            const std::string& initialFolder) override;
    void Beep() override { ++beeps; }

    // Windows run on scripted actions, taken in order by whichever window is
    // open. When they run out the window is closed, as a person closing it
    // would. An action the window refuses (a disabled, hidden or unknown
    // control) stops the script: it is kept in `refused` and every window
    // still open is closed. Messages posted to the window are handled before
    // each action; the "wait" action lets its workers finish first.
    void QueueAction(WindowAction action) { actions_.push_back(std::move(action)); }
    int RunModal(Window& window) override;
    // The file is named from the file queue as the dialog opens (nothing
    // queued: none named); its own controls, OK and Cancel come from the
    // action queue, as in any window.
    int RunFileDialog(FileDialog& dialog) override;

    struct Refusal {
        WindowAction action;
        ActionOutcome outcome;
    };
    std::optional<Refusal> refused;

    std::vector<RecordedMessage> messages;
    std::vector<FileDialogRequest> fileRequests;
    int beeps = 0;

  private:
    std::optional<std::string> NextFile();
    // Applies queued actions until the window ends or they run out.
    int RunActions(Window& window);

    std::ostream* echo_;
    std::deque<std::optional<std::string>> files_;
    std::deque<MessageAnswer> answers_;
    std::deque<WindowAction> actions_;
};

}  // namespace kx
