#pragma once
// The window system calls our window, dialog and hook procedures from its
// own frames, and in the 32-bit build a C++ exception cannot unwind through
// them: it would end the modeller. So each procedure of ours catches at its
// edge, keeps what it caught and ends its dialog; the code that opened the
// dialog rethrows it once the dialog call has returned, on our side of the
// window system, where the barrier in Execute turns it into its message.

#include <exception>
#include <utility>

namespace kx {

// What the procedures of one running dialog caught.
class CallbackEdge {
  public:
    bool Failed() const { return static_cast<bool>(caught_); }

    // Runs `body`. When it throws, the exception is kept (the first one: what
    // follows from it says less), `end` is called to end the dialog and
    // `fallback` is returned.
    template <class Body, class End, class R>
    R Run(Body&& body, End&& end, R fallback) noexcept {
        try {
            return body();
        } catch (...) {
            if (!caught_) {
                caught_ = std::current_exception();
            }
        }
        end();
        return fallback;
    }

    // After the dialog call has returned: throws what was caught, if anything.
    void Rethrow() {
        if (caught_) {
            std::rethrow_exception(std::exchange(caught_, nullptr));
        }
    }

  private:
    std::exception_ptr caught_;
};

}  // namespace kx
