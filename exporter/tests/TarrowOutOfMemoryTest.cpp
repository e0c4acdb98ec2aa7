// The exporter run with one allocation failing: whatever allocation it is,
// the run ends cleanly, the person is told, and nothing is left half done.
// This program replaces the global operator new to make the failure happen.

// The replacements below pair malloc with free; the compiler only sees the
// new and the free.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "exporter/tests/ExportHarness.h"

namespace {

// Allocations left before the one that fails; negative: none fails.
std::atomic<long> g_failIn{-1};
std::atomic<long> g_allocations{0};

}  // namespace

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (g_failIn.load(std::memory_order_relaxed) >= 0 && g_failIn.fetch_sub(1) == 0) {
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace kx::test {
namespace {

// The temporary mesh data file goes to the system's temporary folder: one of
// the test's own, to see it is gone after every run.
class TempFolderForRun {
  public:
    TempFolderForRun() : dir_("oom") {
        const char* old = std::getenv("TMPDIR");
        old_ = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("TMPDIR", dir_.File("tmp").c_str(), 1);
        std::filesystem::create_directories(dir_.File("tmp"));
    }
    ~TempFolderForRun() { old_ ? setenv("TMPDIR", old_->c_str(), 1) : unsetenv("TMPDIR"); }
    std::string File(const std::string& name) const { return dir_.File(name); }
    bool TempEmpty() const { return std::filesystem::is_empty(dir_.File("tmp")); }

  private:
    TempDir dir_;
    std::optional<std::string> old_;
};

struct Outcome {
    int rc = 0;
    std::vector<RecordedMessage> messages;
    int meshesLeft = 0;
    bool written = false;
};

// A two-part ship exported new; the allocation `failAt` counted from the
// start of Execute fails (negative: none). `allocations` gets the count.
Outcome ExportShip(const std::string& out, long failAt, long* allocations = nullptr) {
    TestModel model;
    const int steel = model.Material("Steel");
    model.Block("hull", {0, 0, 0}, {1, 1, 1}, steel);
    model.Block("wing", {2, 0, 0}, {3, 1, 1}, steel);
    model.Marker("HpFixed_HpEngine01", 0, 0, 0);
    ExportRun run;
    run.New(out).Groups({1, 1}).Continue();
    HostServices host{&run.ui, &run.files};
    TarrowPlugIn plugIn(host);
    Outcome o;
    const long before = g_allocations.load();
    g_failIn = failAt;
    o.rc = plugIn.Execute(model.m);
    g_failIn = -1;
    if (allocations) {
        *allocations = g_allocations.load() - before;
    }
    o.messages = run.ui.messages;
    o.meshesLeft = model.MeshCount();
    o.written = run.files.WasWritten(out);
    return o;
}

const RecordedMessage kOutOfMemory{"There is not enough memory to finish.", "Error",
                                   MessageIcon::Error, MessageButtons::Ok};

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    ReadWholeFile(path, bytes);
    return bytes;
}

TEST(TarrowOutOfMemory, EveryAllocationCanFailCleanly) {
    TempFolderForRun dir;
    const std::string out = dir.File("ship.cmp");
    long allocations = 0;
    const Outcome clean = ExportShip(out, -1, &allocations);
    ASSERT_EQ(clean.rc, 0);
    ASSERT_TRUE(clean.written);
    ASSERT_TRUE(clean.messages.empty());
    const std::vector<uint8_t> whole = FileBytes(out);
    const std::vector<RecordedMessage> lowMemory{
        {"Could not allocate memory for file", "LOW MEMORY ?", MessageIcon::Warning}};
    for (long at = 0; at < allocations; ++at) {
        SCOPED_TRACE("allocation " + std::to_string(at) + " of " + std::to_string(allocations));
        std::filesystem::remove(out);
        const Outcome o = ExportShip(out, at);
        EXPECT_EQ(o.meshesLeft, 0);
        EXPECT_TRUE(dir.TempEmpty());
        if (o.rc == -1) {
            EXPECT_EQ(o.messages, std::vector<RecordedMessage>{kOutOfMemory});
        } else {
            // Reading the mesh data back has a message of its own for it.
            EXPECT_EQ(o.rc, 0);
            EXPECT_EQ(o.messages, lowMemory);
        }
        // The file is whole or not there at all.
        if (o.written) {
            EXPECT_EQ(FileBytes(out), whole);
        } else {
            EXPECT_FALSE(std::filesystem::exists(out));
        }
    }
}

}  // namespace
}  // namespace kx::test
