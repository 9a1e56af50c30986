#include "sdk/utilities/ZULAppDelegateSwizzler.hpp"

#include "platform/appkit/Application.hpp"
#include "platform/appkit/ApplicationDelegate.hpp"
#include "platform/foundation/Data.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/Exception.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/objc/Runtime.hpp"
#include "platform/system/UnifiedLog.hpp"
#include "sdk/utilities/ZULLogger.hpp"
#include "tests/sdk/utilities/EnvironmentFixture.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace {

using appkit::kApplicationContinueUserActivitySelector;
using appkit::kApplicationDidFailToRegisterForRemoteNotificationsSelector;

// A delegate or interceptor that writes its name into a shared call log and answers a
// continued activity as told. Its runtime class decides which callbacks it has.
struct Party final : objc::Object {
    Party(objc::Class* runtimeClass, std::string name, std::vector<std::string>& calls, bool answer = false)
        : objc::Object(runtimeClass), name(std::move(name)), calls(calls), answer(answer) {}
    std::string name;
    std::vector<std::string>& calls;
    bool answer;
};

objc::Class* partyClass(const std::string& name, bool withCallbacks) {
    objc::Class* made = objc::defineClass(name);
    made->addProtocol(appkit::NSApplicationDelegateProtocol);
    if (!withCallbacks) return made;
    objc::addMethod(made, kApplicationContinueUserActivitySelector,
                    appkit::ContinueUserActivityImplementation(
                        [](const objc::Id& self, objc::Id, objc::Id, foundation::UserActivityRestorationHandler) {
                            auto party = objc::as<Party>(self);
                            party->calls.push_back(party->name);
                            return party->answer;
                        }),
                    "B@:@@@?");
    objc::addMethod(
        made, kApplicationDidFailToRegisterForRemoteNotificationsSelector,
        appkit::RemoteNotificationsRegistrationImplementation([](const objc::Id& self, objc::Id, objc::Id error) {
            auto party = objc::as<Party>(self);
            party->calls.push_back(party->name + ": " + foundation::errorValue(error)->domain());
        }),
        "v@:@@");
    return made;
}

class AppDelegateSwizzler : public testsupport::EnvironmentFixture {
protected:
    void SetUp() override {
        EnvironmentFixture::SetUp();
        application_ = appkit::Application::shared();
        delegate_ = std::make_shared<Party>(delegateClass_, "delegate", calls_);
        application_->setDelegate(delegate_);
    }
    std::shared_ptr<Party> interceptor(const std::string& name, bool answer) {
        return std::make_shared<Party>(interceptorClass_, name, calls_, answer);
    }
    std::vector<std::string> logged(const std::string& code) {
        ZULLoggerFlushForTesting();
        std::vector<std::string> messages;
        for (const auto& entry : log_.entriesContaining("[" + code + "]")) messages.push_back(entry.message);
        return messages;
    }
    static bool continueActivity() {
        return appkit::Application::shared()->continueUserActivity(
            std::make_shared<foundation::UserActivity>("NSUserActivityTypeBrowsingWeb"), nullptr);
    }

    objc::Class* delegateClass_ = partyClass("KVTestSwizzledDelegate", true);
    objc::Class* plainDelegateClass_ = partyClass("KVTestPlainDelegate", false);
    objc::Class* interceptorClass_ = partyClass("KVTestInterceptor", true);
    darwin::LogCapture log_;
    std::vector<std::string> calls_;
    std::shared_ptr<appkit::Application> application_;
    std::shared_ptr<Party> delegate_;
};

