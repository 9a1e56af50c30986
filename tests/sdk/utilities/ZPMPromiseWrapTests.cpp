#include "tests/sdk/utilities/PromiseTestSupport.hpp"

#include "platform/foundation/Null.hpp"
#include "platform/foundation/String.hpp"

#include <gmock/gmock.h>

using namespace promisetests;

namespace {

using ErrorPtr = ZPMPromise::ErrorPtr;
using P = ZPMPromise;

struct WrapCase {
    const char* member;
    // Calls the member's queue form with work that answers through its handler.
    std::function<ZPMPromise::Ptr(const dispatch::QueuePtr&)> call;
    // The fulfilled value's description, or empty when the promise must be rejected.
    std::string expectedValue;
};

// Names the row in test output instead of dumping its bytes.
void PrintTo(const WrapCase& row, std::ostream* stream) { *stream << row.member; }

const ErrorPtr& failure() {
    static const auto value = error(42, "wrap.tests");
    return value;
}

objc::Id text() { return foundation::String::make("text"); }

class PromiseWrap : public PromiseTest, public testing::WithParamInterface<WrapCase> {};

TEST_P(PromiseWrap, HandlerArgumentsSettleThePromiseOnTheQueue) {
    auto result = GetParam().call(testQueue());
    settle();
    if (GetParam().expectedValue.empty()) {
        ASSERT_TRUE(result->isRejected());
        EXPECT_EQ(result->error(), failure());
    } else {
        ASSERT_TRUE(result->isFulfilled());
        auto value = result->value();
        EXPECT_EQ(value ? value->description() : "nil", GetParam().expectedValue);
    }
}

// Each row runs its work on the test queue and records the label there.
template <class Handler, class Invoke>
std::function<ZPMPromise::Ptr(const dispatch::QueuePtr&)> wrapped(
    ZPMPromise::Ptr (*queueForm)(dispatch::QueuePtr, ZPMPromise::WrapWorkBlock<Handler>), Invoke invoke) {
    return [queueForm, invoke](const dispatch::QueuePtr& queue) {
        return queueForm(queue, [invoke](Handler handler) {
            EXPECT_EQ(dispatch::currentQueueLabel(), testQueueLabel);
            invoke(handler);
        });
    };
}

INSTANTIATE_TEST_SUITE_P(
    TwelveMembers, PromiseWrap,
    testing::Values(
        WrapCase{"Completion", wrapped(&P::onQueueWrapCompletion, [](auto handler) { handler(); }), "nil"},
        WrapCase{"Object", wrapped(&P::onQueueWrapObjectCompletion, [](auto handler) { handler(text()); }), "text"},
        WrapCase{"ObjectGivenAnError",
                 wrapped(&P::onQueueWrapObjectCompletion, [](auto handler) { handler(failure()); }), ""},
        WrapCase{"ErrorNil", wrapped(&P::onQueueWrapErrorCompletion, [](auto handler) { handler(nullptr); }), "nil"},
        WrapCase{"Error", wrapped(&P::onQueueWrapErrorCompletion, [](auto handler) { handler(failure()); }), ""},
        WrapCase{"ObjectOrError",
                 wrapped(&P::onQueueWrapObjectOrErrorCompletion, [](auto handler) { handler(text(), nullptr); }),
                 "text"},
        WrapCase{"ObjectOrErrorWithBoth",
                 wrapped(&P::onQueueWrapObjectOrErrorCompletion, [](auto handler) { handler(text(), failure()); }), ""},
        WrapCase{"ErrorOrObject",
                 wrapped(&P::onQueueWrapErrorOrObjectCompletion, [](auto handler) { handler(nullptr, text()); }),
                 "text"},
        WrapCase{"ErrorOrObjectWithError",
                 wrapped(&P::onQueueWrapErrorOrObjectCompletion, [](auto handler) { handler(failure(), nullptr); }),
                 ""},
        WrapCase{"TwoObjects",
                 wrapped(&P::onQueueWrap2ObjectsOrErrorCompletion,
                         [](auto handler) { handler(text(), number(2), nullptr); }),
                 "(\n    text,\n    2\n)"},
        WrapCase{
            "TwoNils",
            wrapped(&P::onQueueWrap2ObjectsOrErrorCompletion, [](auto handler) { handler(nullptr, nullptr, nullptr); }),
            "(\n    <null>,\n    <null>\n)"},
        WrapCase{
            "TwoObjectsWithError",
            wrapped(&P::onQueueWrap2ObjectsOrErrorCompletion, [](auto handler) { handler(text(), text(), failure()); }),
            ""},
        WrapCase{"Bool", wrapped(&P::onQueueWrapBoolCompletion, [](auto handler) { handler(true); }), "1"},
        WrapCase{"BoolOrError",
                 wrapped(&P::onQueueWrapBoolOrErrorCompletion, [](auto handler) { handler(false, nullptr); }), "0"},
        WrapCase{"BoolOrErrorWithError",
                 wrapped(&P::onQueueWrapBoolOrErrorCompletion, [](auto handler) { handler(true, failure()); }), ""},
        WrapCase{"Integer", wrapped(&P::onQueueWrapIntegerCompletion, [](auto handler) { handler(-7); }), "-7"},
        WrapCase{"IntegerOrError",
                 wrapped(&P::onQueueWrapIntegerOrErrorCompletion, [](auto handler) { handler(9, nullptr); }), "9"},
        WrapCase{"IntegerOrErrorWithError",
                 wrapped(&P::onQueueWrapIntegerOrErrorCompletion, [](auto handler) { handler(9, failure()); }), ""},
        WrapCase{"Double", wrapped(&P::onQueueWrapDoubleCompletion, [](auto handler) { handler(0.5); }), "0.5"},
        WrapCase{"DoubleOrError",
                 wrapped(&P::onQueueWrapDoubleOrErrorCompletion, [](auto handler) { handler(2.25, nullptr); }), "2.25"},
        WrapCase{"DoubleOrErrorWithError",
                 wrapped(&P::onQueueWrapDoubleOrErrorCompletion, [](auto handler) { handler(2.25, failure()); }), ""}),
    [](const testing::TestParamInfo<WrapCase>& info) { return std::string(info.param.member); });

class PromiseWrapForms : public PromiseTest {};

TEST_F(PromiseWrapForms, KeptHandlerSettlesLaterAndOnlyOnce) {
    ZPMPromise::ObjectOrErrorCompletionHandler kept;
    auto result = ZPMPromise::wrapObjectOrErrorCompletion([&](auto handler) { kept = handler; });
    settle();
    ASSERT_TRUE(kept);
    EXPECT_TRUE(result->isPending());
    kept(number(1), nullptr);
    kept(nullptr, failure());
    settle();
    EXPECT_EQ(integerOf(result->value()), 1);
}

TEST_F(PromiseWrapForms, DefaultAndBlockFormsRunOnTheirQueues) {
    CallLog log;
    auto work = [&](ZPMPromise::IntegerCompletionHandler handler) {
        log.addOnQueue("work");
        handler(static_cast<std::int64_t>(log.count()));
    };
    auto byDefault = ZPMPromise::wrapIntegerCompletion(work);
    settle();
    auto byBlock = ZPMPromise::wrapIntegerCompletion()(work);
    settle();
    auto byBlockOn = ZPMPromise::wrapIntegerCompletionOn()(testQueue(), work);
    settle();
    EXPECT_THAT(log.entries(),
                testing::ElementsAre(std::string("work@") + mainQueueLabel, std::string("work@") + mainQueueLabel,
                                     std::string("work@") + testQueueLabel));
    EXPECT_EQ(integerOf(byDefault->value()), 1);
    EXPECT_EQ(integerOf(byBlock->value()), 2);
    EXPECT_EQ(integerOf(byBlockOn->value()), 3);
}

}  // namespace
