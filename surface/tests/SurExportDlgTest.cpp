#include "surface/SurExportDlg.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>

#include "host/FileIo.h"
#include "host/headless/HeadlessUi.h"
#include "host/headless/RecordingFileService.h"
#include "surface/SurfaceExport.h"
#include "testsupport/LittleEndian.h"
#include "testsupport/TempFiles.h"
#include "testsupport/WindowFixture.h"

namespace kx {
namespace {

using Dlg = CSurExportDlg;
namespace w = settings_word;

// The options window, open, driven by control id as a person would.
class SurWindow : public test::WindowFixture<SurWindow> {
    friend class WindowFixture;

  protected:
    SurWindow() : WindowFixture("sur_window") {}

    void Load(const std::string& path) {
        ui.QueueFile(path);
        Act("click 6006");
    }
    // Chooses the target and presses OK.
    void Finish() {
        ui.QueueFile(TempPath("out.sur"));
        Act("click 6001");
        Act("click 1");
        ASSERT_TRUE(dlg.Ended());
    }
    float FloatScale() const { return std::bit_cast<float>(dlg.Words()[w::kFloatScale]); }
    int32_t Word(size_t k) const { return static_cast<int32_t>(dlg.Words()[k]); }

    HeadlessUi ui;
    RecordingFileService files;
    Dlg dlg{ui, files};
};

// A settings file of `size` bytes with the given words.
std::vector<uint8_t> SettingsBytes(size_t size,
                                   std::initializer_list<std::pair<size_t, uint32_t>> words) {
    std::vector<uint8_t> bytes(size, 0);
    for (auto [index, value] : words) {
        test::PutU32(bytes, index * 4, value);
    }
    return bytes;
}

TEST_F(SurWindow, DefaultsNeedATargetAndGiveTheDefaultWords) {
    EXPECT_EQ(dlg.Title(), "Kaltrix SUR Exporter");
    EXPECT_FALSE(C(kIdOk).enabled);
    EXPECT_EQ(Do("click 1"), ActionOutcome::Disabled);
    EXPECT_TRUE(C(Dlg::kUpsideDown).checked);
    EXPECT_TRUE(C(Dlg::kShieldBubble).checked);
    EXPECT_EQ(C(Dlg::kScaleBox).text, "92.000000");
    EXPECT_EQ(C(Dlg::kScaleSlider).position, 919);
    EXPECT_EQ(C(Dlg::kShipMass).text, "100");
    EXPECT_EQ(C(Dlg::kGroupsBox).text, "1");
    EXPECT_FALSE(C(Dlg::kQuantity0).enabled);
    EXPECT_FALSE(C(Dlg::kNoReduction).checked);

    ui.QueueFile(std::nullopt);  // cancelled: still no target
    Act("click 6001");
    EXPECT_FALSE(C(kIdOk).enabled);
    Finish();
    EXPECT_EQ(C(Dlg::kSurFile).text, "out.sur");
    EXPECT_EQ(ui.fileRequests.back().title, "Save Kaltrix SUR File");
    EXPECT_EQ(ui.fileRequests.back().defaultExtension, "sur");
    EXPECT_TRUE(ui.fileRequests.back().overwritePrompt);
    EXPECT_EQ(Word(w::kIntegerScale), -1);
    EXPECT_EQ(FloatScale(), 92.0f);
    EXPECT_EQ(Word(w::kGroupCount), 1);
    EXPECT_EQ(Word(w::kModelType), 0);
    EXPECT_EQ(dlg.Kind(), CollisionKind::ShieldBubble);
    EXPECT_EQ(dlg.ShipMass(), 100u);
    EXPECT_FALSE(dlg.ReductionOff());
}

TEST_F(SurWindow, OptionsReachTheResult) {
    Act("click 6003");
    Act("click 6008");
    Act("type 6009 2500");
    Act("click 6030");
    Act("click 6031");
    Act("click 6031");
    Act("click 6031");     // a check box: three clicks leave it checked
    Act("type 6004 150");  // typed values are held to the range
    EXPECT_EQ(C(Dlg::kScaleBox).text, "100.000000");
    EXPECT_EQ(C(Dlg::kScaleSlider).position, 1000);
    Act("scroll 6029 0");
    EXPECT_EQ(C(Dlg::kScaleBox).text, "0.000001");
    Act("type 6004 46");
    Finish();
    EXPECT_EQ(Word(w::kOrientation), 1);
    EXPECT_EQ(dlg.Kind(), CollisionKind::ShrinkWrapped);
    EXPECT_EQ(dlg.ShipMass(), 2500u);
    EXPECT_TRUE(dlg.ReductionOff());
    EXPECT_TRUE(dlg.ClosedHulls());
    EXPECT_EQ(FloatScale(), 46.0f);
    EXPECT_EQ(Word(w::kIntegerScale), -1);
}

TEST_F(SurWindow, GroupCountIsHeldToOneToEighteenAndGatesTheQuantities) {
    Act("type 6010 0");
    EXPECT_EQ(C(Dlg::kGroupsBox).text, "1");
    Act("type 6010 25");
    EXPECT_EQ(C(Dlg::kGroupsBox).text, "18");
    EXPECT_TRUE(C(Dlg::kQuantity0 + 17).enabled);
    Act("type 6010 3");
    EXPECT_TRUE(C(Dlg::kQuantity0 + 2).enabled);
    EXPECT_FALSE(C(Dlg::kQuantity0 + 3).enabled);
    EXPECT_EQ(C(Dlg::kQuantity0 + 3).text, "");
    EXPECT_EQ(Do("type 6014 5"), ActionOutcome::Disabled);
    Act("type 6011 4");
    Act("type 6012 1");
    Act("type 6013 2");
    Finish();
    EXPECT_EQ(Word(w::kGroupCount), 3);
    EXPECT_EQ(Word(w::kQuantity0), 4);
    EXPECT_EQ(Word(w::kQuantity0 + 1), 1);
    EXPECT_EQ(Word(w::kQuantity0 + 2), 2);
    EXPECT_EQ(Word(w::kQuantity0 + 3), 0);
}

TEST_F(SurWindow, OldSettingsFileIsAShipWithTheIntegerScale) {
    Load(WriteFile("old.ces", SettingsBytes(88, {{0, 50}, {1, 1}, {3, 2}, {4, 3}, {5, 4}})));
    EXPECT_TRUE(C(Dlg::kBackToFront).checked);
    EXPECT_EQ(C(Dlg::kScaleBox).text, "50.000000");
    EXPECT_EQ(C(Dlg::kGroupsBox).text, "2");
    EXPECT_EQ(C(Dlg::kQuantity0 + 1).text, "4");
    EXPECT_TRUE(C(Dlg::kQuantity0 + 1).enabled);
    Finish();
    EXPECT_EQ(Word(w::kModelType), 1);
    EXPECT_EQ(FloatScale(), 50.0f);
    EXPECT_EQ(Word(w::kIntegerScale), -1);
    EXPECT_EQ(Word(w::kQuantity0), 3);
}

TEST_F(SurWindow, FullSettingsFileTakesItsOwnScaleOrder) {
    // The float scale rules whatever the integer word says; one above 100
    // stays as loaded.
    Load(WriteFile("big.ces", SettingsBytes(192, {{0, 7},
                                                  {22, 0xABCD0003},
                                                  {23, 0x3F000000},
                                                  {27, std::bit_cast<uint32_t>(200.0f)}})));
    EXPECT_EQ(C(Dlg::kScaleBox).text, "200.000000");
    EXPECT_EQ(C(Dlg::kScaleSlider).position, 1000);
    Finish();
    EXPECT_EQ(FloatScale(), 200.0f);
    EXPECT_EQ(Word(w::kIntegerScale), -1);
    EXPECT_EQ(Word(w::kModelType), 3);  // low 16 bits only
    EXPECT_EQ(dlg.Words()[w::kFovX], 0x3F000000u);
    for (size_t k = 28; k < kSettingsWordCount; ++k) {
        EXPECT_EQ(dlg.Words()[k], 0u) << k;
    }
}

TEST_F(SurWindow, NonFiniteOrMissingScalesFallBack) {
    const uint32_t inf = std::bit_cast<uint32_t>(std::numeric_limits<float>::infinity());
    Load(WriteFile("inf.ces", SettingsBytes(192, {{0, 30}, {27, inf}})));
    EXPECT_EQ(C(Dlg::kScaleBox).text, "30.000000");
    Load(WriteFile("nan.ces", SettingsBytes(192, {{0, 0xFFFFFFFF}, {27, 0x7FC00000}})));
    EXPECT_EQ(C(Dlg::kScaleBox).text, "92.000000");
}

TEST_F(SurWindow, ScaleAtOrBelowZeroLeavesTheSliderAtZero) {
    // An old file with an integer scale of 0: the control shows 0, and OK
    // turns the integer word into the slider's position.
    Load(WriteFile("zero.ces", SettingsBytes(88, {{0, 0}, {3, 1}})));
    EXPECT_EQ(C(Dlg::kScaleSlider).position, 0);
    Finish();
    EXPECT_EQ(FloatScale(), 0.0f);
    EXPECT_EQ(Word(w::kIntegerScale), 0);
    EXPECT_EQ(SurfaceScaleDivisor(SurfaceOptionsFromWords(dlg.Words(), dlg.Kind(), dlg.ShipMass(),
                                                          dlg.ReductionOff())),
              92.0f);
}

TEST_F(SurWindow, UnreadableSettingsFileChangesNothing) {
    Act("click 6003");
    Load(WriteFile("missing.ces", {}) + ".gone");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Settings file could not be opened");
    EXPECT_EQ(ui.messages[0].caption, "File Open Error");
    EXPECT_TRUE(C(Dlg::kBackToFront).checked);
    EXPECT_EQ(C(Dlg::kScaleBox).text, "92.000000");
}

}  // namespace
}  // namespace kx