TEST_F(AppDelegateSwizzler, TheProxiedDelegateIsASubclassThatStillDescribesItselfAsItsRealClass) {
    ZULSetLoggerLevel(ZULLoggerLevelDebug);
    log_.enableDebugLines();
    ZULAppDelegateSwizzler::proxyOriginalDelegate();

    objc::Class* proxyClass = objc::object_getClass(delegate_);
    EXPECT_TRUE(proxyClass->name().starts_with("ZUL_KVTestSwizzledDelegate-")) << proxyClass->name();
    EXPECT_EQ(proxyClass->superclass(), delegateClass_);
    EXPECT_TRUE(delegate_->description().starts_with("<KVTestSwizzledDelegate: 0x")) << delegate_->description();
    EXPECT_EQ(ZULAppDelegateSwizzler::originalDelegate(), delegate_);
    EXPECT_EQ(application_->delegate(), delegate_);
    EXPECT_EQ(logged("I-SWZ001008"),
              std::vector<std::string>{" - [ZadizuUtilities/AppDelegateSwizzler][I-SWZ001008] Successfully created App "
                                       "Delegate Proxy automatically. To disable the proxy, set the flag "
                                       "ZadizuUtilitiesAppDelegateProxyEnabled to NO (Boolean) in the Info.plist"});
}

TEST_F(AppDelegateSwizzler, ContinuingAnActivityAsksInterceptorsFirstAndOrsEveryAnswer) {
    struct Case {
        bool interceptorAnswers;
        bool delegateAnswers;
        bool delegateHasMethod;
        bool expected;
    };
    const Case cases[] = {{false, false, true, false},
                          {true, false, true, true},
                          {false, true, true, true},
                          {false, false, false, false},
                          {true, false, false, true}};
    for (const auto& testCase : cases) {
        SCOPED_TRACE(::testing::Message()
                     << testCase.interceptorAnswers << testCase.delegateAnswers << testCase.delegateHasMethod);
        ZULAppDelegateSwizzler::resetForTesting();
        calls_.clear();
        delegate_ = std::make_shared<Party>(testCase.delegateHasMethod ? delegateClass_ : plainDelegateClass_,
                                            "delegate", calls_, testCase.delegateAnswers);
        application_->setDelegate(delegate_);
        auto first = interceptor("first", testCase.interceptorAnswers);
        auto second = interceptor("second", false);
        ZULAppDelegateSwizzler::registerAppDelegateInterceptor(first);
        ZULAppDelegateSwizzler::registerAppDelegateInterceptor(second);
        ZULAppDelegateSwizzler::proxyOriginalDelegate();

        EXPECT_EQ(continueActivity(), testCase.expected);
        ASSERT_EQ(calls_.size(), testCase.delegateHasMethod ? 3u : 2u);
        if (testCase.delegateHasMethod) {
            EXPECT_EQ(calls_.back(), "delegate") << "the delegate's own method runs last";
        }
    }
}

TEST_F(AppDelegateSwizzler, AReleasedInterceptorIsDroppedWithAWarningWhileTheOthersAreStillCalled) {
    auto kept = interceptor("kept", false);
    auto released = interceptor("released", false);
    ZULAppDelegateSwizzler::registerAppDelegateInterceptor(kept);
    auto releasedID = ZULAppDelegateSwizzler::registerAppDelegateInterceptor(released);
    EXPECT_EQ(ZULAppDelegateSwizzler::registerAppDelegateInterceptor(kept),
              ZULAppDelegateSwizzler::registerAppDelegateInterceptor(kept));
    EXPECT_EQ(ZULAppDelegateSwizzler::interceptors()->count(), 2u) << "the same object is registered once";
    ZULAppDelegateSwizzler::proxyOriginalDelegate();
    released.reset();

    continueActivity();
    EXPECT_EQ(calls_, (std::vector<std::string>{"kept", "delegate"}));
    EXPECT_EQ(logged("I-SWZ001010").size(), 1u);
    EXPECT_NE(logged("I-SWZ001010")[0].find("cannot find interceptor with ID " + *releasedID), std::string::npos);
    EXPECT_EQ(ZULAppDelegateSwizzler::interceptors()->count(), 1u);

    ZULAppDelegateSwizzler::unregisterAppDelegateInterceptorWithID("ZUL_0x1");
    EXPECT_EQ(logged("I-SWZ001004"), std::vector<std::string>{" - [ZadizuUtilities/AppDelegateSwizzler][I-SWZ001004] "
                                                              "AppDelegateProxy cannot unregister interceptor that "
                                                              "was not registered. Interceptor ID ZUL_0x1"});
    EXPECT_EQ(ZULAppDelegateSwizzler::interceptors()->count(), 1u);
}

