#include "host/Window.h"

#include <charconv>

namespace kx {

int Ui::RunModal(Window& window) {
    window.Open();
    if (!window.Ended()) {
        window.Close();
    }
    return window.Result();
}

const ControlState& Window::Control(int id) const {
    static const ControlState none;
    auto it = controls_.find(id);
    return it == controls_.end() ? none : it->second;
}

void Window::Open() {
    result_.reset();
    {
        std::lock_guard lock(postMutex_);
        accepting_ = true;
    }
    OnInit();
}

void Window::End(int result) {
    result_ = result;
    std::lock_guard lock(postMutex_);
    accepting_ = false;
    posted_.clear();
}

void Window::Post(int id, std::int64_t first, std::int64_t second, std::string text) {
    {
        std::lock_guard lock(postMutex_);
        if (!accepting_) {
            return;
        }
        posted_.push_back({id, first, second, std::move(text)});
        // Under the lock, so that a driver clearing the waker as its window
        // goes is never called afterwards.
        if (waker_) {
            waker_(id);
        }
    }
    postChanged_.notify_all();
}

void Window::SetPostWaker(std::function<void(int)> waker) {
    std::lock_guard lock(postMutex_);
    waker_ = std::move(waker);
}

void Window::BeginWork() {
    std::lock_guard lock(postMutex_);
    ++workers_;
}

void Window::EndWork() {
    {
        std::lock_guard lock(postMutex_);
        --workers_;
    }
    postChanged_.notify_all();
}

std::optional<PostedMessage> Window::TakePosted() {
    if (posted_.empty()) {
        return std::nullopt;
    }
    PostedMessage message = std::move(posted_.front());
    posted_.pop_front();
    return message;
}

bool Window::HandlePosted() {
    std::unique_lock lock(postMutex_);
    // Only what is queued now: workers posting steadily must not keep the
    // driver here for ever.
    size_t count = posted_.size();
    bool handled = false;
    while (count-- > 0 && !Ended()) {
        std::optional<PostedMessage> message = TakePosted();
        if (!message) {
            break;
        }
        lock.unlock();
        OnPosted(*message);
        handled = true;
        lock.lock();
    }
    return handled;
}

void Window::WaitForWorkers() {
    std::unique_lock lock(postMutex_);
    while (!Ended()) {
        if (std::optional<PostedMessage> message = TakePosted()) {
            // Handled without the lock: the handler may post, or end the
            // window, and both take the lock.
            lock.unlock();
            OnPosted(*message);
            lock.lock();
        } else if (workers_ > 0) {
            postChanged_.wait(lock);
        } else {
            break;
        }
    }
}

void Window::Edit(int id, std::string text) {
    // The handler gets its own copy: it may rewrite the box.
    State(id).text = text;
    OnEdit(id, text);
}

void Window::Scroll(int id, int pos) {
    SetPosition(id, pos);
    OnScroll(id, Control(id).position);
}

void Window::Select(int id, int index) {
    State(id).selection = index;
    OnSelect(id, index);
}

void Window::OnClose() {
    OnCommand(kIdCancel);
    if (!Ended()) {
        End(kIdCancel);
    }
}

ControlState& Window::AddControl(int id, std::string text) {
    if (!controls_.count(id)) {
        declared_.push_back(id);
    }
    ControlState& c = controls_[id];
    c.text = std::move(text);
    return c;
}

void Window::SetRange(int id, int min, int max) {
    ControlState& c = State(id);
    c.rangeMin = min;
    c.rangeMax = max;
    SetPosition(id, c.position);
}

void Window::SetPosition(int id, int pos) {
    ControlState& c = State(id);
    c.position = pos < c.rangeMin ? c.rangeMin : pos > c.rangeMax ? c.rangeMax : pos;
}

void Window::CheckRadio(int first, int last, int id) {
    for (int i = first; i <= last; ++i) {
        if (HasControl(i)) {
            SetChecked(i, i == id);
        }
    }
}

namespace {

bool ParseInt(std::string_view s, int& out) {
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size();
}

}  // namespace

std::optional<WindowAction> ParseWindowAction(std::string_view line) {
    // verb, id, then the rest of the line (typed text may hold spaces).
    auto nextWord = [&line]() {
        size_t start = line.find_first_not_of(' ');
        if (start == std::string_view::npos) {
            line = {};
            return std::string_view{};
        }
        line.remove_prefix(start);
        size_t end = line.find(' ');
        std::string_view word = line.substr(0, end);
        line.remove_prefix(end == std::string_view::npos ? line.size() : end);
        return word;
    };
    WindowAction a;
    std::string_view verb = nextWord();
    if (verb == "close" || verb == "wait") {
        a.kind = verb == "close" ? WindowAction::Kind::Close : WindowAction::Kind::Wait;
        return nextWord().empty() ? std::optional(a) : std::nullopt;
    }
    if (verb == "click") {
        a.kind = WindowAction::Kind::Click;
    } else if (verb == "type") {
        a.kind = WindowAction::Kind::Type;
    } else if (verb == "scroll") {
        a.kind = WindowAction::Kind::Scroll;
    } else if (verb == "select") {
        a.kind = WindowAction::Kind::Select;
    } else {
        return std::nullopt;
    }
    if (!ParseInt(nextWord(), a.id)) {
        return std::nullopt;
    }
    if (a.kind == WindowAction::Kind::Type) {
        // One separating space; the rest is the text, possibly empty.
        a.text = std::string(line.empty() ? line : line.substr(1));
        return a;
    }
    if (a.kind != WindowAction::Kind::Click && !ParseInt(nextWord(), a.value)) {
        return std::nullopt;
    }
    return nextWord().empty() ? std::optional(a) : std::nullopt;
}

ActionOutcome ApplyAction(Window& window, const WindowAction& action) {
    if (window.Ended()) {
        return ActionOutcome::WindowEnded;
    }
    if (action.kind == WindowAction::Kind::Close) {
        window.Close();
        return ActionOutcome::Applied;
    }
    if (action.kind == WindowAction::Kind::Wait) {
        window.WaitForWorkers();
        return ActionOutcome::Applied;
    }
    if (!window.HasControl(action.id)) {
        return ActionOutcome::NoSuchControl;
    }
    const ControlState& c = window.Control(action.id);
    if (!c.visible) {
        return ActionOutcome::Hidden;
    }
    if (!c.enabled) {
        return ActionOutcome::Disabled;
    }
    if (c.readOnly && action.kind == WindowAction::Kind::Type) {
        return ActionOutcome::ReadOnly;
    }
    if (action.kind == WindowAction::Kind::Select &&
        (action.value < -1 || action.value >= static_cast<int>(c.items.size()))) {
        return ActionOutcome::NoSuchItem;
    }
    switch (action.kind) {
        case WindowAction::Kind::Click:
            window.Click(action.id);
            break;
        case WindowAction::Kind::Type: {
            std::string typed;
            for (char ch : action.text) {
                if (window.Key(action.id, ch)) {
                    typed += ch;
                }
            }
            window.Edit(action.id, std::move(typed));
            break;
        }
        case WindowAction::Kind::Scroll:
            window.Scroll(action.id, action.value);
            break;
        case WindowAction::Kind::Select:
            window.Select(action.id, action.value);
            break;
        case WindowAction::Kind::Close:
        case WindowAction::Kind::Wait:
            break;
    }
    return ActionOutcome::Applied;
}

const char* ActionOutcomeText(ActionOutcome outcome) {
    switch (outcome) {
        case ActionOutcome::Applied:
            return "applied";
        case ActionOutcome::WindowEnded:
            return "the window has closed";
        case ActionOutcome::NoSuchControl:
            return "no such control";
        case ActionOutcome::Disabled:
            return "its control is disabled";
        case ActionOutcome::Hidden:
            return "its control is hidden";
        case ActionOutcome::ReadOnly:
            return "its box is read-only";
        case ActionOutcome::NoSuchItem:
            return "no such item in the list";
    }
    return "";
}

}  // namespace kx
