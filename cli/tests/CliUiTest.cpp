// The command line's Ui ends a window's run only when the window itself
// says a settings file was refused, whatever file dialog came before.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/CliUi.h"
#include "host/Window.h"

namespace kx {
namespace {

class SettingsProbe : public Window {
  public:
    static constexpr int kNote = 101, kRefuse = 102, kCount = 103;
    explicit SettingsProbe(Ui& ui) : Window(ui, "Probe") {
        AddControl(kNote, "Note");
        AddControl(kRefuse, "Refuse");
        AddControl(kCount, "Count");
    }
    int counted = 0;

  protected:
    void OnCommand(int id) override {
        if (id == kNote) {
            // A settings file chosen, then a message that is no refusal.
            (void)ui().OpenFile({"Load", "CES Settings (*.ces)|*.ces", "ces", "", false});
            ui().Message("Loaded", "Message", MessageIcon::Information);
        } else if (id == kRefuse) {
            ui().SettingsFileRefused(*this, "Settings file could not be opened", "File Open Error",
                                     MessageIcon::Error);
        } else if (id == kCount) {
            ++counted;
        }
    }
};

WindowAction Press(int id) {
    return {WindowAction::Kind::Click, id, "", 0, ""};
}

TEST(CliUi, OnlyTheWindowsOwnRefusalEndsTheRun) {
    std::ostringstream err;
    CliUi ui(err);
    SettingsProbe note(ui);
    ui.QueueFile("a.ces");
    ui.QueueAction(Press(SettingsProbe::kNote));
    ui.QueueAction(Press(SettingsProbe::kCount));
    ui.RunModal(note);
    EXPECT_EQ(note.counted, 1);
    EXPECT_FALSE(ui.SettingsFileFailed());

    SettingsProbe refusing(ui);
    ui.QueueAction(Press(SettingsProbe::kRefuse));
    ui.QueueAction(Press(SettingsProbe::kCount));
    EXPECT_EQ(ui.RunModal(refusing), kIdCancel);
    EXPECT_EQ(refusing.counted, 0) << "the run ends at the refusal";
    EXPECT_TRUE(ui.SettingsFileFailed());
    EXPECT_EQ(err.str(), "Message: Loaded\nFile Open Error: Settings file could not be opened\n");
}

}  // namespace
}  // namespace kx