TEST_F(AppDelegateSwizzler, OnlyAFalseNumberInTheInfoPlistSwitchesTheProxyOff) {
    struct Case {
        std::string entries;
        bool proxied;
    };
    const Case cases[] = {
        {"<key>ZadizuUtilitiesAppDelegateProxyEnabled</key><false/>", false},
        {"<key>DoderivoAppDelegateProxyEnabled</key><integer>0</integer>", false},
        {"<key>ZadizuUtilitiesAppDelegateProxyEnabled</key><string>NO</string>", true},
        {"<key>DoderivoAppDelegateProxyEnabled</key><true/>", true},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.entries);
        ZULAppDelegateSwizzler::resetForTesting();
        delegate_ = std::make_shared<Party>(delegateClass_, "delegate", calls_);
        application_->setDelegate(delegate_);
        writeInfoPlist(testCase.entries);
        auto notices = logged("I-SWZ001011").size();
        ZULAppDelegateSwizzler::proxyOriginalDelegate();
        EXPECT_EQ(objc::object_getClass(delegate_) != delegateClass_, testCase.proxied);
        EXPECT_EQ(logged("I-SWZ001011").size(), notices + (testCase.proxied ? 0 : 1));
    }
}

TEST_F(AppDelegateSwizzler, ANilOrNonConformingDelegateIsLeftAsItIsWithANotice) {
    auto stranger = std::make_shared<objc::Object>();
    for (const objc::Id& delegate : {objc::Id(), stranger}) {
        ZULAppDelegateSwizzler::resetForTesting();
        application_->setDelegate(delegate);
        ZULAppDelegateSwizzler::proxyOriginalDelegate();
        EXPECT_EQ(ZULAppDelegateSwizzler::originalDelegate(), nullptr);
    }
    EXPECT_EQ(objc::object_getClass(stranger), objc::rootClass());
    EXPECT_EQ(logged("I-SWZ001014").size(), 2u);
    EXPECT_EQ(ZULAppDelegateSwizzler::createSubclassWithObject(nullptr), nullptr);
}

TEST_F(AppDelegateSwizzler, ReplacingTheApplicationsDelegateDropsTheProxiedOne) {
    ZULAppDelegateSwizzler::proxyOriginalDelegateIncludingAPNSMethods();
    ASSERT_EQ(ZULAppDelegateSwizzler::originalDelegate(), delegate_);
    auto successor = std::make_shared<Party>(delegateClass_, "successor", calls_);
    application_->setDelegate(successor);
    EXPECT_EQ(ZULAppDelegateSwizzler::originalDelegate(), nullptr);
    EXPECT_EQ(objc::object_getClass(successor), delegateClass_) << "the new delegate is not proxied";
}

TEST_F(AppDelegateSwizzler, RegistrationOutcomesReachInterceptorsBeforeTheDelegate) {
    auto listener = interceptor("interceptor", false);
    ZULAppDelegateSwizzler::registerAppDelegateInterceptor(listener);
    ZULAppDelegateSwizzler::proxyOriginalDelegateIncludingAPNSMethods();
    foundation::Clock::installManual();
    application_->registerForRemoteNotifications();
    ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle());
    EXPECT_EQ(calls_, (std::vector<std::string>{"interceptor: NSCocoaErrorDomain", "delegate: NSCocoaErrorDomain"}));
}

