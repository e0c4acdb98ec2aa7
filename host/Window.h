#pragma once
// Windows as models: a window owns the state of its controls, keyed by the
// control ids of its dialog resource, and reacts to what a person does with
// them. It reaches the person only through Ui (messages, file dialogs, beep)
// and never calls a window system; a driver shows the state and routes the
// events (the headless one from a list of actions, see ApplyAction).
// Worker threads reach a window only by posting messages, which the window
// handles on its own thread.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/Ui.h"

namespace kx {

// The standard buttons' ids, which are also the results a modal run ends with.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// One entry of a list box, combo box, list-view row or tree-view item.
struct ControlItem {
    std::string text;                  // first column, or the tree item's label
    std::vector<std::string> columns;  // further columns of a list-view row
    int depth = 0;                     // tree items: nesting level; items are in pre-order

    bool operator==(const ControlItem&) const = default;
};

struct ControlState {
    std::string text;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    bool readOnly = false;  // a box that shows text but takes no keys
    int position = 0;       // slider, spinner or scroll bar
    int rangeMin = 0;
    int rangeMax = 100;
    std::vector<ControlItem> items;
    int selection = -1;  // index into items, -1 for none
};

// A message a worker thread posts to a window: an id of the window's own
// choosing, two values and an optional text.
struct PostedMessage {
    int id = 0;
    std::int64_t first = 0;
    std::int64_t second = 0;
    std::string text;

    bool operator==(const PostedMessage&) const = default;
};

class Window {
  public:
    Window(Ui& ui, std::string title) : ui_(ui), title_(std::move(title)) {}
    virtual ~Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const std::string& Title() const { return title_; }
    bool HasControl(int id) const { return controls_.count(id) != 0; }
    // The ids of the declared controls, in the order they were declared (a
    // driver that makes the controls itself places them in this order).
    const std::vector<int>& ControlIds() const { return declared_; }
    // The state of a control; an unknown id reads as an empty, enabled control.
    const ControlState& Control(int id) const;

    // Called by the driver when a modal run starts: the window sets up its
    // controls in OnInit.
    void Open();
    bool Ended() const { return result_.has_value(); }
    int Result() const { return result_.value_or(kIdCancel); }

    // What the driver routes to the window; each updates the control's state
    // as the window system would and then calls the window's handler.
    void Click(int id) { OnCommand(id); }
    bool Key(int id, char ch) { return OnChar(id, ch); }
    void Edit(int id, std::string text);
    void Scroll(int id, int pos);  // kept inside the control's range
    void Select(int id, int index);
    void Close() { OnClose(); }

    // Any thread: queues a message for the window's thread. Once the window
    // has ended, queued messages are discarded and new ones dropped, so
    // nothing reaches a window after its end.
    void Post(int id, std::int64_t first = 0, std::int64_t second = 0, std::string text = {});
    // Any thread: a worker that may post to this window starts or finishes.
    // A worker calls EndWork after its last Post.
    void BeginWork();
    void EndWork();

    // The driver, on the window's thread: handles the messages queued so
    // far, in the order they came; false when there were none.
    bool HandlePosted();
    // The driver, on the window's thread: handles messages as they come
    // until no worker runs and none is queued, or the window ends.
    void WaitForWorkers();
    // The driver: `waker` is called on the posting thread right after each
    // message is queued, with the message's id, so that a window system can
    // wake the window's thread (null: none). It must not block or call back
    // into the window.
    void SetPostWaker(std::function<void(int)> waker);

  protected:
    virtual void OnInit() {}
    virtual void OnCommand(int /*id*/) {}                            // button clicked
    virtual void OnEdit(int /*id*/, const std::string& /*text*/) {}  // text changed by the person
    virtual void OnScroll(int /*id*/, int /*pos*/) {}                // slider or spinner moved
    virtual void OnSelect(int /*id*/, int /*index*/) {}              // list selection changed
    // A key typed into a box; false refuses it (the window beeps if it wants).
    virtual bool OnChar(int /*id*/, char /*ch*/) { return true; }
    // The close box: the Cancel button's rule, and cancelled in any case.
    virtual void OnClose();
    // A posted message, on the window's thread.
    virtual void OnPosted(const PostedMessage& /*message*/) {}

    Ui& ui() { return ui_; }
    void End(int result);

    // Declares a control (the window's constructor declares all of them).
    ControlState& AddControl(int id, std::string text = {});
    ControlState& State(int id) { return controls_[id]; }
    const std::string& Text(int id) const { return Control(id).text; }
    bool IsChecked(int id) const { return Control(id).checked; }
    void SetText(int id, std::string text) { State(id).text = std::move(text); }
    void SetEnabled(int id, bool on) { State(id).enabled = on; }
    void SetVisible(int id, bool on) { State(id).visible = on; }
    void SetChecked(int id, bool on) { State(id).checked = on; }
    void SetRange(int id, int min, int max);
    void SetPosition(int id, int pos);  // kept inside the range
    // Checks `id` and unchecks the other radio buttons first..last.
    void CheckRadio(int first, int last, int id);

  private:
    // The next queued message, or nothing; called with postMutex_ held.
    std::optional<PostedMessage> TakePosted();

    Ui& ui_;
    std::string title_;
    std::map<int, ControlState> controls_;
    std::vector<int> declared_;
    std::optional<int> result_;

    // Shared with the workers; everything above belongs to the window's thread.
    std::mutex postMutex_;
    std::condition_variable postChanged_;
    std::deque<PostedMessage> posted_;
    bool accepting_ = true;
    int workers_ = 0;
    std::function<void(int)> waker_;
};

// What a person does to a window, by control id. Text form, one per line:
//   click ID | type ID TEXT | scroll ID POS | select ID INDEX | close | wait
// "wait" lets the window's workers finish and their messages be handled.
struct WindowAction {
    enum class Kind { Click, Type, Scroll, Select, Close, Wait };
    Kind kind = Kind::Click;
    int id = 0;
    std::string text;   // Type: the text typed, replacing the box's text
    int value = 0;      // Scroll: position; Select: item index
    std::string label;  // what asked for the action (an option name), for refusals

    bool operator==(const WindowAction&) const = default;
};

std::optional<WindowAction> ParseWindowAction(std::string_view line);

enum class ActionOutcome {
    Applied,
    WindowEnded,
    NoSuchControl,
    Disabled,
    Hidden,
    ReadOnly,
    NoSuchItem
};

// Applies one action as a person would: only to a visible, enabled control
// of an open window, and only an item the list holds. Typing replaces the box's text as one edit;
// each key passes the window's key filter first. Scrolling is kept inside the control's range.
ActionOutcome ApplyAction(Window& window, const WindowAction& action);

const char* ActionOutcomeText(ActionOutcome outcome);

}  // namespace kx
