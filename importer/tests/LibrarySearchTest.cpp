// The material search with its worker threads over real folders: every
// referenced material made exactly once however the searches interleave,
// where the three searches look, how fast Stop ends them, and the files
// kept for a level change.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>

#include "container/NameHash.h"
#include "host/FileService.h"
#include "host/headless/HeadlessModel.h"
#include "host/headless/HeadlessUi.h"
#include "importer/LibrarySearch.h"
#include "importer/MeshArrays.h"
#include "importer/NodeIndex.h"
#include "importer/tests/ImportFiles.h"
#include "importer/tests/MaterialFiles.h"
#include "testsupport/TempFiles.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace kx::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string Mat(int i) {
    return "Mat" + std::to_string(i);
}

// A material file defining materials first..last (each with a texture it
// carries), and a .3db that is a container without a material library.
std::vector<uint8_t> Library(int first, int last) {
    std::vector<HandNode> materials, textures;
    for (int i = first; i <= last; ++i) {
        const std::string texture = "t" + std::to_string(i) + ".dds";
        materials.push_back(Folder(
            Mat(i), {Leaf("Dc", Colour(0.5f, 0.5f, 0.5f, 1)), Leaf("Dt_name", Str(texture))}));
        textures.push_back(Folder(texture, {Leaf("MIPS", Str("DDS " + texture))}));
    }
    return FileOf(Folder("\\", {Folder("Material library", std::move(materials)),
                                TextureLibrary(std::move(textures))}));
}
std::vector<uint8_t> NoLibrary() {
    return FileOf(Folder("\\", {Folder("Other", {Leaf("x", Str("y"))})}));
}

