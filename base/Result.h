#pragma once
// The one result shape of every reader and loader: success, or a one-line
// reason naming what is wrong and where (a file, a node, a record, an
// offset). The kind lets a caller pick its message without parsing text.

#include <cassert>
#include <optional>
#include <string>
#include <utility>

namespace kx {

enum class Fault {
    None,
    Unreadable,  // the bytes could not be had at all (missing, not a regular file, I/O)
    WrongKind,   // not a file of the kind asked for (magic, version)
    Damaged,     // of that kind, but its parts do not fit together
    Refused,     // whole and of that kind, but holding what this tool does not take
};

class [[nodiscard]] Status {
  public:
    Status() = default;
    static Status Success() { return {}; }
    static Status Failure(Fault fault, std::string reason) {
        Status s;
        s.fault_ = fault == Fault::None ? Fault::Damaged : fault;
        s.reason_ = std::move(reason);
        return s;
    }

    bool Ok() const { return fault_ == Fault::None; }
    explicit operator bool() const { return Ok(); }
    Fault GetFault() const { return fault_; }
    // One line, empty on success.
    const std::string& Reason() const { return reason_; }

  private:
    Fault fault_ = Fault::None;
    std::string reason_;
};

template <class T>
class [[nodiscard]] Result {
  public:
    Result(T value) : value_(std::move(value)) {}
    // A success with nothing in it would hand out a value that is not there;
    // it becomes a failure instead, and stops a debug build where it is made.
    Result(Status failure) : status_(std::move(failure)) {
        assert(!status_.Ok() && "a Result made from a success holds no value");
        if (status_.Ok()) {
            status_ = Status::Failure(Fault::Damaged, "no value");
        }
    }

    bool Ok() const { return status_.Ok(); }
    explicit operator bool() const { return Ok(); }
    const Status& GetStatus() const { return status_; }
    Fault GetFault() const { return status_.GetFault(); }
    const std::string& Reason() const { return status_.Reason(); }

    // Only on success.
    T& Value() { return *value_; }
    const T& Value() const { return *value_; }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }

  private:
    Status status_;
    std::optional<T> value_;
};

}  // namespace kx
