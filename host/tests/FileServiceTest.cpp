#include "host/FileService.h"

#include <gtest/gtest.h>

#include <algorithm>
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

std::vector<uint8_t> Held(const std::string& path) {
    std::vector<uint8_t> out;
    EXPECT_EQ(DiskFiles().Read(path, out), FileOutcome::Done) << path;
    return out;
}

// Textures are made this way: never over anything already at the path, and
// never through a link, dangling or not.
TEST(DiskFileService, CreateNewRefusesAnythingAlreadyThereAndLeavesItAlone) {
    test::TempDir dir("create-new");
    FileService& files = DiskFiles();
    const std::vector<uint8_t> first{1, 2, 3}, second{9, 9};
    const std::string path = dir.File("a.dds");
    EXPECT_EQ(files.CreateNew(path, first), CreateOutcome::Done);
    EXPECT_EQ(Held(path), first);
    EXPECT_EQ(files.CreateNew(path, second), CreateOutcome::Exists);
    EXPECT_EQ(Held(path), first);

    const std::string folder = dir.File("sub");
    ASSERT_TRUE(files.MakeFolder(folder));
    EXPECT_EQ(files.CreateNew(folder, second), CreateOutcome::Exists);
    EXPECT_TRUE(files.IsFolder(folder));

    const std::string link = dir.File("link.dds");
    std::filesystem::create_symlink(path, link);
    EXPECT_EQ(files.CreateNew(link, second), CreateOutcome::Exists);
    EXPECT_EQ(Held(path), first);
    // A dangling link is not written through: nothing appears where it leads.
    const std::string dangling = dir.File("dangling.dds");
    std::filesystem::create_symlink(dir.File("nowhere.dds"), dangling);
    EXPECT_EQ(files.CreateNew(dangling, second), CreateOutcome::Failed);
    EXPECT_FALSE(files.Exists(dir.File("nowhere.dds")));

    EXPECT_EQ(files.CreateNew(dir.File("missing/b.dds"), second), CreateOutcome::Failed);
    const std::string empty = dir.File("empty.tga");
    EXPECT_EQ(files.CreateNew(empty, {}), CreateOutcome::Done);
    EXPECT_EQ(files.FileSize(empty), 0u);
}

TEST(DiskFileService, FoldersAreMadeOneAtATimeAndListedAsTheyAre) {
    test::TempDir dir("folders");
    FileService& files = DiskFiles();
    EXPECT_FALSE(files.MakeFolder(dir.File("a/b")));  // its parent is not there
    EXPECT_TRUE(files.MakeFolder(dir.File("a")));
    EXPECT_FALSE(files.MakeFolder(dir.File("a")));  // already there
    EXPECT_TRUE(files.MakeFolder(dir.File("a/b")));
    EXPECT_TRUE(files.IsFolder(dir.File("a/b")));
    ASSERT_EQ(files.CreateNew(dir.File("a/x.mat"), std::vector<uint8_t>{7}), CreateOutcome::Done);
    std::filesystem::create_directory_symlink(dir.File("a/b"), dir.File("a/link"));

    std::vector<FolderEntry> entries = files.ListFolder(dir.File("a"));
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& l, const FolderEntry& r) { return l.name < r.name; });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "b");
    EXPECT_EQ(entries[0].path, dir.File("a/b"));
    EXPECT_TRUE(entries[0].folder);
    EXPECT_EQ(entries[1].name, "link");
    EXPECT_FALSE(entries[1].folder);  // a link to a folder is no folder of its own
    EXPECT_TRUE(files.IsFolder(entries[1].path));
    EXPECT_EQ(entries[2].name, "x.mat");
    EXPECT_FALSE(entries[2].folder);
    EXPECT_TRUE(files.ListFolder(dir.File("missing")).empty());
    EXPECT_TRUE(files.ListFolder(dir.File("a/x.mat")).empty());

    // One identity however the folder is reached; the link itself has
    // another, and nothing there has none.
    const auto real = files.Identity(dir.File("a/b"), true);
    ASSERT_TRUE(real);
    EXPECT_EQ(files.Identity(dir.File("a/link"), true), real);
    EXPECT_EQ(files.Identity(dir.File("a/./b"), false), real);
    EXPECT_NE(files.Identity(dir.File("a/link"), false), real);
    EXPECT_FALSE(files.Identity(dir.File("missing"), true));
}

TEST(DiskFileService, ExistsSizeAndRemove) {
    test::TempDir dir("exists");
    FileService& files = DiskFiles();
    const std::string path = dir.File("f.ces");
    EXPECT_FALSE(files.Exists(path));
    EXPECT_FALSE(files.FileSize(path));
    ASSERT_EQ(files.Write(path, std::vector<uint8_t>{1, 2, 3, 4}), FileOutcome::Done);
    EXPECT_TRUE(files.Exists(path));
    EXPECT_EQ(files.FileSize(path), 4u);
    EXPECT_FALSE(files.FileSize(dir.path()));  // a folder has no file size
    EXPECT_TRUE(files.Remove(path));
    EXPECT_FALSE(files.Exists(path));
    EXPECT_FALSE(files.Remove(path));
    EXPECT_EQ(files.AbsolutePath(path), path);
    const std::string temp = files.TempPath("block.vms");
    EXPECT_FALSE(files.Exists(temp));
    EXPECT_EQ(std::filesystem::path(temp).extension(), ".vms");
}

TEST(RecordingFileService, RecordsFilesMadeNewOnlyWhenMade) {
    test::TempDir dir("recorded-new");
    RecordingFileService files;
    const std::string path = dir.File("t.dds");
    EXPECT_EQ(files.CreateNew(path, std::vector<uint8_t>{1}), CreateOutcome::Done);
    EXPECT_EQ(files.CreateNew(path, std::vector<uint8_t>{2}), CreateOutcome::Exists);
    EXPECT_EQ(files.CreateNew(dir.File("missing/t.dds"), {}), CreateOutcome::Failed);
    EXPECT_EQ(files.Written(), std::vector<std::string>{path});
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
