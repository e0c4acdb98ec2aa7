#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "host/Window.h"
#include "host/headless/HeadlessUi.h"

namespace kx {
namespace {

// Starts `threads` workers on "Start"; each posts `perThread` messages (id =
// its number, first = its sequence) and ends its work. The window notes
// every message it handles and on which thread, and may end itself on one.
class WorkerWindow : public Window {
  public:
    static constexpr int kStart = 10, kStatus = 11;

    WorkerWindow(Ui& ui, int threads, int perThread)
        : Window(ui, "Workers"), threads_(threads), perThread_(perThread) {
        AddControl(kIdOk, "OK");
        AddControl(kIdCancel, "Cancel");
        AddControl(kStart, "Start");
        AddControl(kStatus);
    }
    ~WorkerWindow() override { Join(); }

    void Join() {
        for (std::thread& t : workers_) {
            t.join();
        }
        workers_.clear();
    }

    std::vector<PostedMessage> handled;
    std::vector<std::thread::id> handledOn;
    int handledAfterEnd = 0;
    // The message (thread, sequence) that ends the window, if any.
    std::optional<std::pair<int, int>> endOn;
    std::atomic<int> posted{0};

  protected:
    void OnCommand(int id) override {
        if (id == kIdOk || id == kIdCancel) {
            End(id);
        } else if (id == kStart) {
            for (int t = 0; t < threads_; ++t) {
                BeginWork();
                workers_.emplace_back([this, t] {
                    for (int i = 0; i < perThread_; ++i) {
                        Post(t, i, 0, "thread " + std::to_string(t));
                        ++posted;
                    }
                    EndWork();
                });
            }
        }
    }
    void OnPosted(const PostedMessage& message) override {
        if (Ended()) {
            ++handledAfterEnd;
        }
        handled.push_back(message);
        handledOn.push_back(std::this_thread::get_id());
        SetText(kStatus, message.text);
        if (endOn && endOn->first == message.id && endOn->second == message.first) {
            End(kIdOk);
        }
    }

  private:
    int threads_, perThread_;
    std::vector<std::thread> workers_;
};

WindowAction Act(std::string_view line) {
    return ParseWindowAction(line).value_or(WindowAction{});
}

TEST(PostedMessages, ArriveInOrderPerThreadOnTheWindowsThread) {
    HeadlessUi ui;
    WorkerWindow w(ui, 4, 300);
    for (const char* line : {"click 10", "wait", "click 1"}) {
        ui.QueueAction(Act(line));
    }
    EXPECT_EQ(ui.RunModal(w), kIdOk);
    w.Join();
    ASSERT_EQ(w.handled.size(), 4u * 300u);
    std::vector<int64_t> next(4, 0);
    for (const PostedMessage& m : w.handled) {
        ASSERT_EQ(m.first, next[static_cast<size_t>(m.id)]) << "thread " << m.id;
        ++next[static_cast<size_t>(m.id)];
        EXPECT_EQ(m.text, "thread " + std::to_string(m.id));
    }
    for (std::thread::id id : w.handledOn) {
        ASSERT_EQ(id, std::this_thread::get_id());
    }
    EXPECT_FALSE(ui.refused);
}

TEST(PostedMessages, NothingIsHandledAfterTheWindowEnds) {
    HeadlessUi ui;
    WorkerWindow w(ui, 3, 2000);
    w.endOn = std::pair{1, 100};
    // The window ends on thread 1's 100th message, while the others still post.
    for (const char* line : {"click 10", "wait", "click 1"}) {
        ui.QueueAction(Act(line));
    }
    EXPECT_EQ(ui.RunModal(w), kIdOk);
    const size_t handledAtEnd = w.handled.size();
    EXPECT_EQ(w.handled.back(), (PostedMessage{1, 100, 0, "thread 1"}));
    // The unused "click 1" is left for the next window.
    w.Join();
    EXPECT_EQ(w.posted, 3 * 2000);
    // Queued and later messages are gone: a driver finds nothing more.
    EXPECT_FALSE(w.HandlePosted());
    w.Post(0, 0);
    w.WaitForWorkers();
    EXPECT_EQ(w.handled.size(), handledAtEnd);
    EXPECT_EQ(w.handledAfterEnd, 0);
}

TEST(PostedMessages, AreHandledBetweenActionsAndDroppedWhenTheScriptEnds) {
    HeadlessUi ui;
    WorkerWindow w(ui, 1, 1);
    w.Open();
    w.Post(7, 1, 2, "before");
    // The modal run hands it over before its first action.
    ui.QueueAction(Act("click 1"));
    WorkerWindow other(ui, 0, 0);
    other.Post(8, 0, 0, "never");
    EXPECT_EQ(ui.RunModal(w), kIdOk);
    EXPECT_EQ(w.handled, (std::vector<PostedMessage>{{7, 1, 2, "before"}}));
    EXPECT_EQ(w.Control(WorkerWindow::kStatus).text, "before");

    // With no actions left the window closes; what was queued is discarded.
    ui.RunModal(other);
    EXPECT_TRUE(other.handled.empty());
    EXPECT_EQ(ApplyAction(other, Act("wait")), ActionOutcome::WindowEnded);

    // With no workers and nothing queued a wait returns at once.
    WorkerWindow idle(ui, 0, 0);
    idle.Open();
    EXPECT_EQ(ApplyAction(idle, Act("wait")), ActionOutcome::Applied);
    EXPECT_FALSE(idle.Ended());
}

TEST(PostedMessages, WakeTheDriverOncePerQueuedMessageAndNeverAfterTheEnd) {
    HeadlessUi ui;
    WorkerWindow w(ui, 0, 0);
    std::vector<int> wakes;
    w.SetPostWaker([&](int id) { wakes.push_back(id); });
    w.Open();
    w.Post(0x401, 1);
    w.Post(0x402);
    EXPECT_EQ(wakes, (std::vector<int>{0x401, 0x402}));
    EXPECT_TRUE(w.HandlePosted());
    ASSERT_EQ(w.handled.size(), 2u);

    // An ended window takes nothing more, so nothing wakes its driver.
    w.Click(kIdOk);
    w.Post(0x401);
    EXPECT_EQ(wakes.size(), 2u);

    // A cleared waker is never called again.
    w.Open();
    w.SetPostWaker(nullptr);
    w.Post(0x401);
    EXPECT_EQ(wakes.size(), 2u);
    EXPECT_TRUE(w.HandlePosted());
}

}  // namespace
}  // namespace kx
