#pragma once
// The headless Ui of the commands that drive the exporter's windows: every
// message goes to stderr as one "Caption: text" line, and a settings file
// the window refuses ends the run there, as a person would stop rather than
// export with settings other than those asked for, or not kept.

#include <functional>
#include <ostream>
#include <string>
#include <utility>

#include "cli/Cli.h"
#include "host/headless/HeadlessUi.h"

namespace kx {

class CliUi final : public HeadlessUi {
  public:
    explicit CliUi(std::ostream& err) : err_(err) {}

    // Whether loading or saving a settings file failed (its window, when this
    // Ui runs it, was closed then).
    bool SettingsFileFailed() const { return settingsFileFailed_; }

    MessageAnswer Message(const std::string& text, const std::string& caption, MessageIcon icon,
                          MessageButtons buttons) override {
        err_ << OneLine(caption) << ": " << OneLine(text) << '\n';
        err_.flush();
        return HeadlessUi::Message(text, caption, icon, buttons);
    }

    void SettingsFileRefused(Window& window, const std::string& text, const std::string& caption,
                             MessageIcon icon) override {
        Message(text, caption, icon, MessageButtons::Ok);
        settingsFileFailed_ = true;
        // Only a window this Ui runs is ended; the settings command calls
        // the window itself and stops at the message.
        if (&window == window_) {
            window.Close();
        }
    }

    int RunModal(Window& window) override {
        Window* outer = std::exchange(window_, &window);
        const int result = HeadlessUi::RunModal(window);
        window_ = outer;
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
    Window* window_ = nullptr;  // the window being run
    bool settingsFileFailed_ = false;
};

}  // namespace kx
