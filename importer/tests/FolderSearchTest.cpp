// The folder search on real folders: what it loads and in which order, the
// links and folders it keeps away from, how it ends, and how far it climbs.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "host/FileService.h"
#include "importer/FolderSearch.h"
#include "testsupport/TempFiles.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace kx::test {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
}

// Records what a search asks for; `stopAfter` loads set stop.
struct Recorder {
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    std::vector<std::string> loaded;
    int listings = 0;
    size_t stopAfter = 0;

    FolderSearchHooks Hooks() {
        FolderSearchHooks hooks;
        hooks.stop = &stop;
        hooks.finished = &finished;
        hooks.loadFile = [this](const std::string& path) {
            loaded.push_back(path);
            if (stopAfter && loaded.size() >= stopAfter) {
                stop = true;
            }
            return false;
        };
        hooks.listingEnded = [this] { ++listings; };
        return hooks;
    }
    // The loaded paths relative to `root`, with '/' between names.
    std::vector<std::string> Relative(const fs::path& root) const {
        std::vector<std::string> out;
        for (const std::string& p : loaded) {
            out.push_back(fs::path(p).lexically_relative(root).generic_string());
        }
        return out;
    }
};

TEST(FolderSearch, NamesThatLookLikeMaterialFiles) {
    for (const char* name : {"ship.mat", "notes.material.txt", "a.txm", "hull.3db", "x.MAT.mat"}) {
        EXPECT_TRUE(IsMaterialFileName(name)) << name;
    }
    for (const char* name : {"ship.MAT", "mat", "ship.cmp", "a.3DB", "readme.txt", ""}) {
        EXPECT_FALSE(IsMaterialFileName(name)) << name;
    }
}

TEST(FolderSearch, GoesDepthFirstInNameOrderAndEveryListingEnds) {
    TempDir dir("folder-search-order");
    const fs::path root = dir.path();
    Touch(root / "b.mat");
    Touch(root / "a" / "z.txm");
    Touch(root / "a" / "deep" / "y.3db");
    Touch(root / "a" / "deep" / "skip.txt");
    Touch(root / "c.mat" / "inner.mat");  // a folder named like a file: searched, then tried
    Touch(root / "notes.material.txt");
    Touch(root / "model.cmp");

    Recorder r;
    SearchFolder(DiskFiles(), root.string(), r.Hooks());
    EXPECT_EQ(r.Relative(root),
              std::vector<std::string>({"a/deep/y.3db", "a/z.txm", "b.mat", "c.mat/inner.mat",
                                        "c.mat", "notes.material.txt"}));
    EXPECT_EQ(r.listings, 4);  // root, a, a/deep, c.mat
}

TEST(FolderSearch, NothingToListStillEndsItsListing) {
    TempDir dir("folder-search-none");
    Recorder r;
    SearchFolder(DiskFiles(), dir.File("missing"), r.Hooks());
    Touch(dir.File("file.mat"));
    SearchFolder(DiskFiles(), dir.File("file.mat"), r.Hooks());
    EXPECT_TRUE(r.loaded.empty());
    EXPECT_EQ(r.listings, 2);
}

#if !defined(_WIN32)
TEST(FolderSearch, FollowsNoLinkToAFolderAndSkipsWhatItCannotList) {
    TempDir dir("folder-search-links");
    const fs::path root = dir.path();
    Touch(root / "tree" / "a" / "one.mat");
    Touch(root / "elsewhere" / "far.mat");
    fs::create_directory_symlink(root / "tree", root / "tree" / "a" / "loop");
    fs::create_directory_symlink(root / "elsewhere", root / "tree" / "out");
    fs::create_symlink(root / "elsewhere" / "far.mat", root / "tree" / "linked.mat");
    Touch(root / "tree" / "locked" / "hidden.mat");
    fs::permissions(root / "tree" / "locked", fs::perms::none);

    Recorder r;
    SearchFolder(DiskFiles(), (root / "tree").string(), r.Hooks());
    fs::permissions(root / "tree" / "locked", fs::perms::owner_all);

    std::vector<std::string> expected = {"a/one.mat", "linked.mat"};
    if (::geteuid() == 0) {
        // Permissions do not stop the superuser; the folder is then listed.
        expected.insert(expected.begin() + 2, "locked/hidden.mat");
    }
    EXPECT_EQ(r.Relative(root / "tree"), expected);
}
#endif