TEST_F(AppDelegateSwizzler, ProxyingAgainAfterAResetKeepsTheOneProxyAndCallsEveryoneOnce) {
    auto listener = interceptor("interceptor", false);
    ZULAppDelegateSwizzler::registerAppDelegateInterceptor(listener);
    ZULAppDelegateSwizzler::proxyOriginalDelegateIncludingAPNSMethods();
    objc::Class* proxyClass = objc::object_getClass(delegate_);
    ZULAppDelegateSwizzler::resetProxyOriginalDelegateOnceToken();
    ZULAppDelegateSwizzler::proxyOriginalDelegateIncludingAPNSMethods();

    EXPECT_EQ(objc::object_getClass(delegate_), proxyClass);
    EXPECT_FALSE(continueActivity());
    foundation::Clock::installManual();
    application_->registerForRemoteNotifications();
    ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle());
    EXPECT_EQ(calls_, (std::vector<std::string>{"interceptor", "delegate", "interceptor: NSCocoaErrorDomain",
                                                "delegate: NSCocoaErrorDomain"}));
}

TEST_F(AppDelegateSwizzler, ProgrammingErrorsAssertWithTheirMessagesOrLogAndGoOn) {
    auto reasonOf = [](const std::function<void()>& call) -> std::string {
        try {
            call();
        } catch (const foundation::Exception& exception) {
            return exception.reason();
        }
        return "no assertion";
    };
    auto stranger = std::make_shared<objc::Object>();
    EXPECT_EQ(reasonOf([] { ZULAppDelegateSwizzler::registerAppDelegateInterceptor(nullptr); }),
              "AppDelegateProxy cannot add nil interceptor");
    EXPECT_EQ(reasonOf([&] { ZULAppDelegateSwizzler::registerAppDelegateInterceptor(stranger); }),
              "AppDelegateProxy interceptor does not conform to UIApplicationDelegate");
    EXPECT_EQ(reasonOf([] { ZULAppDelegateSwizzler::unregisterAppDelegateInterceptorWithID(std::nullopt); }),
              "AppDelegateProxy cannot unregister nil interceptor ID.");
    EXPECT_EQ(reasonOf([] { ZULAppDelegateSwizzler::unregisterAppDelegateInterceptorWithID(""); }),
              "AppDelegateProxy cannot unregister empty interceptor ID.");

    foundation::AssertionHandler::setMode(foundation::AssertionMode::logAndContinue);
    EXPECT_EQ(ZULAppDelegateSwizzler::registerAppDelegateInterceptor(stranger), std::nullopt);
    EXPECT_EQ(logged("I-SWZ001001").size(), 1u);
    EXPECT_EQ(ZULAppDelegateSwizzler::interceptors()->count(), 0u);
}

TEST_F(AppDelegateSwizzler, ProxyingFromSeveralThreadsAtOnceMakesOneProxyClass) {
    objc::Class* threadedClass = partyClass("KVTestThreadedDelegate", true);
    delegate_ = std::make_shared<Party>(threadedClass, "delegate", calls_);
    application_->setDelegate(delegate_);
    std::vector<std::thread> threads;
    for (int index = 0; index < 8; ++index)
        threads.emplace_back([] { ZULAppDelegateSwizzler::proxyOriginalDelegateIncludingAPNSMethods(); });
    for (auto& thread : threads) thread.join();

    int proxyClasses = 0;
    for (objc::Class* runtimeClass : objc::copyClassList())
        if (runtimeClass->name().starts_with("ZUL_KVTestThreadedDelegate-")) ++proxyClasses;
    EXPECT_EQ(proxyClasses, 1);
    EXPECT_EQ(objc::object_getClass(delegate_)->superclass(), threadedClass);
    EXPECT_TRUE(objc::respondsToSelector(delegate_, appkit::kApplicationDidRegisterForRemoteNotificationsSelector));
    EXPECT_EQ(ZULAppDelegateSwizzler::originalDelegate(), delegate_);
}

}  // namespace
