#include "tests/sdk/utilities/PromiseTestSupport.hpp"

#include <gmock/gmock.h>

#include <algorithm>

using namespace promisetests;
using testing::ElementsAre;

namespace {

using ErrorPtr = ZPMPromise::ErrorPtr;

class PromiseChainOperators : public PromiseTest {};

TEST_F(PromiseChainOperators, ThenTransformsOnTheGivenQueue) {
    CallLog log;
    auto result = ZPMPromise::resolvedWith(number(2))->onQueueThen(testQueue(), [&](objc::Id value) {
        log.addOnQueue("then");
        return objc::Id(number(integerOf(value) * 3));
    });
    settle();
    EXPECT_THAT(log.entries(), ElementsAre(std::string("then@") + testQueueLabel));
    EXPECT_EQ(integerOf(result->value()), 6);
}

TEST_F(PromiseChainOperators, ThenIsSkippedForARejection) {
    auto failure = error(1);
    CallLog log;
    auto result = ZPMPromise::resolvedWith(failure)->then([&](objc::Id value) {
        log.add("then");
        return value;
    });
    settle();
    EXPECT_EQ(log.count(), 0u);
    EXPECT_EQ(result->error(), failure);
}

TEST_F(PromiseChainOperators, CatchSeesTheErrorAndKeepsTheRejection) {
    auto failure = error(5);
    CallLog log;
    auto caught = ZPMPromise::resolvedWith(failure)->onQueueCatch(
        testQueue(), [&](ErrorPtr seen) { log.addOnQueue("catch " + std::to_string(seen->code())); });
    auto passed = ZPMPromise::resolvedWith(number(1))->onQueueCatch(testQueue(), [&](ErrorPtr) { log.add("wrong"); });
    settle();
    EXPECT_THAT(log.entries(), ElementsAre(std::string("catch 5@") + testQueueLabel));
    EXPECT_EQ(caught->error(), failure);
    EXPECT_EQ(integerOf(passed->value()), 1);
}

TEST_F(PromiseChainOperators, AlwaysRunsOnEitherOutcomeAndPassesItOn) {
    auto failure = error(2);
    CallLog log;
    auto afterValue = ZPMPromise::resolvedWith(number(3))->onQueueAlways(testQueue(),
                                                                         [&] { log.addOnQueue("always"); });
    auto afterError = ZPMPromise::resolvedWith(failure)->onQueueAlways(testQueue(), [&] { log.addOnQueue("always"); });
    settle();
    std::string expected = std::string("always@") + testQueueLabel;
    EXPECT_THAT(log.entries(), ElementsAre(expected, expected));
    EXPECT_EQ(integerOf(afterValue->value()), 3);
    EXPECT_EQ(afterError->error(), failure);
}

TEST_F(PromiseChainOperators, RecoverReplacesARejectionOnly) {
    auto failure = error(4);
    auto replacement = error(8);
    auto later = ZPMPromise::pendingPromise();
    CallLog log;
    auto toValue = ZPMPromise::resolvedWith(failure)->onQueueRecover(testQueue(), [&](ErrorPtr seen) {
        log.addOnQueue("recover");
        return objc::Id(number(seen->code()));
    });
    auto toError = ZPMPromise::resolvedWith(failure)->recover([&](ErrorPtr) { return objc::Id(replacement); });
    auto toPromise = ZPMPromise::resolvedWith(failure)->recover([&](ErrorPtr) { return objc::Id(later); });
    auto untouched = ZPMPromise::resolvedWith(number(1))->recover([&](ErrorPtr) {
        log.add("wrong");
        return objc::Id();
    });
    settle();
    EXPECT_THAT(log.entries(), ElementsAre(std::string("recover@") + testQueueLabel));
    EXPECT_EQ(integerOf(toValue->value()), 4);
    EXPECT_EQ(toError->error(), replacement);
    EXPECT_TRUE(toPromise->isPending());
    EXPECT_EQ(integerOf(untouched->value()), 1);
    later->fulfill(number(9));
    settle();
    EXPECT_EQ(integerOf(toPromise->value()), 9);
}

TEST_F(PromiseChainOperators, ValidateChecksTheValueOnly) {
    CallLog log;
    auto accepted = ZPMPromise::resolvedWith(number(10))->onQueueValidate(testQueue(), [&](objc::Id value) {
        log.addOnQueue("validate");
        return integerOf(value) > 5;
    });
    auto refused = ZPMPromise::resolvedWith(number(1))->validate([](objc::Id value) { return integerOf(value) > 5; });
    auto failure = error(3);
    auto rejected = ZPMPromise::resolvedWith(failure)->validate([&](objc::Id) {
        log.add("wrong");
        return true;
    });
    settle();
    EXPECT_THAT(log.entries(), ElementsAre(std::string("validate@") + testQueueLabel));
    EXPECT_EQ(integerOf(accepted->value()), 10);
    ASSERT_TRUE(refused->isRejected());
    EXPECT_EQ(refused->error()->domain(), "com.zadizu.ZPMPromises.Error");
    EXPECT_EQ(refused->error()->code(), 2);
    EXPECT_EQ(refused->error()->userInfo()->count(), 0u);
    EXPECT_EQ(rejected->error(), failure);
}

TEST_F(PromiseChainOperators, ReduceFoldsItemsInOrder) {
    CallLog log;
    auto sum = ZPMPromise::resolvedWith(number(1))->onQueueReduce(
        testQueue(), array({number(2), number(3), number(4)}), [&](objc::Id partial, objc::Id item) {
            log.addOnQueue(partial->description() + "+" + item->description());
            // A promise result is followed before the next item.
            return objc::Id(ZPMPromise::resolvedWith(number(integerOf(partial) + integerOf(item))));
        });
    settle();
    std::string suffix = std::string("@") + testQueueLabel;
    EXPECT_THAT(log.entries(), ElementsAre("1+2" + suffix, "3+3" + suffix, "6+4" + suffix));
    EXPECT_EQ(integerOf(sum->value()), 10);
}

TEST_F(PromiseChainOperators, ReduceOfNothingIsTheReceiverItself) {
    auto receiver = ZPMPromise::pendingPromise();
    EXPECT_EQ(receiver->reduce(array({}), [](objc::Id partial, objc::Id) { return partial; }), receiver);
}

TEST_F(PromiseChainOperators, ReduceStopsAtTheFirstRejection) {
    auto failure = error(6);
    CallLog log;
    auto result = ZPMPromise::resolvedWith(number(0))->reduce(array({number(1), number(2), number(3)}),
                                                              [&](objc::Id partial, objc::Id item) -> objc::Id {
                                                                  log.add(item->description());
                                                                  if (integerOf(item) == 2) return failure;
                                                                  return number(integerOf(partial) + integerOf(item));
                                                              });
    settle();
    EXPECT_THAT(log.entries(), ElementsAre("1", "2"));
    EXPECT_EQ(result->error(), failure);
}

TEST_F(PromiseChainOperators, BlockFormsRunOnTheDefaultOrTheGivenQueue) {
    CallLog log;
    auto value = ZPMPromise::resolvedWith(number(1));
    auto failure = ZPMPromise::resolvedWith(error(2));
    auto note = [&](const char* name) { log.addOnQueue(name); };
    auto passValue = [&](const char* name) {
        return [&, name](objc::Id seen) {
            note(name);
            return seen;
        };
    };
    auto recover = [&](const char* name) {
        return [&, name](ZPMPromise::ErrorPtr) {
            note(name);
            return objc::Id(number(3));
        };
    };
    auto accept = [&](const char* name) {
        return [&, name](objc::Id) {
            note(name);
            return true;
        };
    };
    auto fold = [&](const char* name) {
        return [&, name](objc::Id partial, objc::Id) {
            note(name);
            return partial;
        };
    };
    const auto& queue = testQueue();
    std::vector<ZPMPromise::Ptr> results = {
        value->then()(passValue("then")),
        value->thenOn()(queue, passValue("thenOn")),
        failure->catch_()([&](ZPMPromise::ErrorPtr) { note("catch"); }),
        failure->catchOn()(queue, [&](ZPMPromise::ErrorPtr) { note("catchOn"); }),
        value->always()([&] { note("always"); }),
        value->alwaysOn()(queue, [&] { note("alwaysOn"); }),
        failure->recover()(recover("recover")),
        failure->recoverOn()(queue, recover("recoverOn")),
        value->validate()(accept("validate")),
        value->validateOn()(queue, accept("validateOn")),
        value->reduce()(array({number(9)}), fold("reduce")),
        value->reduceOn()(queue, array({number(9)}), fold("reduceOn")),
    };
    settle();
    std::vector<std::string> expected;
    for (std::string name : {"then", "catch", "always", "recover", "validate", "reduce"}) {
        expected.push_back(name + "@" + mainQueueLabel);
        expected.push_back(name + "On@" + testQueueLabel);
    }
    auto entries = log.entries();
    std::sort(entries.begin(), entries.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entries, expected);
    for (const auto& result : results) EXPECT_FALSE(result->isPending());
}

}  // namespace
