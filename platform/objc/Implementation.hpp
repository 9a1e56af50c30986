#pragma once

#include "platform/objc/Object.hpp"

#include <any>
#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace objc {

// Raised when a message names a selector the receiver's class does not implement, or
// names it with a signature other than the one the method was added with.
class UnrecognizedSelector : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The implementation type of an instance method with result R and arguments Args.
template <class R, class... Args>
using InstanceImplementation = std::function<R(const Id& self, Args...)>;
// The implementation type of a class method; the receiver is the class.
template <class R, class... Args>
using ClassImplementation = std::function<R(Class* self, Args...)>;

// A method's implementation as the runtime keeps it: a typed function, which messages call
// directly, and for instance methods a caller that takes the arguments as values, which
// invocations built at run time use. Copies share one body, so two implementations are
// equal exactly when one was copied from the other (as the platform compares pointers).
// Immutable; safe to share between threads.
class Implementation {
public:
    Implementation() = default;

    template <class R, class... Args>
    Implementation(std::function<R(const Id&, Args...)> function) {
        if (!function) return;
        auto body = std::make_shared<Body>();
        body->caller = [function](const Id& self, const std::vector<std::any>& arguments) {
            return callWithValues(function, self, arguments, std::index_sequence_for<Args...>{});
        };
        body->function = std::move(function);
        body_ = std::move(body);
    }

    template <class R, class... Args>
    Implementation(std::function<R(Class*, Args...)> function) {
        if (!function) return;
        auto body = std::make_shared<Body>();
        body->function = std::move(function);
        body_ = std::move(body);
    }

    explicit operator bool() const { return body_ != nullptr; }
    bool operator==(const Implementation& other) const { return body_ == other.body_; }

    // The typed function, or null when the implementation has another type.
    template <class Function>
    const Function* target() const {
        return body_ ? std::any_cast<Function>(&body_->function) : nullptr;
    }

    // Calls an instance implementation with typed arguments, which must be its own exactly.
    template <class R, class... Args>
    R call(const Id& self, Args... args) const {
        auto* function = target<InstanceImplementation<R, Args...>>();
        if (!function) throw UnrecognizedSelector("implementation called with a signature it does not have");
        return (*function)(self, std::forward<Args>(args)...);
    }

    // Calls an instance implementation with its arguments (after self) given as values of
    // exactly its parameter types; answers the result, empty for a void one.
    std::any callWithValues(const Id& self, const std::vector<std::any>& arguments) const;

private:
    struct Body {
        std::any function;
        std::function<std::any(const Id&, const std::vector<std::any>&)> caller;
    };

    template <class R, class... Args, std::size_t... Index>
    static std::any callWithValues(const std::function<R(const Id&, Args...)>& function, const Id& self,
                                   const std::vector<std::any>& arguments, std::index_sequence<Index...>) {
        if (arguments.size() != sizeof...(Args))
            throw UnrecognizedSelector("invocation has " + std::to_string(arguments.size()) +
                                       " arguments, the implementation takes " + std::to_string(sizeof...(Args)));
        auto values = std::make_tuple(std::any_cast<std::decay_t<Args>>(&arguments[Index])...);
        if (((std::get<Index>(values) == nullptr) || ...))
            throw UnrecognizedSelector("invocation argument of a type the implementation does not take");
        if constexpr (std::is_void_v<R>) {
            function(self, *std::get<Index>(values)...);
            return {};
        } else {
            return std::any(function(self, *std::get<Index>(values)...));
        }
    }

    std::shared_ptr<const Body> body_;
};

}  // namespace objc
