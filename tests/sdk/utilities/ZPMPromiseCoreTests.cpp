#include "tests/sdk/utilities/PromiseTestSupport.hpp"

#include "platform/foundation/Exception.hpp"
#include "platform/foundation/String.hpp"
#include "platform/objc/Class.hpp"

#include <gmock/gmock.h>

using namespace promisetests;
using testing::ElementsAre;
using testing::MatchesRegex;

namespace {

using State = ZPMPromise::State;

class PromiseCore : public PromiseTest {};

TEST_F(PromiseCore, FulfillStoresTheValueOnce) {
    auto promise = ZPMPromise::pendingPromise();
    EXPECT_TRUE(promise->isPending());
    EXPECT_EQ(promise->value(), nullptr);

    auto first = number(1);
    promise->fulfill(first);
    promise->fulfill(number(2));
    promise->reject(error(3));

    EXPECT_TRUE(promise->isFulfilled());
    EXPECT_FALSE(promise->isPending());
    EXPECT_FALSE(promise->isRejected());
    EXPECT_EQ(promise->value(), first);
    EXPECT_EQ(promise->error(), nullptr);
}

TEST_F(PromiseCore, FulfillingWithAnErrorRejects) {
    auto promise = ZPMPromise::pendingPromise();
    auto failure = error(7);
    promise->fulfill(failure);

    EXPECT_TRUE(promise->isRejected());
    EXPECT_EQ(promise->error(), failure);
    EXPECT_EQ(promise->value(), nullptr);
}

TEST_F(PromiseCore, ResolvingTwiceCallsNobodyAgain) {
    auto promise = ZPMPromise::pendingPromise();
    CallLog log;
    promise->observeOnQueue(
        testQueue(), [&](objc::Id value) { log.add("fulfilled " + value->description()); },
        [&](ZPMPromise::ErrorPtr failure) { log.add("rejected " + std::to_string(failure->code())); });
    auto failure = error(4);
    promise->reject(failure);
    promise->fulfill(number(5));
    promise->reject(error(6));
    settle();

    EXPECT_THAT(log.entries(), ElementsAre("rejected 4"));
    EXPECT_EQ(promise->error(), failure);
    EXPECT_EQ(promise->value(), nullptr);
}

TEST_F(PromiseCore, ResolvedWithSetsTheStateFromTheObject) {
    auto fulfilledWithNil = ZPMPromise::resolvedWith(nullptr);
    EXPECT_TRUE(fulfilledWithNil->isFulfilled());
    EXPECT_EQ(fulfilledWithNil->value(), nullptr);

    auto failure = error(1);
    auto rejected = ZPMPromise::resolvedWith(failure);
    EXPECT_TRUE(rejected->isRejected());
    EXPECT_EQ(rejected->error(), failure);

    auto made = ZPMPromise::resolved()(number(8));
    EXPECT_EQ(integerOf(made->value()), 8);
    EXPECT_TRUE(ZPMPromise::pending()()->isPending());
}

TEST_F(PromiseCore, ObserverAddedAfterResolutionRunsOnceOnItsQueue) {
    auto promise = ZPMPromise::resolvedWith(number(3));
    CallLog mainLog;
    promise->observeOnQueue(
        dispatch::mainQueue(), [&](objc::Id) { mainLog.add("main"); }, [](ZPMPromise::ErrorPtr) {});
    EXPECT_EQ(mainLog.count(), 0u) << "observers never run inside the call";
    settle();
    EXPECT_EQ(mainLog.count(), 1u);
    CallLog log;
    promise->observeOnQueue(
        testQueue(), [&](objc::Id value) { log.addOnQueue("value " + value->description()); },
        [&](ZPMPromise::ErrorPtr) { log.addOnQueue("error"); });
    settle();
    EXPECT_THAT(log.entries(), ElementsAre(std::string("value 3@") + testQueueLabel));
}

TEST_F(PromiseCore, ObserversRunInTheOrderTheyWereAdded) {
    auto promise = ZPMPromise::pendingPromise();
    CallLog log;
    for (int index = 0; index < 5; ++index)
        promise->observeOnQueue(
            testQueue(), [&log, index](objc::Id) { log.add(std::to_string(index)); }, [](ZPMPromise::ErrorPtr) {});
    promise->fulfill(nullptr);
    settle();
    EXPECT_THAT(log.entries(), ElementsAre("0", "1", "2", "3", "4"));
}

TEST_F(PromiseCore, DefaultQueueIsTheMainQueueUntilReplaced) {
    EXPECT_EQ(ZPMPromise::defaultDispatchQueue()->label(), mainQueueLabel);
    CallLog log;
    ZPMPromise::resolvedWith(nullptr)->then([&](objc::Id value) {
        log.addOnQueue("then");
        return value;
    });
    settle();

    ZPMPromise::setDefaultDispatchQueue(testQueue());
    EXPECT_EQ(ZPMPromise::defaultDispatchQueue(), testQueue());
    ZPMPromise::resolvedWith(nullptr)->then([&](objc::Id value) {
        log.addOnQueue("then");
        return value;
    });
    settle();
    EXPECT_THAT(log.entries(),
                ElementsAre(std::string("then@") + mainQueueLabel, std::string("then@") + testQueueLabel));
}

TEST_F(PromiseCore, DescriptionShowsClassAddressAndOutcome) {
    auto pending = ZPMPromise::pendingPromise();
    EXPECT_THAT(pending->description(), MatchesRegex("<ZPMPromise 0x[0-9a-f]+> Pending"));
    pending->fulfill(foundation::String::make("done"));
    EXPECT_THAT(pending->description(), MatchesRegex("<ZPMPromise 0x[0-9a-f]+> Fulfilled: done"));
    EXPECT_THAT(ZPMPromise::resolvedWith(nullptr)->description(), MatchesRegex(".*> Fulfilled: \\(null\\)"));
    EXPECT_THAT(ZPMPromise::resolvedWith(error(2, "test.domain"))->description(),
                MatchesRegex(".*> Rejected: Error Domain=test.domain Code=2 .*"));
}

TEST_F(PromiseCore, PendingObjectsLiveUntilResolution) {
    auto promise = ZPMPromise::pendingPromise();
    std::weak_ptr<objc::Object> first;
    std::weak_ptr<objc::Object> equalToFirst;
    {
        auto kept = foundation::String::make("kept");
        auto alsoKept = foundation::String::make("kept");
        first = kept;
        equalToFirst = alsoKept;
        promise->addPendingObject(kept);
        promise->addPendingObject(alsoKept);
    }
    EXPECT_FALSE(first.expired());
    EXPECT_FALSE(equalToFirst.expired()) << "an equal but distinct object is kept too";
    promise->fulfill(nullptr);
    EXPECT_TRUE(first.expired());
    EXPECT_TRUE(equalToFirst.expired());

    auto late = foundation::String::make("late");
    promise->addPendingObject(late);
    EXPECT_EQ(late.use_count(), 1) << "a resolved promise keeps nothing";
}

TEST_F(PromiseCore, RejectingWithSomethingElseThanAnErrorIsAProgrammingError) {
    auto promise = ZPMPromise::pendingPromise();
    expectAssertionFailure([&] { promise->reject(foundation::String::make("oops")); }, "Invalid error type.");
    expectAssertionFailure([&] { promise->reject(nullptr); }, "Invalid error type.");
    EXPECT_TRUE(promise->isPending());

    foundation::AssertionHandler::setMode(foundation::AssertionMode::logAndContinue);
    auto object = foundation::String::make("thrown");
    try {
        promise->reject(object);
        FAIL() << "expected the object itself to be thrown";
    } catch (const objc::Id& thrown) {
        EXPECT_EQ(thrown, object);
    }
    EXPECT_TRUE(promise->isPending());
}

struct MissingParameter {
    const char* label;
    const char* name;
    std::function<void(const dispatch::QueuePtr& queue)> call;
};

// Names the row in test output instead of dumping its bytes.
void PrintTo(const MissingParameter& row, std::ostream* stream) { *stream << row.label; }

class PromiseCoreParameters : public PromiseTest, public testing::WithParamInterface<MissingParameter> {};

TEST_P(PromiseCoreParameters, NilParameterRaisesNamingIt) {
    expectAssertionFailure([&] { GetParam().call(testQueue()); },
                           std::string("Invalid parameter not satisfying: ") + GetParam().name);
}

const auto ignoreValue = [](objc::Id) {};
const auto ignoreError = [](ZPMPromise::ErrorPtr) {};

INSTANTIATE_TEST_SUITE_P(
    Core, PromiseCoreParameters,
    testing::Values(MissingParameter{"SetDefaultQueue", "queue",
                                     [](const dispatch::QueuePtr&) { ZPMPromise::setDefaultDispatchQueue(nullptr); }},
                    MissingParameter{"ObserveQueue", "queue",
                                     [](const dispatch::QueuePtr&) {
                                         ZPMPromise::resolvedWith(nullptr)->observeOnQueue(nullptr, ignoreValue,
                                                                                           ignoreError);
                                     }},
                    MissingParameter{"ObserveFulfill", "onFulfill",
                                     [](const dispatch::QueuePtr& queue) {
                                         ZPMPromise::resolvedWith(nullptr)->observeOnQueue(queue, nullptr, ignoreError);
                                     }},
                    MissingParameter{"ObserveReject", "onReject",
                                     [](const dispatch::QueuePtr& queue) {
                                         ZPMPromise::resolvedWith(nullptr)->observeOnQueue(queue, ignoreValue, nullptr);
                                     }},
                    MissingParameter{"ChainQueue", "queue",
                                     [](const dispatch::QueuePtr&) {
                                         ZPMPromise::resolvedWith(nullptr)->chainOnQueue(nullptr, nullptr, nullptr);
                                     }},
                    MissingParameter{
                        "PendingObject", "object",
                        [](const dispatch::QueuePtr&) { ZPMPromise::pendingPromise()->addPendingObject(nullptr); }}),
    [](const testing::TestParamInfo<MissingParameter>& info) { return std::string(info.param.label); });

TEST_F(PromiseCore, WhenTheAssertionHandlerReturnsACallWithANilQueueChangesNothing) {
    foundation::AssertionHandler::setMode(foundation::AssertionMode::logAndContinue);
    ZPMPromise::setDefaultDispatchQueue(nullptr);
    EXPECT_EQ(ZPMPromise::defaultDispatchQueue()->label(), mainQueueLabel);

    auto chained = ZPMPromise::resolvedWith(nullptr)->chainOnQueue(nullptr, nullptr, nullptr);
    ASSERT_TRUE(chained->isRejected());
    EXPECT_EQ(chained->error()->domain(), foundation::NSPOSIXErrorDomain);
    EXPECT_EQ(chained->error()->localizedDescription(), "Invalid parameter not satisfying: queue");
}

// A promise type of its own: operators on it answer promises of the same type.
class TaggedPromise : public ZPMPromise {
public:
    TaggedPromise() : ZPMPromise(InitPending{}, objc::defineClass("TaggedPromise")) {}

protected:
    Ptr makePendingPromise() const override { return std::make_shared<TaggedPromise>(); }
};

TEST_F(PromiseCore, ChainedPromisesAreOfTheReceiversClass) {
    auto receiver = std::make_shared<TaggedPromise>();
    auto chained = receiver->then([](objc::Id value) { return value; });
    auto delayed = receiver->delay(1);
    EXPECT_TRUE(std::dynamic_pointer_cast<TaggedPromise>(chained));
    EXPECT_TRUE(std::dynamic_pointer_cast<TaggedPromise>(delayed));
    EXPECT_THAT(chained->description(), MatchesRegex("<TaggedPromise 0x[0-9a-f]+> Pending"));
    receiver->fulfill(number(1));
    settle();
    advanceSeconds(1);
    EXPECT_EQ(integerOf(chained->value()), 1);
    EXPECT_EQ(integerOf(delayed->value()), 1);
}

}  // namespace
