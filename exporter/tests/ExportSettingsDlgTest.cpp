#include "exporter/ExportSettingsDlg.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <limits>

#include "host/FileIo.h"
#include "host/headless/HeadlessUi.h"
#include "testsupport/LittleEndian.h"
#include "testsupport/TempFiles.h"
#include "testsupport/WindowFixture.h"

namespace kx {
namespace {

using Dlg = CExportSettingsDlg;

// The settings window, open, driven by control id as a person would.
class SettingsWindow : public test::WindowFixture<SettingsWindow> {
    friend class WindowFixture;

  protected:
    SettingsWindow() : WindowFixture("settings_window") {}

    void Load(const std::string& path) {
        ui.QueueFile(path);
        Act("click 1012");
    }
    std::vector<uint8_t> Save(const std::string& name) {
        std::string p = TempPath(name);
        ui.QueueFile(p);
        Act("click 1011");
        std::vector<uint8_t> bytes;
        ReadWholeFile(p, bytes);
        return bytes;
    }
    std::vector<RecordedMessage> TakeMessages() { return std::exchange(ui.messages, {}); }

    HeadlessUi ui;
    Dlg dlg{ui};
};

using test::PutU32;
using test::U32At;

TEST_F(SettingsWindow, OpensWithItsDefaults) {
    EXPECT_EQ(dlg.Title(), "Kaltrix CMP Settings");
    EXPECT_EQ(C(kIdOk).text, "Continue");
    EXPECT_FALSE(C(kIdOk).enabled);
    EXPECT_TRUE(C(Dlg::kLevel0).checked);
    EXPECT_TRUE(C(Dlg::kLevelLabel0).visible);
    EXPECT_FALSE(C(Dlg::kLevelLabel0 + 1).visible);
    EXPECT_TRUE(C(Dlg::kUpsideDown).checked);
    EXPECT_TRUE(C(Dlg::kShip).checked);
    EXPECT_FALSE(C(Dlg::kFovX).enabled);
    EXPECT_FALSE(C(Dlg::kReset).enabled);
    EXPECT_EQ(C(Dlg::kScaleBox).text, "92.000000");
    EXPECT_EQ(C(Dlg::kScaleSlider).position, 919);  // (92 - min) / (max - min) * 1000, cut
    EXPECT_EQ(C(Dlg::kGroupsBox).text, "1");
    EXPECT_FALSE(C(Dlg::kQuantity0).enabled);
    EXPECT_EQ(dlg.Settings(), ExportSettings{});
}

TEST_F(SettingsWindow, CockpitFillsTheFieldOfViewAndLocksGroupsAndLevels) {
    Act("type 1020 3");
    Act("click 1005");
    Act("click 22014");
    EXPECT_EQ(C(Dlg::kGroupsBox).text, "1");
    EXPECT_FALSE(C(Dlg::kGroupsBox).enabled);
    EXPECT_FALSE(C(Dlg::kQuantity0).enabled);
    EXPECT_TRUE(C(Dlg::kLevel0).checked);
    EXPECT_EQ(dlg.Settings().levelOfDetail, 0);
    EXPECT_EQ(Do("click 1004"), ActionOutcome::Disabled);
    EXPECT_EQ(Do("type 1020 2"), ActionOutcome::Disabled);
    EXPECT_EQ(C(Dlg::kFovX).text, "0.645772");
    EXPECT_EQ(C(Dlg::kFovY).text, "0.514412");
    EXPECT_EQ(C(Dlg::kZNear).text, "0.050000");
    EXPECT_EQ(C(Dlg::kZFar).text, "5.000000");
    EXPECT_TRUE(C(Dlg::kReset).enabled);

    Act("type 22011 0.0001");  // below Znear's minimum
    EXPECT_EQ(C(Dlg::kZNear).text, "0.000500");
    Act("type 22002 2");
    Act("click 22006");
    EXPECT_EQ(C(Dlg::kFovX).text, "0.645772");
    EXPECT_EQ(C(Dlg::kZNear).text, "0.050000");

    Act("click 22015");  // Weapon: everything back
    EXPECT_EQ(dlg.Settings().modelType, 3);
    EXPECT_EQ(C(Dlg::kFovX).text, "");
    EXPECT_FALSE(C(Dlg::kFovX).enabled);
    EXPECT_FALSE(C(Dlg::kReset).enabled);
    EXPECT_TRUE(C(Dlg::kGroupsBox).enabled);
    EXPECT_TRUE(C(Dlg::kLevel0 + 3).enabled);
}

TEST_F(SettingsWindow, NumberBoxesFilterKeysAndClampWithABeep) {
    Act("type 1015 150");
    EXPECT_EQ(C(Dlg::kScaleBox).text, "100.000000");
    EXPECT_EQ(C(Dlg::kScaleSlider).position, 1000);
    EXPECT_EQ(ui.beeps, 1);
    Act("type 1015 1x5");  // 'x' refused, 15 is inside the limits
    EXPECT_EQ(C(Dlg::kScaleBox).text, "15");
    EXPECT_EQ(C(Dlg::kScaleSlider).position, 149);
    EXPECT_EQ(ui.beeps, 2);
    Act("type 1015 ");  // emptied: reads as 0, below the minimum
    EXPECT_EQ(C(Dlg::kScaleBox).text, "0.000001");
    EXPECT_EQ(C(Dlg::kScaleSlider).position, 0);
    Act("scroll 1017 500");
    EXPECT_EQ(C(Dlg::kScaleBox).text, "50.000000");
    Act("scroll 1017 5000");
    EXPECT_EQ(C(Dlg::kScaleBox).text, "100.000000");
    EXPECT_EQ(ui.beeps, 3);

    Act("type 1020 3");
    Act("type 1028 -4a");  // quantity boxes take digits only
    EXPECT_EQ(C(Dlg::kQuantity0).text, "4");
    EXPECT_EQ(ui.beeps, 5);
    EXPECT_EQ(Do("type 1002 x.cmp"), ActionOutcome::ReadOnly);
}

TEST_F(SettingsWindow, GroupCountIsHeldBetweenOneAndEighteen) {
    Act("type 1020 25");
    EXPECT_EQ(C(Dlg::kGroupsBox).text, "18");
    EXPECT_TRUE(C(Dlg::kQuantity0 + 17).enabled);
    Act("type 1020 0");
    EXPECT_EQ(C(Dlg::kGroupsBox).text, "1");
    EXPECT_FALSE(C(Dlg::kQuantity0).enabled);
    Act("scroll 1026 3");
    EXPECT_EQ(C(Dlg::kGroupsBox).text, "3");
    EXPECT_EQ(C(Dlg::kQuantity0 + 2).text, "0");
    EXPECT_TRUE(C(Dlg::kQuantitySpinner0 + 2).enabled);
    EXPECT_FALSE(C(Dlg::kQuantity0 + 3).enabled);
    Act("type 1029 7");
    Act("scroll 1066 9");
    Act("type 1020 1");  // the stored quantities come back with the boxes
    Act("type 1020 3");
    EXPECT_EQ(C(Dlg::kQuantity0 + 1).text, "7");
    EXPECT_EQ(C(Dlg::kQuantity0 + 2).text, "9");
}

TEST_F(SettingsWindow, SaveRefusesAMissingQuantity) {
    Act("type 1020 3");
    Act("type 1028 4");
    Act("type 1030 2");
    EXPECT_TRUE(Save("missing.ces").empty());
    EXPECT_EQ(TakeMessages(), (std::vector<RecordedMessage>{{"Quantity missing from group 2",
                                                             "Warning", MessageIcon::Warning}}));
    EXPECT_EQ(dlg.SavedSettingsPath(), "");
}

TEST_F(SettingsWindow, SettingsRoundTripThroughAFile) {
    Act("click 1014");
    Act("click 1006");
    Act("type 1015 12.5");
    Act("type 1020 2");
    Act("type 1028 3");
    Act("type 1029 5");
    Act("click 22015");  // Weapon sets level 0 again
    Act("click 1005");
    std::vector<uint8_t> saved = Save("weapon.ces");
    ASSERT_EQ(saved.size(), 192u);
    EXPECT_EQ(U32At(saved, 8), 2u);
    EXPECT_EQ(U32At(saved, 108), 0x41480000u);  // 12.5

    HeadlessUi ui2;
    Dlg other(ui2);
    other.Open();
    ui2.QueueFile(TempPath("weapon.ces"));
    ApplyAction(other, *ParseWindowAction("click 1012"));
    EXPECT_TRUE(other.Control(Dlg::kBackToFront).checked);
    EXPECT_TRUE(other.Control(Dlg::kLevel0 + 2).checked);
    EXPECT_TRUE(other.Control(Dlg::kLevelLabel0 + 2).visible);
    EXPECT_TRUE(other.Control(Dlg::kWeapon).checked);
    EXPECT_EQ(other.Control(Dlg::kScaleBox).text, "12.500000");
    EXPECT_EQ(other.Control(Dlg::kQuantity0 + 1).text, "5");
    EXPECT_EQ(other.Settings(), dlg.Settings());
}

TEST_F(SettingsWindow, ACockpitRoundTripsWithItsFieldOfView) {
    Act("click 22014");
    Act("type 22004 0.75");
    std::vector<uint8_t> saved = Save("cockpit.ces");
    EXPECT_EQ(U32At(saved, 88), 2u);
    EXPECT_EQ(U32At(saved, 92), 0x3F255150u);
    EXPECT_EQ(U32At(saved, 96), 0x3F400000u);  // 0.75
    Act("click 22013");
    Load(TempPath("cockpit.ces"));
    EXPECT_TRUE(C(Dlg::kCockpit).checked);
    EXPECT_FALSE(C(Dlg::kGroupsBox).enabled);
    EXPECT_FALSE(C(Dlg::kLevel0).enabled);
    EXPECT_EQ(C(Dlg::kFovY).text, "0.750000");
    EXPECT_TRUE(C(Dlg::kReset).enabled);
}

TEST_F(SettingsWindow, AnOldFileLoadsAsShipAndSavesInTheNewLayout) {
    std::vector<uint8_t> old(88, 0);
    PutU32(old, 0, 50);  // integer scale
    PutU32(old, 4, 1);
    PutU32(old, 8, 2);
    PutU32(old, 12, 2);
    PutU32(old, 16, 3);
    PutU32(old, 20, 4);
    Act("click 22014");  // a cockpit before: loading makes it a ship
    Load(WriteFile("old.ces", old));
    EXPECT_TRUE(C(Dlg::kShip).checked);
    EXPECT_TRUE(C(Dlg::kGroupsBox).enabled);
    EXPECT_FALSE(C(Dlg::kFovX).enabled);
    EXPECT_EQ(C(Dlg::kScaleBox).text, "50.000000");
    EXPECT_TRUE(C(Dlg::kBackToFront).checked);
    EXPECT_TRUE(C(Dlg::kLevel0 + 2).checked);
    EXPECT_EQ(C(Dlg::kGroupsBox).text, "2");
    EXPECT_EQ(C(Dlg::kQuantity0).text, "3");
    EXPECT_EQ(C(Dlg::kQuantity0 + 1).text, "4");

    std::vector<uint8_t> saved = Save("new.ces");
    ASSERT_EQ(saved.size(), 192u);
    std::vector<uint8_t> expected = old;
    PutU32(expected, 0, 0xFFFFFFFFu);
    expected.resize(192, 0);
    expected[88] = 1;                    // Ship
    PutU32(expected, 108, 0x42480000u);  // 50.0
    EXPECT_EQ(saved, expected);
    EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(SettingsWindow, LoadingHoldsOddValuesToWhatTheWindowShows) {
    std::vector<uint8_t> b(300, 0);  // longer than a record: the rest is ignored
    PutU32(b, 0, 0xFFFFFFFFu);
    PutU32(b, 4, 7);              // orientation: Upside Down
    PutU32(b, 8, 9);              // level: 0
    PutU32(b, 12, 1000);          // groups: 18
    PutU32(b, 16, 0xFFFFFFFDu);   // quantity -3
    b[88] = 9;                    // unknown model type: Ship
    PutU32(b, 108, 0x43480000u);  // 200.0, beyond the scale box
    b[200] = 0xFF;
    Load(WriteFile("odd.ces", b));
    EXPECT_EQ(C(Dlg::kGroupsBox).text, "18");
    EXPECT_EQ(C(Dlg::kQuantity0).text, "-3");
    EXPECT_EQ(C(Dlg::kScaleBox).text, "92.000000");
    const ExportSettings& s = dlg.Settings();
    EXPECT_EQ(s.groupCount, 18);
    EXPECT_EQ(s.orientation, 0);
    EXPECT_EQ(s.levelOfDetail, 0);
    EXPECT_EQ(s.modelType, 1);
    EXPECT_EQ(s.floatScale, 200.0f);
    EXPECT_TRUE(C(Dlg::kShip).checked);

    Load(TempPath("missing.ces"));
    EXPECT_EQ(TakeMessages(),
              (std::vector<RecordedMessage>{
                  {"Settings file could not be opened", "File Open Error", MessageIcon::Error}}));
}

TEST_F(SettingsWindow, LoadedCameraValuesGetTheLimitsOfTypedOnes) {
    ExportSettings cockpit;
    cockpit.modelType = StoredValue(ModelType::Cockpit);
    cockpit.fovX = std::numeric_limits<float>::quiet_NaN();       // the default
    cockpit.fovY = 1e30f;                                         // the maximum
    cockpit.zNear = -std::numeric_limits<float>::infinity();      // the default
    cockpit.zFar = 0.0f;                                          // the minimum
    cockpit.floatScale = std::numeric_limits<float>::infinity();  // no float scale
    Load(WriteFile("camera.ces", EncodeSettingsFile(cockpit)));
    EXPECT_EQ(C(Dlg::kFovX).text, "0.645772");
    EXPECT_EQ(C(Dlg::kFovY).text, "10.000000");
    EXPECT_EQ(C(Dlg::kZNear).text, "0.050000");
    EXPECT_EQ(C(Dlg::kZFar).text, "0.000500");
    EXPECT_EQ(C(Dlg::kScaleBox).text, "92.000000");
    EXPECT_TRUE(std::isfinite(dlg.Settings().floatScale));
    EXPECT_EQ(ui.beeps, 0);

    ui.QueueFile(TempPath("cockpit.cmp"));
    Act("click 1000");
    Act("click 1");
    ASSERT_TRUE(dlg.Ended());
    const ExportSettings& s = dlg.Settings();
    EXPECT_EQ(std::bit_cast<uint32_t>(s.fovX), 0x3F255150u);
    EXPECT_EQ(s.fovY, 10.0f);
    EXPECT_EQ(s.zNear, 0.05f);
    EXPECT_EQ(s.zFar, 0.0005f);
    EXPECT_EQ(ScaleDivisor(s), 92.0f);
}

TEST_F(SettingsWindow, TypedScaleRulesOverALoadedIntegerScale) {
    std::vector<uint8_t> b = EncodeSettingsFile(ExportSettings{});
    PutU32(b, 0, 50);
    Load(WriteFile("int.ces", b));
    EXPECT_EQ(C(Dlg::kScaleBox).text, "50.000000");
    Act("type 1015 10");
    ui.QueueFile(TempPath("out.cmp"));
    Act("click 1000");
    Act("click 1");
    ASSERT_TRUE(dlg.Ended());
    EXPECT_EQ(ScaleDivisor(dlg.Settings()), 10.0f);
}

TEST_F(SettingsWindow, ContinueChecksTheFileAndTheQuantities) {
    EXPECT_EQ(Do("click 1"), ActionOutcome::Disabled);  // no file chosen yet
    Act("click 1000");                                  // dialog cancelled
    EXPECT_EQ(C(Dlg::kFileName).text, " ");
    EXPECT_FALSE(C(kIdOk).enabled);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].title, "Export Kaltrix CMP File");
    EXPECT_EQ(ui.fileRequests[0].defaultExtension, "cmp");
    EXPECT_TRUE(ui.fileRequests[0].overwritePrompt);

