#pragma once

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/Number.hpp"
#include "sdk/utilities/ZPMPromise.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace promisetests {

inline constexpr const char* testQueueLabel = "com.kestrelvault.tests.promises";
inline constexpr const char* mainQueueLabel = "com.apple.main-thread";

// Every promise test runs on the manual clock; the main queue only runs inside settle().
class PromiseTest : public ::testing::Test {
protected:
    void SetUp() override;

    // Runs the main queue until nothing is queued anywhere (the thread pool included).
    static void settle();
    // Moves the manual clock and then settles what became due.
    static void advanceSeconds(double seconds);

    // A serial queue on the thread pool with a label of its own.
    const dispatch::QueuePtr& testQueue() const { return testQueue_; }

private:
    dispatch::QueuePtr testQueue_;
};

std::shared_ptr<foundation::Number> number(std::int64_t value);
std::shared_ptr<foundation::Error> error(std::int64_t code, std::string domain = "com.kestrelvault.tests");
std::shared_ptr<foundation::Array> array(std::vector<objc::Id> items);
// The integer an object holds; fails the test for anything but a number.
std::int64_t integerOf(const objc::Id& object);

// Expects the call to fail an assertion: the handler raises an internal-inconsistency
// exception with the reason.
void expectAssertionFailure(const std::function<void()>& call, const std::string& reason);

// A thread-safe log of what callbacks saw, for asserting order and the queue they ran on.
class CallLog {
public:
    void add(std::string entry);
    // Adds the entry with the label of the queue the caller runs on: "entry@label".
    void addOnQueue(const std::string& entry);
    std::vector<std::string> entries() const;
    std::size_t count() const;

private:
    foundation::Guarded<std::vector<std::string>> entries_;
};

}  // namespace promisetests
