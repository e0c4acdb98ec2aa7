#include "host/FileDialog.h"

#include <gtest/gtest.h>

#include "host/headless/HeadlessUi.h"

namespace kx {
namespace {

// An open dialog with two boxes of its own: "Hardpoints" shows or hides
// "After Model" as it is checked or unchecked.
class OptionsFileDialog : public FileDialog {
  public:
    static constexpr int kHardpoints = 1023, kAfterModel = 1026;

    OptionsFileDialog(Ui& ui, bool hardpoints, bool afterModel)
        : FileDialog(ui, Kind::Open,
                     {"Open", "Models (*.cmp)|*.cmp|All Files (*.*)|*.*", "", "*.cmp", false},
                     "/games/data"),
          hardpoints_(hardpoints),
          afterModel_(afterModel) {
        AddControl(kHardpoints, "Import Hardpoints");
        AddControl(kAfterModel, "After Model");
    }

  protected:
    void OnInit() override {
        FileDialog::OnInit();
        SetChecked(kHardpoints, hardpoints_);
        SetChecked(kAfterModel, afterModel_);
        SetVisible(kAfterModel, hardpoints_);
    }
    void OnCommand(int id) override {
        if (id == kHardpoints) {
            SetChecked(kHardpoints, !IsChecked(kHardpoints));
            SetVisible(kAfterModel, IsChecked(kHardpoints));
        } else if (id == kAfterModel) {
            SetChecked(kAfterModel, !IsChecked(kAfterModel));
        } else {
            FileDialog::OnCommand(id);
        }
    }

  private:
    bool hardpoints_, afterModel_;
};

WindowAction Act(std::string_view line) {
    return ParseWindowAction(line).value_or(WindowAction{});
}

void Queue(HeadlessUi& ui, std::initializer_list<const char*> lines) {
    for (const char* line : lines) {
        ui.QueueAction(Act(line));
    }
}

TEST(FileDialog, OkGivesTheFileTheBoxesAndTheFolder) {
    HeadlessUi ui;
    OptionsFileDialog dlg(ui, false, false);
    ui.QueueFile("/games/data/ships/hull.cmp");
    // The box shown by the first click can be clicked next.
    Queue(ui, {"click 1023", "click 1026", "click 1", "click 2"});
    EXPECT_EQ(ui.RunFileDialog(dlg), kIdOk);
    EXPECT_EQ(dlg.Chosen(), "/games/data/ships/hull.cmp");
    EXPECT_EQ(dlg.ShownFolder(), "/games/data/ships");
    EXPECT_TRUE(dlg.Control(OptionsFileDialog::kHardpoints).checked);
    EXPECT_TRUE(dlg.Control(OptionsFileDialog::kAfterModel).checked);
    EXPECT_TRUE(dlg.Control(OptionsFileDialog::kAfterModel).visible);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].initialPath, "*.cmp");
    // The action after OK belongs to whatever window comes next.
    OptionsFileDialog next(ui, true, false);
    EXPECT_EQ(ui.RunFileDialog(next), kIdCancel);
}

TEST(FileDialog, CancelStillGivesTheBoxesAndTheFolder) {
    HeadlessUi ui;
    OptionsFileDialog dlg(ui, true, true);
    ui.QueueFile("C:\\Games\\Data\\hull.cmp");
    Queue(ui, {"click 1023", "click 2"});
    EXPECT_EQ(ui.RunFileDialog(dlg), kIdCancel);
    EXPECT_EQ(dlg.Chosen(), std::nullopt);
    EXPECT_EQ(dlg.ShownFolder(), "C:\\Games\\Data");
    EXPECT_FALSE(dlg.Control(OptionsFileDialog::kHardpoints).checked);
    EXPECT_FALSE(dlg.Control(OptionsFileDialog::kAfterModel).visible);
    EXPECT_TRUE(dlg.Control(OptionsFileDialog::kAfterModel).checked);

    // Running out of actions cancels too; the folder is the one shown first.
    OptionsFileDialog untouched(ui, true, false);
    EXPECT_EQ(ui.RunFileDialog(untouched), kIdCancel);
    EXPECT_EQ(untouched.ShownFolder(), "/games/data");
    EXPECT_TRUE(untouched.Control(OptionsFileDialog::kHardpoints).checked);
}

TEST(FileDialog, OkNeedsAFileAndHiddenBoxesRefuseClicks) {
    HeadlessUi ui;
    OptionsFileDialog dlg(ui, false, false);
    // No file queued: the box still holds the pattern, which names no file.
    Queue(ui, {"click 1"});
    EXPECT_EQ(ui.RunFileDialog(dlg), kIdCancel);
    ASSERT_TRUE(ui.refused);
    EXPECT_EQ(ui.refused->outcome, ActionOutcome::Disabled);

    HeadlessUi typed;
    OptionsFileDialog hidden(typed, false, false);
    Queue(typed, {"type 1152 ships/wing.cmp", "click 1026", "click 1"});
    EXPECT_EQ(typed.RunFileDialog(hidden), kIdCancel);
    ASSERT_TRUE(typed.refused);
    EXPECT_EQ(typed.refused->outcome, ActionOutcome::Hidden);

    HeadlessUi byName;
    OptionsFileDialog named(byName, false, false);
    Queue(byName, {"type 1152 ships/wing.cmp", "click 1"});
    EXPECT_EQ(byName.RunFileDialog(named), kIdOk);
    EXPECT_EQ(named.Chosen(), "ships/wing.cmp");
    EXPECT_EQ(named.ShownFolder(), "ships");
}

}  // namespace
}  // namespace kx