    const std::string out = TempPath("ship.cmp");
    ui.QueueFile(out);
    Act("click 1000");
    EXPECT_EQ(C(Dlg::kFileName).text, std::filesystem::path(out).filename().string());
    Act("click 1000");  // cancelled again: the path is gone, Continue stays enabled
    Act("click 1");
    EXPECT_EQ(
        TakeMessages(),
        (std::vector<RecordedMessage>{{"Output file not selected", "Error", MessageIcon::Error}}));

    ui.QueueFile(out);
    Act("click 1000");
    Act("type 1020 3");
    Act("type 1030 6");  // a third group dropped again: its quantity goes
    Act("type 1020 2");
    Act("type 1028 3");
    Act("click 1");
    EXPECT_EQ(TakeMessages(), (std::vector<RecordedMessage>{
                                  {"Quantity missing from group 2", "Error", MessageIcon::Error}}));
    EXPECT_FALSE(dlg.Ended());
    Act("type 1029 1");
    Act("click 1");
    ASSERT_TRUE(dlg.Ended());
    EXPECT_EQ(dlg.Result(), kIdOk);
    EXPECT_EQ(dlg.Mode(), ExportMode::New);
    EXPECT_EQ(dlg.OutputPath(), out);
    EXPECT_EQ(dlg.Settings().quantities[1], 1);
    EXPECT_EQ(dlg.Settings().quantities[2], 0);
}

TEST_F(SettingsWindow, UpdateOfAMissingFileSwitchesToNew) {
    const std::string missing = TempPath("gone.cmp");
    ui.QueueFile(missing);
    Act("click 1001");
    EXPECT_EQ(ui.fileRequests.back().title, "Update Existing Kaltrix CMP File");
    EXPECT_EQ(TakeMessages(), (std::vector<RecordedMessage>{
                                  {"The file gone.cmp does not exist, switching to New File Mode",
                                   "Message", MessageIcon::Information}}));
    EXPECT_TRUE(C(kIdOk).enabled);

    ui.QueueFile(WriteFile("there.cmp", {1}));
    Act("click 1001");
    EXPECT_TRUE(TakeMessages().empty());
    Act("click 1");
    EXPECT_EQ(dlg.Mode(), ExportMode::Update);
}

TEST_F(SettingsWindow, CancelMarksTheModeCancelled) {
    ui.QueueFile(TempPath("a.cmp"));
    Act("click 1000");
    Act("click 2");
    EXPECT_EQ(dlg.Result(), kIdCancel);
    EXPECT_EQ(dlg.Mode(), ExportMode::Cancelled);
}

}  // namespace
}  // namespace kx
