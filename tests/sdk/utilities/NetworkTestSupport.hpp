#pragma once

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/foundation/String.hpp"
#include "platform/objc/Class.hpp"
#include "platform/objc/Runtime.hpp"
#include "platform/system/UnifiedLog.hpp"
#include "sdk/utilities/ZULLogger.hpp"
#include "sdk/utilities/ZULNetworkLoggerDelegate.hpp"
#include "sdk/utilities/ZULNetworkReachabilityDelegate.hpp"
#include "sdk/utilities/ZULReachabilityDelegate.hpp"
#include "tests/sdk/utilities/EnvironmentFixture.hpp"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// One line a network logger delegate received.
struct NetworkLogLine {
    std::int64_t level;
    std::int64_t code;
    std::string message;  // "(nil)" for a nil message
    std::vector<std::string> contexts;
};

// A network logger delegate that answers all three selectors (or, for the refusal tests,
// only the first two) and records what it receives.
class RecordingNetworkLogger final : public objc::Object {
public:
    enum class Selectors { all, missingOne };

    static std::shared_ptr<RecordingNetworkLogger> make(Selectors selectors = Selectors::all) {
        return std::make_shared<RecordingNetworkLogger>(selectors == Selectors::all ? fullClass() : partialClass());
    }
    explicit RecordingNetworkLogger(objc::Class* runtimeClass) : objc::Object(runtimeClass) {}

    std::vector<NetworkLogLine> lines() const { return lines_.copy(); }
    bool received(std::int64_t code) const {
        for (const auto& line : lines())
            if (line.code == code) return true;
        return false;
    }

private:
    void record(std::int64_t level, std::int64_t code, const std::shared_ptr<foundation::String>& message,
                const std::vector<objc::Id>& contexts) {
        NetworkLogLine line{level, code, message ? message->value() : std::string("(nil)"), {}};
        for (const auto& context : contexts) line.contexts.push_back(context ? context->description() : "(nil)");
        lines_.lock()->push_back(std::move(line));
    }
    static void addFirstTwo(objc::Class* runtimeClass) {
        objc::addMethod(runtimeClass, kZULNetworkLogWithContextsSelector,
                        ZULNetworkLogWithContextsImplementation([](const objc::Id& self, ZULNetworkLogLevel level,
                                                                   ZULNetworkMessageCode code,
                                                                   std::shared_ptr<foundation::String> message,
                                                                   std::shared_ptr<foundation::Array> contexts) {
                            objc::as<RecordingNetworkLogger>(self)->record(level, code, message,
                                                                           contexts ? contexts->items() : std::vector<objc::Id>{});
                        }),
                        "v@:qq@@");
        objc::addMethod(runtimeClass, kZULNetworkLogWithContextSelector,
                        ZULNetworkLogWithContextImplementation([](const objc::Id& self, ZULNetworkLogLevel level,
                                                                  ZULNetworkMessageCode code,
                                                                  std::shared_ptr<foundation::String> message, objc::Id context) {
                            objc::as<RecordingNetworkLogger>(self)->record(level, code, message, {context});
                        }),
                        "v@:qq@@");
    }
    static objc::Class* fullClass() {
        static objc::Class* runtimeClass = [] {
            objc::Class* made = objc::defineClass("TestRecordingNetworkLogger");
            addFirstTwo(made);
            objc::addMethod(made, kZULNetworkLogSelector,
                            ZULNetworkLogImplementation([](const objc::Id& self, ZULNetworkLogLevel level,
                                                           ZULNetworkMessageCode code,
                                                           std::shared_ptr<foundation::String> message) {
                                objc::as<RecordingNetworkLogger>(self)->record(level, code, message, {});
                            }),
                            "v@:qq@");
            return made;
        }();
        return runtimeClass;
    }
    static objc::Class* partialClass() {
        static objc::Class* runtimeClass = [] {
            objc::Class* made = objc::defineClass("TestPartialNetworkLogger");
            addFirstTwo(made);
            return made;
        }();
        return runtimeClass;
    }

    foundation::Guarded<std::vector<NetworkLogLine>> lines_;
};

// A reachability delegate (of the checker, and of the network) that records the statuses
// it is told and how often the network told it of a change.
class RecordingReachabilityDelegate final : public objc::Object {
public:
    static std::shared_ptr<RecordingReachabilityDelegate> make() {
        static objc::Class* runtimeClass = [] {
            objc::Class* made = objc::defineClass("TestRecordingReachabilityDelegate");
            ZULAdoptReachabilityDelegate(made, [](const objc::Id& self, std::shared_ptr<ZULReachabilityChecker> checker,
                                                  ZULReachabilityStatus status) {
                auto delegate = objc::as<RecordingReachabilityDelegate>(self);
                delegate->statuses.push_back(status);
                delegate->lastChecker = checker;
            });
            objc::addMethod(made, kZULNetworkReachabilityDidChangeSelector,
                            ZULNetworkReachabilityDidChangeImplementation([](const objc::Id& self) {
                                ++objc::as<RecordingReachabilityDelegate>(self)->changes;
                            }),
                            "v@:");
            return made;
        }();
        return std::make_shared<RecordingReachabilityDelegate>(runtimeClass);
    }
    explicit RecordingReachabilityDelegate(objc::Class* runtimeClass) : objc::Object(runtimeClass) {}

    std::vector<ZULReachabilityStatus> statuses;
    std::weak_ptr<ZULReachabilityChecker> lastChecker;
    int changes = 0;
};

// A test whose SDK log lines are captured (debug lines included, logger at the debug level
// when asked) with the environment of an ordinary, non-App-Store build.
class LoggingFixture : public EnvironmentFixture {
protected:
    void SetUp() override {
        EnvironmentFixture::SetUp();
        loadMainImage(false);
        capture_.enableDebugLines();
    }
    void TearDown() override { ZULLoggerFlushForTesting(); }
    // How many lines reached the unified log containing the text.
    std::size_t logged(const std::string& text) {
        ZULLoggerFlushForTesting();
        return capture_.entriesContaining(text).size();
    }
    static void runMainLoop() { foundation::RunLoop::main()->runUntilIdle(); }

    darwin::LogCapture capture_;
};

}  // namespace testsupport
