#include "tests/sdk/utilities/PromiseTestSupport.hpp"

#include "platform/foundation/Exception.hpp"

using namespace promisetests;

namespace {

using P = ZPMPromise;
using Queue = dispatch::QueuePtr;

struct OperatorCall {
    const char* label;
    const char* parameter;
    std::function<P::Ptr(const Queue& queue)> call;
};

// Names the row in test output instead of dumping its bytes.
void PrintTo(const OperatorCall& row, std::ostream* stream) { *stream << row.label; }

P::Ptr receiver() { return P::resolvedWith(nullptr); }

const auto anyValue = [](objc::Id value) { return value; };

class PromiseOperatorParameters : public PromiseTest, public testing::WithParamInterface<OperatorCall> {};

TEST_P(PromiseOperatorParameters, MissingParameterRaisesNamingIt) {
    expectAssertionFailure([&] { GetParam().call(testQueue()); },
                           std::string("Invalid parameter not satisfying: ") + GetParam().parameter);
}

TEST_P(PromiseOperatorParameters, WhenTheHandlerReturnsTheResultIsRejected) {
    foundation::AssertionHandler::setMode(foundation::AssertionMode::logAndContinue);
    auto result = GetParam().call(testQueue());
    foundation::AssertionHandler::setMode(foundation::AssertionMode::raise);
    ASSERT_TRUE(result);
    ASSERT_TRUE(result->isRejected());
    EXPECT_EQ(result->error()->domain(), foundation::NSPOSIXErrorDomain);
    EXPECT_EQ(result->error()->localizedDescription(),
              std::string("Invalid parameter not satisfying: ") + GetParam().parameter);
}

INSTANTIATE_TEST_SUITE_P(
    Operators, PromiseOperatorParameters,
    testing::Values(
        OperatorCall{"AllQueue", "queue", [](const Queue&) { return P::onQueueAll(nullptr, array({})); }},
        OperatorCall{"AllArray", "allPromises", [](const Queue& queue) { return P::onQueueAll(queue, nullptr); }},
        OperatorCall{"AnyQueue", "queue", [](const Queue&) { return P::onQueueAny(nullptr, array({})); }},
        OperatorCall{"AnyArray", "anyPromises", [](const Queue& queue) { return P::onQueueAny(queue, nullptr); }},
        OperatorCall{"RaceQueue", "queue", [](const Queue&) { return P::onQueueRace(nullptr, array({number(1)})); }},
        OperatorCall{"AlwaysQueue", "queue", [](const Queue&) { return receiver()->onQueueAlways(nullptr, [] {}); }},
        OperatorCall{"AlwaysWork", "work",
                     [](const Queue& queue) { return receiver()->onQueueAlways(queue, nullptr); }},
        OperatorCall{"AsyncQueue", "queue", [](const Queue&) { return P::onQueueAsync(nullptr, [](auto, auto) {}); }},
        OperatorCall{"AsyncWork", "work", [](const Queue& queue) { return P::onQueueAsync(queue, nullptr); }},
        OperatorCall{"CatchQueue", "queue",
                     [](const Queue&) { return receiver()->onQueueCatch(nullptr, [](auto) {}); }},
        OperatorCall{"CatchBlock", "reject",
                     [](const Queue& queue) { return receiver()->onQueueCatch(queue, nullptr); }},
        OperatorCall{"DelayQueue", "queue", [](const Queue&) { return receiver()->onQueueDelay(nullptr, 1); }},
        OperatorCall{"DoQueue", "queue", [](const Queue&) { return P::onQueueDo(nullptr, [] { return objc::Id(); }); }},
        OperatorCall{"DoWork", "work", [](const Queue& queue) { return P::onQueueDo(queue, nullptr); }},
        OperatorCall{"RecoverQueue", "queue",
                     [](const Queue&) { return receiver()->onQueueRecover(nullptr, [](auto) { return objc::Id(); }); }},
        OperatorCall{"RecoverBlock", "recovery",
                     [](const Queue& queue) { return receiver()->onQueueRecover(queue, nullptr); }},
        OperatorCall{"ReduceQueue", "queue",
                     [](const Queue&) {
                         return receiver()->onQueueReduce(nullptr, array({}),
                                                          [](objc::Id partial, objc::Id) { return partial; });
                     }},
        OperatorCall{"ReduceItems", "items",
                     [](const Queue& queue) {
                         return receiver()->onQueueReduce(queue, nullptr,
                                                          [](objc::Id partial, objc::Id) { return partial; });
                     }},
        OperatorCall{"ReduceBlock", "reducer",
                     [](const Queue& queue) { return receiver()->onQueueReduce(queue, array({}), nullptr); }},
        OperatorCall{
            "RetryQueue", "queue",
            [](const Queue&) { return P::onQueueAttempts(nullptr, 1, 0, nullptr, [] { return objc::Id(); }); }},
        OperatorCall{"RetryWork", "work",
                     [](const Queue& queue) { return P::onQueueAttempts(queue, 1, 0, nullptr, nullptr); }},
        OperatorCall{"ThenQueue", "queue", [](const Queue&) { return receiver()->onQueueThen(nullptr, anyValue); }},
        OperatorCall{"ThenWork", "work", [](const Queue& queue) { return receiver()->onQueueThen(queue, nullptr); }},
        OperatorCall{"TimeoutQueue", "queue", [](const Queue&) { return receiver()->onQueueTimeout(nullptr, 1); }},
        OperatorCall{"ValidateQueue", "queue",
                     [](const Queue&) { return receiver()->onQueueValidate(nullptr, [](auto) { return true; }); }},
        OperatorCall{"ValidateBlock", "predicate",
                     [](const Queue& queue) { return receiver()->onQueueValidate(queue, nullptr); }},
        OperatorCall{"WrapQueue", "queue",
                     [](const Queue&) { return P::onQueueWrapCompletion(nullptr, [](auto handler) { handler(); }); }},
        OperatorCall{"WrapWork", "work",
                     [](const Queue& queue) { return P::onQueueWrapDoubleOrErrorCompletion(queue, nullptr); }}),
    [](const testing::TestParamInfo<OperatorCall>& info) { return std::string(info.param.label); });

}  // namespace
