#include "host/Window.h"

#include <gtest/gtest.h>

#include "host/headless/HeadlessUi.h"

namespace kx {
namespace {

// A small window with one of each kind of control the driver routes to.
class CounterWindow : public Window {
  public:
    static constexpr int kBox = 10, kSlider = 11, kLocked = 12, kNested = 13, kList = 14;

    explicit CounterWindow(Ui& ui) : Window(ui, "Counter") {
        AddControl(kIdOk, "OK");
        AddControl(kIdCancel, "Cancel");
        AddControl(kBox);
        AddControl(kSlider);
        AddControl(kLocked, "Locked");
        AddControl(kNested, "Nested");
        AddControl(kList);
    }
    std::vector<std::string> events;

  protected:
    void OnInit() override {
        SetText(kBox, "0");
        SetRange(kSlider, 0, 50);
        SetEnabled(kLocked, false);
        State(kList).items.resize(2);
    }
    void OnCommand(int id) override {
        events.push_back("command " + std::to_string(id));
        if (id == kIdOk || id == kIdCancel) {
            End(id);
        } else if (id == kNested) {
            CounterWindow inner(ui());
            events.push_back("inner " + std::to_string(ui().RunModal(inner)));
        }
    }
    bool OnChar(int, char ch) override {
        if (ch >= '0' && ch <= '9') {
            return true;
        }
        ui().Beep();
        return false;
    }
    void OnEdit(int id, const std::string& text) override {
        events.push_back("edit " + std::to_string(id) + " " + text);
    }
    void OnScroll(int id, int pos) override {
        events.push_back("scroll " + std::to_string(id) + " " + std::to_string(pos));
    }
    void OnSelect(int id, int index) override {
        events.push_back("select " + std::to_string(id) + " " + std::to_string(index));
    }
};

WindowAction Act(std::string_view line) {
    auto a = ParseWindowAction(line);
    EXPECT_TRUE(a) << line;
    return a.value_or(WindowAction{});
}

TEST(HeadlessWindow, KeepsTheOrderItsControlsWereDeclaredIn) {
    // A driver that makes controls itself places them in this order, which
    // need not be the order of their ids.
    struct Boxes : Window {
        explicit Boxes(Ui& ui) : Window(ui, "Boxes") {
            AddControl(1022, "first");
            AddControl(1023, "second");
            AddControl(1021, "third");
            AddControl(1022, "first, renamed");
        }
    };
    HeadlessUi ui;
    Boxes w(ui);
    EXPECT_EQ(w.ControlIds(), (std::vector<int>{1022, 1023, 1021}));
    EXPECT_EQ(w.Control(1022).text, "first, renamed");
}

TEST(WindowAction, ParsesTheTextForm) {
    auto expect = [](std::string_view line, WindowAction::Kind kind, int id, std::string text,
                     int value) {
        WindowAction a = Act(line);
        EXPECT_TRUE(a.kind == kind && a.id == id && a.text == text && a.value == value) << line;
    };
    expect("click 1004", WindowAction::Kind::Click, 1004, "", 0);
    expect("type 1015 1.5 e", WindowAction::Kind::Type, 1015, "1.5 e", 0);
    expect("type 1015", WindowAction::Kind::Type, 1015, "", 0);
    expect("scroll 1017 -3", WindowAction::Kind::Scroll, 1017, "", -3);
    expect("select 7 2", WindowAction::Kind::Select, 7, "", 2);
    EXPECT_EQ(Act("close").kind, WindowAction::Kind::Close);
    EXPECT_EQ(Act("wait").kind, WindowAction::Kind::Wait);
    for (const char* bad : {"", "press 1", "click", "click x", "click 1 2", "scroll 1",
                            "scroll 1 x", "close 1", "wait 2"}) {
        EXPECT_FALSE(ParseWindowAction(bad)) << bad;
    }
}

TEST(HeadlessWindow, AppliesActionsAsAPersonWould) {
    HeadlessUi ui;
    CounterWindow w(ui);
    for (const char* line : {"type 10 4x2", "scroll 11 80", "select 14 1", "click 1", "click 13"}) {
        ui.QueueAction(Act(line));
    }
    EXPECT_EQ(ui.RunModal(w), kIdOk);
    EXPECT_EQ(w.events,
              (std::vector<std::string>{"edit 10 42", "scroll 11 50", "select 14 1", "command 1"}));
    EXPECT_EQ(w.Control(CounterWindow::kBox).text, "42");  // 'x' refused by the key filter
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(w.Control(CounterWindow::kSlider).position, 50);
    EXPECT_EQ(w.Control(CounterWindow::kList).selection, 1);
    EXPECT_FALSE(ui.refused);
    // The action left over is taken by the next window.
    CounterWindow next(ui);
    EXPECT_EQ(ui.RunModal(next), kIdCancel);
    EXPECT_EQ(next.events, (std::vector<std::string>{"command 13", "inner 2", "command 2"}));
}

TEST(HeadlessWindow, RunningOutOfActionsClosesTheWindow) {
    HeadlessUi ui;
    CounterWindow w(ui);
    ui.QueueAction(Act("click 13"));  // opens an inner window with nothing left to do
    EXPECT_EQ(ui.RunModal(w), kIdCancel);
    // Both went through the Cancel button's rule.
    EXPECT_EQ(w.events, (std::vector<std::string>{"command 13", "inner 2", "command 2"}));
}

TEST(HeadlessWindow, ARefusedActionStopsTheScript) {
    HeadlessUi ui;
    CounterWindow w(ui);
    WindowAction locked = Act("click 12");
    locked.label = "--locked";
    ui.QueueAction(Act("click 13"));
    ui.QueueAction(locked);
    ui.QueueAction(Act("click 1"));
    EXPECT_EQ(ui.RunModal(w), kIdCancel);
    ASSERT_TRUE(ui.refused);
    EXPECT_EQ(ui.refused->action.label, "--locked");
    EXPECT_EQ(ui.refused->outcome, ActionOutcome::Disabled);
    EXPECT_EQ(w.events, (std::vector<std::string>{"command 13", "inner 2", "command 2"}));

    CounterWindow other(ui);
    EXPECT_EQ(ApplyAction(other, Act("click 99")), ActionOutcome::NoSuchControl);
    other.Open();
    EXPECT_EQ(ApplyAction(other, Act("select 14 2")), ActionOutcome::NoSuchItem);
    EXPECT_EQ(ApplyAction(other, Act("select 14 -1")), ActionOutcome::Applied);
    other.Close();
    EXPECT_EQ(ApplyAction(other, Act("click 1")), ActionOutcome::WindowEnded);
}

}  // namespace
}  // namespace kx
