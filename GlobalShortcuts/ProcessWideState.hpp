#pragma once

#include <memory>

namespace GlobalShortcuts {

// Process-wide state made on first use and dropped by reset() (for tests). Main thread
// only, like the state it holds.
template <class State>
class ProcessWideState {
public:
    State& get() {
        if (!state_) state_ = std::make_unique<State>();
        return *state_;
    }
    void reset() { state_.reset(); }

private:
    std::unique_ptr<State> state_;
};

}  // namespace GlobalShortcuts
