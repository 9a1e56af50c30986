#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace foundation {

// Why an operation of ours failed, in words for a log line or a test.
struct Failure {
    std::string description;
};

// The project's one value-or-error type, for the signatures we choose (the platform's own
// forms, error objects, out-parameters and completions, stay as they are): the value,
// or the failure that kept it from being made. A value type; as thread-safe as T.
template <typename T>
class Expected {
public:
    Expected(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: a value is a success
    Expected(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}  // NOLINT: so is a failure

    bool hasValue() const { return state_.index() == 0; }
    explicit operator bool() const { return hasValue(); }

    // Only with a value.
    T& operator*() { return std::get<0>(state_); }
    const T& operator*() const { return std::get<0>(state_); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }
    // Only without one.
    const std::string& error() const { return std::get<1>(state_).description; }

    // The value, or nothing, for callers that only tell success from failure.
    std::optional<T> value() && {
        if (!hasValue()) return std::nullopt;
        return std::move(std::get<0>(state_));
    }

    friend bool operator==(const Expected& expected, const T& value) { return expected.hasValue() && *expected == value; }

private:
    std::variant<T, Failure> state_;
};

}  // namespace foundation
