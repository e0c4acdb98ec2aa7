#include "host/headless/HeadlessUi.h"

#include "base/TerminalText.h"

namespace kx {

MessageAnswer HeadlessUi::Message(const std::string& text, const std::string& caption,
                                  MessageIcon icon, MessageButtons buttons) {
    messages.push_back({text, caption, icon, buttons});
    if (echo_) {
        *echo_ << OneLine(caption) << ": " << OneLine(text) << '\n';
        echo_->flush();
    }
    if (buttons == MessageButtons::Ok) {
        return MessageAnswer::Ok;
    }
    if (answers_.empty()) {
        return defaultAnswer;
    }
    MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::optional<std::string> HeadlessUi::NextFile() {
    if (files_.empty()) {
        return std::nullopt;
    }
    auto path = std::move(files_.front());
    files_.pop_front();
    return path;
}

std::optional<std::string> HeadlessUi::OpenFile(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    return NextFile();
}

std::optional<std::string> HeadlessUi::SaveFile(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    return NextFile();
}

std::optional<std::string> HeadlessUi::BrowseFolder(const std::string& title,
                                                    const std::string& initialFolder) {
    fileRequests.push_back({title, "", "", initialFolder, false});
    return NextFile();
}

int HeadlessUi::RunModal(Window& window) {
    window.Open();
    return RunActions(window);
}

int HeadlessUi::RunFileDialog(FileDialog& dialog) {
    fileRequests.push_back(dialog.Request());
    dialog.Open();
    if (std::optional<std::string> path = NextFile()) {
        dialog.ChooseFile(*path);
    }
    return RunActions(dialog);
}

int HeadlessUi::RunActions(Window& window) {
    while (!window.Ended() && !refused && !actions_.empty()) {
        window.HandlePosted();
        if (window.Ended()) {
            break;
        }
        WindowAction action = std::move(actions_.front());
        actions_.pop_front();
        ActionOutcome outcome = ApplyAction(window, action);
        if (outcome != ActionOutcome::Applied) {
            refused = Refusal{std::move(action), outcome};
        }
    }
    if (!window.Ended()) {
        window.Close();
    }
    return window.Result();
}

}  // namespace kx