TEST(FolderSearch, StopOrFinishedEndsEveryListingAfterItsEntry) {
    TempDir dir("folder-search-stop");
    const fs::path root = dir.path();
    for (int i = 0; i < 5; ++i) {
        Touch(root / "sub" / ("m" + std::to_string(i) + ".mat"));
        Touch(root / ("n" + std::to_string(i) + ".mat"));
    }
    Recorder r;
    r.stopAfter = 2;
    SearchFolder(DiskFiles(), root.string(), r.Hooks());
    EXPECT_EQ(r.Relative(root), std::vector<std::string>({"n0.mat", "n1.mat"}));
    EXPECT_EQ(r.listings, 1);

    Recorder f;
    f.finished = true;
    SearchFolder(DiskFiles(), root.string(), f.Hooks());
    SearchUpward(DiskFiles(), root.string(), f.Hooks());
    EXPECT_TRUE(f.loaded.empty());
}

TEST(FolderSearch, ClimbsToItsTopAndListsNoFolderTwice) {
    TempDir dir("folder-search-up");
    const fs::path top = fs::path(dir.path()) / "top";
    Touch(fs::path(dir.path()) / "above.mat");
    Touch(top / "t.mat");
    Touch(top / "mid" / "m.mat");
    Touch(top / "mid" / "side" / "s.mat");
    Touch(top / "mid" / "start" / "here.mat");

    Recorder r;
    SearchUpward(DiskFiles(), (top / "mid" / "start").string(), r.Hooks(), top.string() + "/");
    EXPECT_EQ(r.Relative(top), std::vector<std::string>(
                                   {"mid/start/here.mat", "mid/m.mat", "mid/side/s.mat", "t.mat"}));
    // start, mid and side, top.
    EXPECT_EQ(r.listings, 4);

    // A start outside the top is searched alone.
    Recorder outside;
    SearchUpward(DiskFiles(), (top / "mid").string(), outside.Hooks(),
                 (top / "mid" / "side").string());
    EXPECT_EQ(outside.Relative(top),
              std::vector<std::string>({"mid/m.mat", "mid/side/s.mat", "mid/start/here.mat"}));
}

TEST(FolderSearch, AFileToStartFromListsNothingAndTheClimbGoesOn) {
    TempDir dir("folder-search-file");
    const fs::path data = fs::path(dir.path()) / "data";
    Touch(data / "ships" / "a" / "a.mat");
    Touch(data / "shared.mat");
    Recorder r;
    SearchUpward(DiskFiles(), (data / "ships" / "a" / "a.cmp").string(), r.Hooks(), data.string());
    EXPECT_EQ(r.Relative(data), std::vector<std::string>({"ships/a/a.mat", "shared.mat"}));
    EXPECT_EQ(r.listings, 4);  // the file, a, ships, data
}

TEST(FolderSearch, TheClimbEndsWhenTheSetIsComplete) {
    TempDir dir("folder-search-done");
    const fs::path root = dir.path();
    Touch(root / "a" / "b" / "x.mat");
    Touch(root / "a" / "y.mat");
    Recorder r;
    FolderSearchHooks hooks = r.Hooks();
    hooks.loadFile = [&r](const std::string& path) {
        r.loaded.push_back(path);
        r.finished = true;
        return true;
    };
    SearchUpward(DiskFiles(), (root / "a" / "b").string(), hooks, root.string());
    EXPECT_EQ(r.Relative(root), std::vector<std::string>({"a/b/x.mat"}));
}

}  // namespace
}  // namespace kx::test
