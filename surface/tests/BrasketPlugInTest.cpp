#include "surface/BrasketPlugIn.h"

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>

#include "host/FileIo.h"
#include "host/headless/HeadlessUi.h"
#include "host/headless/RecordingFileService.h"
#include "surface/SurExportDlg.h"
#include "surface/SurfaceExport.h"
#include "surface/tests/SurfaceTestModels.h"
#include "testsupport/TempFiles.h"

namespace kx {
namespace {

using test::TestModel;

// Plain devices, counted, so a test sees every one released.
class CountingDevices final : public DeviceService {
  public:
    Device* CreateDevice(Ui& ui, const std::string& owner) override {
        ++created;
        return plain_.CreateDevice(ui, owner);
    }
    void ReleaseDevice(Device* device) override {
        released += device != nullptr;
        plain_.ReleaseDevice(device);
    }
    int created = 0, released = 0;

  private:
    PlainDeviceService plain_;
};

class BrasketRun : public ::testing::Test {
  protected:
    BrasketRun() {
        services.ui = &ui;
        services.files = &files;
        services.devices = &devices;
    }
    // Chooses `target` in the window and presses OK, after `actions`.
    int Export(msModel* model, const std::string& target, std::vector<std::string> actions = {}) {
        ui.QueueFile(target);
        ui.QueueAction(*ParseWindowAction("click 6001"));
        for (const std::string& line : actions) {
            ui.QueueAction(*ParseWindowAction(line));
        }
        ui.QueueAction(*ParseWindowAction("click 1"));
        return plugIn.Execute(model);
    }

    HeadlessUi ui;
    RecordingFileService files;
    CountingDevices devices;
    HostServices services;
    BrasketPlugIn plugIn{services};
    test::TempDir dir{"brasket_run"};
};

TEST_F(BrasketRun, EmptyOrCancelledRunsWriteNothingAndReleaseTheModel) {
    EXPECT_EQ(plugIn.Execute(nullptr), -1);

    TestModel empty;
    EXPECT_EQ(plugIn.Execute(empty.get()), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "The model is empty, no meshes to export!");
    EXPECT_EQ(ui.messages[0].caption, "Error");
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(devices.created, 0);

    TestModel model;
    model.Octahedron("hull", {0, 0, 0}, 2);
    EXPECT_EQ(plugIn.Execute(model.get()), 0);  // no actions: the window is closed
    EXPECT_EQ(msModel_GetMeshCount(model.get()), 0);
    EXPECT_EQ(devices.created, 1);
    EXPECT_EQ(devices.released, 1);
    EXPECT_TRUE(files.Written().empty());
}

TEST_F(BrasketRun, WritesWhatTheExportComputesForTheChosenOptions) {
    TestModel model, same;
    for (TestModel* m : {&model, &same}) {
        m->Octahedron("hull", {0, 0, 0}, 2);
        m->Octahedron("wing", {5, 0, 0}, 1);
        m->Marker("HpWeapon01", {5, 1, 0});
    }
    const std::string target = dir.File("ship.sur");
    ASSERT_EQ(Export(model.get(), target,
                     {"click 6008", "type 6004 10", "type 6010 2", "type 6011 1", "type 6012 2",
                      "type 6009 350"}),
              0);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(devices.released, 1);

    SettingsWords words{};
    words[settings_word::kIntegerScale] = static_cast<uint32_t>(-1);
    words[settings_word::kFloatScale] = std::bit_cast<uint32_t>(10.0f);
    words[settings_word::kGroupCount] = 2;
    words[settings_word::kQuantity0] = 1;
    words[settings_word::kQuantity0 + 1] = 2;
    SurfaceMessages warnings;
    const Result<std::vector<uint8_t>> want = ExportSurface(
        same.get(), SurfaceOptionsFromWords(words, CollisionKind::ShrinkWrapped, 350, false),
        test::TestDevice(), warnings);
    ASSERT_TRUE(want.Ok()) << want.Reason();
    std::vector<uint8_t> written;
    ASSERT_TRUE(ReadWholeFile(target, written));
    EXPECT_EQ(written, *want);
}

TEST_F(BrasketRun, RefusalsReachThePersonAndNoFileIsWritten) {
    TestModel markers;
    markers.Marker("HpWeapon01", {0, 0, 0});
    EXPECT_EQ(Export(markers.get(), dir.File("markers.sur")), 0);
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_EQ(ui.messages.back().caption, "Error");
    EXPECT_TRUE(files.Written().empty());
    EXPECT_EQ(devices.released, devices.created);

    ui.messages.clear();
    TestModel model;
    model.Octahedron("hull", {0, 0, 0}, 2);
    const std::string nowhere = dir.File("no_such_folder/ship.sur");
    EXPECT_EQ(Export(model.get(), nowhere), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Could not write " + nowhere);
    EXPECT_EQ(ui.messages[0].caption, "File Error");
    EXPECT_FALSE(std::filesystem::exists(nowhere));
}

}  // namespace
}  // namespace kx