// Plainly written: hundreds of files need no safe replacement.
void Put(const fs::path& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

// The dialog's side: a window that records what the workers post, the
// model, the entries to find and the shared flag and lock.
class Dialog : public Window {
  public:
    explicit Dialog(const std::vector<std::string>& referenced) : Window(ui, "dialog") {
        for (const std::string& name : referenced) {
            arrays.MaterialFor(NameHash(name));
        }
        job.model = model;
        job.arrays = &arrays;
        job.dialog = this;
        job.stop = &stop;
        job.lock = &lock;
    }
    ~Dialog() override { kxModel_Free(model); }

    std::vector<std::string> HostNames() {
        std::vector<std::string> names;
        for (int i = 0; i < msModel_GetMaterialCount(model); ++i) {
            char text[64];
            msMaterial_GetName(msModel_GetMaterialAt(model, i), text, sizeof text);
            names.push_back(text);
        }
        return names;
    }

    HeadlessUi ui;
    msModel* model = kxModel_Create();
    MeshArrays arrays;
    std::atomic<bool> stop{false};
    std::mutex lock;
    MaterialSearchJob job;
    std::vector<PostedMessage> posted;

  protected:
    void OnPosted(const PostedMessage& message) override { posted.push_back(message); }
};

// Permissions do not stop the superuser from listing a folder.
bool Superuser() {
#if defined(_WIN32)
    return false;
#else
    return ::geteuid() == 0;
#endif
}

size_t IndexOf(const std::vector<std::string>& list, const std::string& item) {
    return static_cast<size_t>(std::find(list.begin(), list.end(), item) - list.begin());
}

// A few hundred files in nested folders, six material files defining
// overlapping runs of Mat0..Mat29, a link back up the tree and a folder
// nobody may list.
class SearchTree : public ::testing::Test {
  protected:
    SearchTree() {
        const fs::path root = dir.path();
        model = root / "mods" / "data" / "ships" / "a" / "a.cmp";
        game = root / "game";
        Put(model, NoLibrary());
        for (int f = 0; f < 12; ++f) {
            for (int n = 0; n < 25; ++n) {
                const fs::path folder =
                    root / "mods" / ("f" + std::to_string(f)) / ("g" + std::to_string(n % 3));
                Put(folder / ("junk" + std::to_string(n) + (n % 5 == 0 ? ".3db" : ".txt")),
                    n % 10 == 0 ? NoLibrary() : std::vector<uint8_t>{'n', 'o'});
            }
        }
        Put(root / "mods" / "f3" / "g1" / "one.mat", Library(0, 9));
        Put(root / "mods" / "f7" / "two.mat", Library(5, 14));
        Put(root / "mods" / "data" / "three.txm", Library(10, 19));
        Put(root / "mods" / "data" / "ships" / "a" / "a.mat", Library(15, 22));
        Put(game / "data" / "ships" / "four.mat", Library(20, 29));
        Put(root / "mods" / "f9" / "notes.material.txt", Library(0, 29));
        fs::create_directory_symlink(root / "mods", root / "mods" / "f2" / "loop");
        Put(root / "mods" / "f5" / "locked" / "five.mat", Library(0, 29));
        fs::permissions(root / "mods" / "f5" / "locked", fs::perms::none);
    }
    ~SearchTree() override {
        fs::permissions(fs::path(dir.path()) / "mods" / "f5" / "locked", fs::perms::owner_all);
    }

    std::vector<std::string> Referenced() const {
        std::vector<std::string> names;
        for (int i = 0; i < 30; ++i) {
            names.push_back(Mat(i));
        }
        return names;
    }
    // Starts the three searches, as the dialog does.
    void Start(LibrarySearch& search, Dialog& d, const NodeIndex& modelIndex) {
        d.job.modelPath = model.string();
        d.job.gameFolder = game.string();
        d.job.textureFolder = textures.path();
        d.job.searchTop = dir.path();
        d.job.modelIndex = &modelIndex;
        search.Start(d.job);
    }

    TempDir dir{"library-search"};
    TempDir textures{"library-search-textures"};
    fs::path model, game;
};

TEST_F(SearchTree, EveryMaterialIsMadeOnceHoweverTheSearchesInterleave) {
    std::vector<uint8_t> image = NoLibrary();
    const NodeIndex modelIndex = NodeIndex::Build(image).Value();
    for (int run = 0; run < 8; ++run) {
        Dialog d(Referenced());
        LibrarySearch search;
        const auto began = Clock::now();
        Start(search, d, modelIndex);
        // The person picks a file while the workers run.
        EXPECT_TRUE(
            search.LoadLibrary((fs::path(dir.path()) / "mods" / "f7" / "two.mat").string(), d.job)
                .Ok());
        d.WaitForWorkers();
        search.Stop();
        EXPECT_LT(Clock::now() - began, std::chrono::seconds(20));

        std::vector<std::string> names = d.HostNames();
        std::sort(names.begin(), names.end());
        std::vector<std::string> expected = Referenced();
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(names, expected) << "run " << run;
        std::set<int> hosts;
        for (const CMPMaterial& entry : d.arrays.materials) {
            EXPECT_TRUE(entry.matched);
            hosts.insert(entry.hostMaterial);
            EXPECT_EQ(entry.texture, "t" + entry.name.substr(3) + ".dds");
        }
        EXPECT_EQ(hosts.size(), 30u);
        EXPECT_EQ(search.Found(), 30);
        EXPECT_TRUE(search.Finished());
        EXPECT_TRUE(d.stop);
        EXPECT_TRUE(search.TakeExtractOff());
        EXPECT_FALSE(search.TakeExtractOff());
        // The file that completed the set is one of the libraries.
        EXPECT_NE(search.CurrentMaterialFile(), model.string());
        EXPECT_GE(search.KeptFiles(), 1u);
        EXPECT_TRUE(fs::exists(fs::path(textures.path()) / "t29.dds"));
    }
}

// Which thread looked at which file, in its order: the first read of each
// load is the short look at the file's start.
class RecordingFiles : public DiskFileService {
  public:
    FileOutcome Read(const std::string& path, std::vector<uint8_t>& out, size_t limit) override {
        if (limit == 4) {
            std::lock_guard held(lock_);
            byThread_[std::this_thread::get_id()].push_back(path);
        }
        return DiskFileService::Read(path, out, limit);
    }
    // Each thread's loads, the threads in the order of their first load.
    std::vector<std::vector<std::string>> Sequences() const {
        std::lock_guard held(lock_);
        std::vector<std::vector<std::string>> out;
        for (const auto& [id, paths] : byThread_) {
            out.push_back(paths);
        }
        return out;
    }

  private:
    mutable std::mutex lock_;
    std::map<std::thread::id, std::vector<std::string>> byThread_;
};

TEST_F(SearchTree, LooksBesideTheModelAboveItAndUnderTheGamesDataFolder) {
    const fs::path root = dir.path();
    std::vector<uint8_t> image = NoLibrary();
    const NodeIndex modelIndex = NodeIndex::Build(image).Value();
    // One material nobody defines keeps every search going to its end.
    std::vector<std::string> referenced = Referenced();
    referenced.push_back("Nowhere");
    Dialog d(referenced);
    RecordingFiles files;
    d.job.files = &files;
    LibrarySearch search;
    Start(search, d, modelIndex);
    d.WaitForWorkers();
    search.Stop();

    const std::string beside = (root / "mods" / "data" / "ships" / "a" / "a.mat").string();
    const std::string three = (root / "mods" / "data" / "three.txm").string();
    const std::string one = (root / "mods" / "f3" / "g1" / "one.mat").string();
    const std::string four = (game / "data" / "ships" / "four.mat").string();
    const std::string locked = (root / "mods" / "f5" / "locked" / "five.mat").string();
    std::vector<std::vector<std::string>> sequences = files.Sequences();
    ASSERT_EQ(sequences.size(), 3u);
    std::sort(sequences.begin(), sequences.end(),
              [](const auto& a, const auto& b) { return a.size() < b.size(); });
    // The file beside the model, alone.
    EXPECT_EQ(sequences[0], std::vector<std::string>{beside});
    // The two climbs each load every file once (the loop is not followed):
    // one from the model's folder up, one from the game's data folder's
    // ships folder (its a folder and a.cmp do not exist) up.
    std::vector<std::string>* fromModel = &sequences[1];
    std::vector<std::string>* fromGame = &sequences[2];
    if (fromModel->front() != beside) {
        std::swap(fromModel, fromGame);
    }
    ASSERT_GE(fromModel->size(), 3u);
    EXPECT_EQ((*fromModel)[0], beside);
    EXPECT_EQ((*fromModel)[1], three);
    EXPECT_EQ(fromGame->front(), four);
    for (const auto* sequence : {fromModel, fromGame}) {
        for (const std::string& path : {beside, three, one, four}) {
            EXPECT_EQ(std::count(sequence->begin(), sequence->end(), path), 1) << path;
        }
        EXPECT_LT(IndexOf(*sequence, three), IndexOf(*sequence, one));
        EXPECT_EQ(IndexOf(*sequence, (game / "data" / "ships" / "a" / "a.cmp").string()),
                  sequence->size());
        if (!Superuser()) {
            EXPECT_EQ(IndexOf(*sequence, locked), sequence->size());
        }
    }
    EXPECT_EQ(fromModel->size(), fromGame->size());
    EXPECT_EQ(d.HostNames().size(), 30u);
    EXPECT_FALSE(search.Finished());
    EXPECT_FALSE(search.TakeExtractOff());
}

TEST_F(SearchTree, AModelInsideTheGameFolderIsNotSearchedForTwice) {
    std::vector<uint8_t> image = NoLibrary();
    const NodeIndex modelIndex = NodeIndex::Build(image).Value();
    std::vector<std::string> referenced = Referenced();
    referenced.push_back("Nowhere");
    Dialog d(referenced);
    RecordingFiles files;
    d.job.files = &files;
    LibrarySearch search;
    game = fs::path(dir.path()) / "mods";
    // The model's path is compared with the game folder in lower case.
    const std::string folder = game.string();
    if (std::any_of(folder.begin(), folder.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) {
        GTEST_SKIP() << "the temporary folder's name has capitals";
    }
    Start(search, d, modelIndex);
    d.WaitForWorkers();
    search.Stop();
    // The file beside the model and the climb from its folder only.
    EXPECT_EQ(files.Sequences().size(), 2u);
}

// Counts reads; the test waits on it to stop a search in mid-run.
// Reads past the 20th wait for the stop flag, so on a loaded machine the
// search cannot run to its end before the test has stopped it.
class CountingFiles : public DiskFileService {
  public:
    FileOutcome Read(const std::string& path, std::vector<uint8_t>& out, size_t limit) override {
        if (++reads > 20 && stop != nullptr) {
            const auto giveUp = Clock::now() + std::chrono::seconds(20);
            while (!*stop && Clock::now() < giveUp) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        return DiskFileService::Read(path, out, limit);
    }
    std::atomic<int> reads{0};
    const std::atomic<bool>* stop = nullptr;
};

TEST(LibrarySearch, StopEndsARunningSearchPromptly) {
    TempDir dir("library-search-stop");
    const fs::path root = dir.path();
    const std::vector<uint8_t> other = NoLibrary();
    for (int i = 0; i < 600; ++i) {
        Put(root / ("d" + std::to_string(i % 30)) / ("x" + std::to_string(i) + ".3db"), other);
    }
    std::vector<uint8_t> image = NoLibrary();
    const NodeIndex modelIndex = NodeIndex::Build(image).Value();
    Dialog d({"Missing"});
    CountingFiles files;
    files.stop = &d.stop;
    LibrarySearch search;
    d.job.modelPath = (root / "m.cmp").string();
    d.job.searchTop = root.string();
    d.job.modelIndex = &modelIndex;
    d.job.files = &files;
    search.Start(d.job);
    const auto waitUntil = Clock::now() + std::chrono::seconds(20);
    while (files.reads < 20 && Clock::now() < waitUntil) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto stopping = Clock::now();
    search.Stop();
    const int readsAtStop = files.reads;
    EXPECT_LT(Clock::now() - stopping, std::chrono::seconds(1));
    EXPECT_TRUE(d.stop);
    EXPECT_LT(readsAtStop, 1200);  // the listing ended before its end
    d.HandlePosted();
    EXPECT_EQ(files.reads, readsAtStop);
}

TEST(LibrarySearch, TheModelsOwnLibraryIsReadOnTheCallersThread) {
    std::vector<uint8_t> image = Library(1, 2);
    const NodeIndex index = NodeIndex::Build(image).Value();
    Dialog d({Mat(1), Mat(2)});
    TempDir textures("library-search-own");
    LibrarySearch search;
    d.job.modelPath = "ship.cmp";
    d.job.textureFolder = textures.path();
    d.job.modelIndex = &index;
    search.Start(d.job);
    // Complete at once: no worker, the caption shows the model file.
    EXPECT_TRUE(search.Finished());
    EXPECT_EQ(d.HostNames(), std::vector<std::string>({"Mat1", "Mat2"}));
    d.WaitForWorkers();
    std::vector<PostedMessage> expected = {{kPostStatusText, 0, 0, "Textures: 2/2"},
                                           {kPostMaterialCaption, 0, 0, "ship.cmp"},
                                           {kPostAutoLoadCheck, 0, 0, ""}};
    EXPECT_EQ(d.posted, expected);
    EXPECT_EQ(search.KeptFiles(), 0u);  // the model file is the dialog's
}

TEST(LibrarySearch, NothingReferencedIsFoundAtOnce) {
    Dialog d({});
    LibrarySearch search;
    d.job.modelPath = "/nowhere/ship.cmp";
    search.Start(d.job);
    EXPECT_TRUE(search.Finished());
    d.WaitForWorkers();
    ASSERT_EQ(d.posted.size(), 1u);
    EXPECT_EQ(d.posted[0].id, kPostAutoLoadCheck);
}

TEST(LibrarySearch, KeptFilesAreImportedAgainWhenExtractIsOff) {
    TempDir dir("library-search-kept");
    const fs::path root = dir.path();
    Put(root / "x.mat", Library(1, 1));
    Put(root / "y.mat", Library(2, 2));
    Put(root / "z.mat", Library(7, 7));  // adds nothing: not kept
    Dialog d({Mat(1), Mat(2), Mat(3)});
    LibrarySearch search;
    d.job.modelPath = (root / "m.cmp").string();
    d.job.textureFolder = dir.File("tex");
    for (const char* name : {"x.mat", "z.mat", "y.mat", "x.mat"}) {
        EXPECT_FALSE(search.LoadMaterialFile(dir.File(name), d.job));
    }
    EXPECT_EQ(search.KeptFiles(), 2u);
    EXPECT_EQ(d.HostNames(), std::vector<std::string>({"Mat1", "Mat2"}));

    // A level change: new entries, the same kept files, nothing searched.
    d.arrays.Clear();
    for (int i : {2, 1, 3}) {
        d.arrays.MaterialFor(NameHash(Mat(i)));
    }
    d.job.extract = false;
    search.Start(d.job);
    EXPECT_EQ(d.HostNames(), std::vector<std::string>({"Mat1", "Mat2", "Mat1", "Mat2"}));
    EXPECT_EQ(search.Found(), 2);
    EXPECT_FALSE(search.Finished());

    // A new model lets them go.
    search.Reset();
    EXPECT_EQ(search.KeptFiles(), 0u);
    EXPECT_EQ(search.CurrentMaterialFile(), "");
}

TEST(LibrarySearch, OnlyContainerFilesAreReadWhole) {
    TempDir dir("library-search-magic");
    Put(fs::path(dir.path()) / "big.mat", std::vector<uint8_t>(1 << 20, 'x'));
    Dialog d({Mat(1)});
    CountingFiles files;
    d.job.files = &files;
    LibrarySearch search;
    EXPECT_FALSE(search.LoadMaterialFile(dir.File("big.mat"), d.job));
    EXPECT_EQ(files.reads, 1);
    EXPECT_FALSE(search.LoadMaterialFile(dir.File("missing.mat"), d.job));
    EXPECT_EQ(d.HostNames().size(), 0u);
}

}  // namespace
}  // namespace kx::test
