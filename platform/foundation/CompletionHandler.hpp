#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <source_location>
#include <type_traits>
#include <utility>

namespace foundation {

enum class CompletionHandlerMisuse { calledTwice, droppedUncalled };

// Reports a broken exactly-once rule, naming where the handler was made: the line goes to
// standard error, and while assertions raise (tests, debug runs) the process stops there.
void reportCompletionHandlerMisuse(CompletionHandlerMisuse misuse, std::source_location made) noexcept;

// A completion handler that must run exactly once: a second call, or the last copy going
// away without a call, is reported as a programming error (see above) and the second call
// does nothing. Copies share the one call, so the handler may travel through several
// queued steps; it may be called from any thread. An empty handler (made from an empty
// function, or by default) has nothing to run and no rule: callers may pass none.
template <typename... Arguments>
class CompletionHandler {
public:
    CompletionHandler() = default;
    CompletionHandler(std::nullptr_t) {}  // NOLINT: nil, as callers pass no handler
    template <typename Function,
              typename = std::enable_if_t<std::is_invocable_v<Function&, Arguments...> &&
                                          !std::is_same_v<std::decay_t<Function>, CompletionHandler>>>
    CompletionHandler(Function&& function,  // NOLINT: made from a lambda where a handler is due
                      std::source_location made = std::source_location::current()) {
        std::function<void(Arguments...)> wrapped(std::forward<Function>(function));
        if (wrapped) state_ = std::make_shared<State>(std::move(wrapped), made);
    }

    explicit operator bool() const { return state_ != nullptr; }

    void operator()(Arguments... arguments) const {
        if (!state_) return;
        if (state_->called.exchange(true)) {
            reportCompletionHandlerMisuse(CompletionHandlerMisuse::calledTwice, state_->made);
            return;
        }
        auto function = std::move(state_->function);
        function(std::forward<Arguments>(arguments)...);
    }

private:
    struct State {
        State(std::function<void(Arguments...)> function, std::source_location made)
            : function(std::move(function)), made(made) {}
        State(const State&) = delete;
        State& operator=(const State&) = delete;
        ~State() {
            if (!called.load()) reportCompletionHandlerMisuse(CompletionHandlerMisuse::droppedUncalled, made);
        }

        std::function<void(Arguments...)> function;
        std::atomic<bool> called{false};
        std::source_location made;
    };
    std::shared_ptr<State> state_;
};

}  // namespace foundation
