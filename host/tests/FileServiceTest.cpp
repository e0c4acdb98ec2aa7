#include "host/FileService.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "host/HostServices.h"
#include "host/headless/HeadlessUi.h"
#include "host/headless/RecordingFileService.h"
#include "testsupport/TempFiles.h"

namespace kx {
namespace {

TEST(RecordingFileService, RecordsWhatWasWrittenAndNothingElse) {
    test::TempDir temp("recorded");
    const std::filesystem::path dir = temp.path();
    std::filesystem::create_directories(dir / "sub");
    const std::vector<uint8_t> bytes{1, 2, 3};
    RecordingFileService files;
    const std::string out = (dir / "out.cmp").string();
    EXPECT_EQ(files.Write(out, bytes), FileOutcome::Done);
    EXPECT_EQ(files.Write((dir / "sub").string(), bytes), FileOutcome::NotRegularFile);
    EXPECT_EQ(files.Write((dir / "missing/x.cmp").string(), bytes), FileOutcome::Failed);
    std::vector<uint8_t> back;
    EXPECT_EQ(files.Read(out, back), FileOutcome::Done);
    EXPECT_EQ(back, bytes);

    EXPECT_EQ(files.Written(), std::vector<std::string>{out});
    EXPECT_TRUE(files.WasWritten((dir / "sub/../out.cmp").string()));
    EXPECT_TRUE(files.WasWritten((dir / "./out.cmp").string()));
    EXPECT_FALSE(files.WasWritten((dir / "sub").string()));
}

// Counts what it makes and releases.
class CountingDevices : public DeviceService {
  public:
    Device* CreateDevice(Ui&, const std::string& owner) override {
        owners.push_back(owner);
        ++live;
        return new Device;
    }
    void ReleaseDevice(Device* device) override {
        live -= device ? 1 : 0;
        delete device;
    }
    std::vector<std::string> owners;
    int live = 0;
};

TEST(HostServices, DefaultsStandInForServicesNotGiven) {
    HostServices bare;
    EXPECT_EQ(&bare.Files(), &DiskFiles());
    bare.Settings().SetInt("Model", "Clear", 0);
    EXPECT_EQ(HostServices{}.Settings().GetInt("Model", "Clear", 1), 0);
    HeadlessUi ui;
    {
        DeviceLease lease(bare.Devices(), ui, "Kaltrix SUR Export V1.1");
        EXPECT_TRUE(lease);
    }

    CountingDevices devices;
    RecordingFileService files;
    HostServices given{nullptr, &files, nullptr, &devices};
    EXPECT_EQ(&given.Files(), &files);
    {
        DeviceLease lease(given.Devices(), ui, "Kaltrix SUR Export V1.1");
        EXPECT_EQ(devices.live, 1);
    }
    EXPECT_EQ(devices.live, 0);
    EXPECT_EQ(devices.owners, std::vector<std::string>{"Kaltrix SUR Export V1.1"});
    // Each library finds its own name, for its settings file.
    EXPECT_EQ(ThisLibraryBaseName(), "host_tests");
}

// The command line hands the importer its places through the services: a
// place it sets wins over the environment, even when set empty (no mesh
// library), and a place it leaves unset is the environment's.
TEST(HostServices, PlacesSetWinOverTheEnvironment) {
    const char* old = std::getenv("KALTRIX_MESH_LIBRARY");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    ::setenv("KALTRIX_MESH_LIBRARY", "/env/ships.vms", 1);
    HostServices host;
    EXPECT_EQ(host.MeshLibrary(), "/env/ships.vms");
    host.places.meshLibrary = "";
    EXPECT_EQ(host.MeshLibrary(), "");
    host.places.meshLibrary = "/given/ships.vms";
    EXPECT_EQ(host.MeshLibrary(), "/given/ships.vms");
    host.places.searchTop = "/top";
    EXPECT_EQ(host.SearchTop(), "/top");
    host.places.gameFolder = "/game";
    EXPECT_EQ(host.GameFolder(), "/game");
    saved ? ::setenv("KALTRIX_MESH_LIBRARY", saved->c_str(), 1)
          : ::unsetenv("KALTRIX_MESH_LIBRARY");
}

}  // namespace
}  // namespace kx
