#include "host/FileIo.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "testsupport/TempFiles.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

// Every test makes its folders, pipes and links in a folder of its own and
// never touches a real device.
class Scratch : public test::TempDir {
  public:
    Scratch() : TempDir("fileio") {}
    std::string operator/(const std::string& name) const { return File(name); }
    // Every name in the folder, to see that no temporary file was left.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

std::vector<uint8_t> Bytes(std::string_view text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> Read(const std::string& path) {
    std::vector<uint8_t> out;
    EXPECT_EQ(ReadFileBytes(path, out), FileOutcome::Done) << path;
    return out;
}

TEST(FileIo, ReadsWholeFilesAndTheirStart) {
    Scratch dir;
    ASSERT_EQ(WriteFileBytes(dir / "a.bin", Bytes("0123456789")), FileOutcome::Done);
    EXPECT_EQ(Read(dir / "a.bin"), Bytes("0123456789"));
    std::vector<uint8_t> head{9, 9};
    EXPECT_EQ(ReadFileBytes(dir / "a.bin", head, 4), FileOutcome::Done);
    EXPECT_EQ(head, Bytes("0123"));
    ASSERT_EQ(WriteFileBytes(dir / "empty", {}), FileOutcome::Done);
    EXPECT_EQ(Read(dir / "empty"), std::vector<uint8_t>{});
    EXPECT_EQ(ReadFileBytes(dir / "missing", head), FileOutcome::NotFound);
    EXPECT_TRUE(head.empty());
    EXPECT_FALSE(ReadWholeFile(dir / "missing/below", head));
}

TEST(FileIo, RefusesToReadAnythingButARegularFile) {
    Scratch dir;
    fs::create_directories(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    std::vector<uint8_t> out{1};
    // A folder is not sized (its "size" would be a huge allocation) and a
    // pipe with no writer is not waited on.
    EXPECT_EQ(ReadFileBytes(dir / "folder", out), FileOutcome::NotRegularFile);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(ReadFileBytes(dir / "pipe", out), FileOutcome::NotRegularFile);
    // A link is read through to what it names.
    fs::create_symlink(dir / "folder", dir / "to-folder");
    EXPECT_EQ(ReadFileBytes(dir / "to-folder", out), FileOutcome::NotRegularFile);
    EXPECT_EQ(NotRegularFileMessage("x/pipe"), "x/pipe is not a regular file");
}

TEST(FileIo, RefusesToReplaceAnythingButARegularFile) {
    Scratch dir;
    fs::create_directories(dir / "folder/inside");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    fs::create_symlink("pipe", dir / "to-pipe");
    for (const char* name : {"folder", "pipe", "to-pipe"}) {
        EXPECT_EQ(WriteFileBytes(dir / name, Bytes("data")), FileOutcome::NotRegularFile) << name;
    }
    EXPECT_TRUE(fs::is_directory(dir / "folder/inside"));
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(dir / "pipe")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "to-pipe")));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"folder", "pipe", "to-pipe"}));
}

TEST(FileIo, WritesThroughSymbolicLinks) {
    Scratch dir;
    fs::create_directories(dir / "real");
    ASSERT_EQ(WriteFileBytes(dir / "real/out.cmp", Bytes("old")), FileOutcome::Done);
    fs::create_symlink("real/out.cmp", dir / "relative.cmp");
    fs::create_symlink(dir / "relative.cmp", dir / "chain.CMP");
    ASSERT_EQ(WriteFileBytes(dir / "chain.CMP", Bytes("new")), FileOutcome::Done);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "chain.CMP")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / "relative.cmp")));
    EXPECT_EQ(Read(dir / "real/out.cmp"), Bytes("new"));
    // A link to nothing yet: the file it names is made.
    fs::create_symlink("real/later.cmp", dir / "dangling.cmp");
    ASSERT_EQ(WriteFileBytes(dir / "dangling.cmp", Bytes("made")), FileOutcome::Done);
    EXPECT_EQ(Read(dir / "real/later.cmp"), Bytes("made"));
    // A loop of links is no file at all.
    fs::create_symlink("loop-b.cmp", dir / "loop-a.cmp");
    fs::create_symlink("loop-a.cmp", dir / "loop-b.cmp");
    EXPECT_EQ(WriteFileBytes(dir / "loop-a.cmp", Bytes("x")), FileOutcome::Failed);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"chain.CMP", "dangling.cmp", "loop-a.cmp",
                                                     "loop-b.cmp", "real", "relative.cmp"}));
}

// A slip or a planted link must not replace an unrelated file: a link is
// written through only to a file with its own extension.
TEST(FileIo, RefusesLinksToFilesOfAnotherKind) {
    Scratch dir;
    ASSERT_EQ(WriteFileBytes(dir / "notes.txt", Bytes("keep")), FileOutcome::Done);
    fs::create_symlink(dir / "notes.txt", dir / "ship.cmp");
    fs::create_symlink("notes.txt", dir / "plain");
    fs::create_symlink("ship.cmp", dir / "chain.cmp");  // ends at notes.txt too
    fs::create_symlink("missing/authorized_keys", dir / "planted.png");
    for (const char* name : {"ship.cmp", "plain", "chain.cmp", "planted.png"}) {
        EXPECT_EQ(CheckWriteTarget(dir / name), FileOutcome::NotRegularFile) << name;
        EXPECT_EQ(WriteFileBytes(dir / name, Bytes("model")), FileOutcome::NotRegularFile) << name;
        EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir / name))) << name;
    }
    EXPECT_EQ(Read(dir / "notes.txt"), Bytes("keep"));
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"chain.cmp", "notes.txt", "plain",
                                                     "planted.png", "ship.cmp"}));
    EXPECT_EQ(NotRegularFileMessage(dir / "chain.cmp"),
              (dir / "chain.cmp") + " is a symbolic link to " + (dir / "notes.txt") +
                  ", not to a .cmp file; neither was changed");
    EXPECT_EQ(NotRegularFileMessage(dir / "plain"),
              (dir / "plain") + " is a symbolic link to " + (dir / "notes.txt") +
                  ", not to a file of its own kind; neither was changed");
    // What may be written is told the same way.
    EXPECT_EQ(CheckWriteTarget(dir / "notes.txt"), FileOutcome::Done);
    EXPECT_EQ(CheckWriteTarget(dir / "new.cmp"), FileOutcome::Done);
}

TEST(FileIo, AReplacedFileKeepsItsPermissionBits) {
    Scratch dir;
    const std::string path = dir / "shared.cmp";
    ASSERT_EQ(WriteFileBytes(path, Bytes("one")), FileOutcome::Done);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                              fs::perms::others_read | fs::perms::group_write);
    const fs::perms before = fs::status(path).permissions();
    ASSERT_EQ(WriteFileBytes(path, Bytes("two")), FileOutcome::Done);
    EXPECT_EQ(fs::status(path).permissions(), before);
    EXPECT_EQ(Read(path), Bytes("two"));
}

TEST(FileIo, AFailedWriteLeavesNothingBehind) {
    Scratch dir;
    EXPECT_EQ(WriteFileBytes(dir / "missing/out.cmp", Bytes("x")), FileOutcome::Failed);
    EXPECT_EQ(WriteFileBytes("", Bytes("x")), FileOutcome::Failed);
    EXPECT_TRUE(dir.Names().empty());
}

}  // namespace
}  // namespace kx
