#pragma once
// The headless Ui of the commands that drive the exporter's windows: every
// message goes to stderr as one "Caption: text" line, and a "Load Settings"
// or "Save Settings" that fails ends the run there, as a person would stop
// rather than export with settings other than those asked for, or not kept.

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "cli/Cli.h"
#include "host/headless/HeadlessUi.h"

namespace kx {

class CliUi final : public HeadlessUi {
  public:
    explicit CliUi(std::ostream& err) : err_(err) {}

    // Whether loading or saving a settings file failed and closed its window.
    bool SettingsFileFailed() const { return settingsFileFailed_; }

    MessageAnswer Message(const std::string& text, const std::string& caption, MessageIcon icon,
                          MessageButtons buttons) override {
        err_ << OneLine(caption) << ": " << OneLine(text) << '\n';
        err_.flush();
        // Loading or saving settings shows a message only when it fails.
        if (settingsFileStep_ && window_) {
            settingsFileStep_ = false;
            settingsFileFailed_ = true;
            window_->Close();
        }
        return HeadlessUi::Message(text, caption, icon, buttons);
    }

    std::optional<std::string> OpenFile(const FileDialogRequest& request) override {
        settingsFileStep_ = request.defaultExtension == "ces";
        return HeadlessUi::OpenFile(request);
    }

    std::optional<std::string> SaveFile(const FileDialogRequest& request) override {
        settingsFileStep_ = request.defaultExtension == "ces";
        return HeadlessUi::SaveFile(request);
    }

    int RunModal(Window& window) override {
        settingsFileStep_ = false;
        Window* outer = std::exchange(window_, &window);
        const int result = HeadlessUi::RunModal(window);
        window_ = outer;
        settingsFileStep_ = false;
        if (windowEnded) {
            windowEnded(window);
        }
        return result;
    }

    // Called with each window as its modal run ends, while what it showed
    // last is still there to read.
    std::function<void(const Window&)> windowEnded;

  private:
    std::ostream& err_;
    Window* window_ = nullptr;
    bool settingsFileStep_ = false;  // a settings file was just chosen
    bool settingsFileFailed_ = false;
};

}  // namespace kx
