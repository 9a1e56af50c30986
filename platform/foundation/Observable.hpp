#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>

namespace foundation {

// Options of a key-value observation: deliver the current value at once, and/or every new one.
enum class ObservingOptions : unsigned { newValue = 1, initial = 4, initialAndNew = 5 };

// Removes its observer when destroyed, or when another observation is assigned to it.
class ObservationToken {
public:
    ObservationToken() = default;
    explicit ObservationToken(std::function<void()> remove) : remove_(std::move(remove)) {}
    ObservationToken(ObservationToken&& other) noexcept : remove_(std::exchange(other.remove_, nullptr)) {}
    ObservationToken& operator=(ObservationToken&& other) noexcept {
        if (this != &other) {
            cancel();
            remove_ = std::exchange(other.remove_, nullptr);
        }
        return *this;
    }
    ~ObservationToken() {
        if (remove_) remove_();
    }
    void cancel() {
        if (auto remove = std::exchange(remove_, nullptr)) remove();
    }

private:
    std::function<void()> remove_;
};

// A published value (the stand-in for published properties and key-value observation).
// Every assignment notifies the observers with the new value, also when it equals the old
// one, synchronously on the assigning thread, in subscription order. Single-threaded: use
// it on one thread (the main thread for application state).
template <class T>
class Observable {
public:
    Observable() = default;
    explicit Observable(T value) : value_(std::move(value)) {}
    Observable(const Observable&) = delete;
    Observable& operator=(const Observable&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }

    void set(T value) {
        value_ = std::move(value);
        auto state = state_;  // observers may cancel themselves or the owner may go away
        auto snapshot = state->observers;
        for (auto& [identifier, observer] : snapshot)
            if (state->observers.count(identifier)) observer(value_);
    }
    Observable& operator=(T value) {
        set(std::move(value));
        return *this;
    }

    [[nodiscard]] ObservationToken observe(std::function<void(const T&)> observer,
                                           ObservingOptions options = ObservingOptions::newValue) {
        if (static_cast<unsigned>(options) & static_cast<unsigned>(ObservingOptions::initial)) observer(value_);
        if (!(static_cast<unsigned>(options) & static_cast<unsigned>(ObservingOptions::newValue)))
            return ObservationToken();
        std::uint64_t identifier = state_->next++;
        state_->observers.emplace(identifier, std::move(observer));
        std::weak_ptr<State> weakState = state_;
        return ObservationToken([weakState, identifier] {
            if (auto state = weakState.lock()) state->observers.erase(identifier);
        });
    }

private:
    struct State {
        std::uint64_t next = 1;
        std::map<std::uint64_t, std::function<void(const T&)>> observers;
    };
    T value_{};
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace foundation
