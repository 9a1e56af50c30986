#include "tests/sdk/utilities/PromiseTestSupport.hpp"

#include "platform/foundation/Exception.hpp"
#include "platform/foundation/Null.hpp"

#include <gmock/gmock.h>

using namespace promisetests;
using testing::ElementsAre;

namespace {

using ErrorPtr = ZPMPromise::ErrorPtr;

class PromiseCombinators : public PromiseTest {};

std::vector<objc::Id> itemsOf(const objc::Id& value) {
    auto list = foundation::arrayValue(value);
    EXPECT_TRUE(list) << "not an array";
    return list ? list->items() : std::vector<objc::Id>{};
}

TEST_F(PromiseCombinators, AllOfNothingIsFulfilledAtOnce) {
    for (auto result : {ZPMPromise::all(array({})), ZPMPromise::any(array({}))}) {
        ASSERT_TRUE(result->isFulfilled());
        EXPECT_TRUE(itemsOf(result->value()).empty());
    }
}

TEST_F(PromiseCombinators, AllGathersValuesInInputOrderWithNullForNil) {
    auto first = ZPMPromise::pendingPromise();
    auto second = ZPMPromise::pendingPromise();
    auto result = ZPMPromise::onQueueAll(testQueue(), array({number(1), first, second}));
    settle();
    second->fulfill(number(3));
    settle();
    EXPECT_TRUE(result->isPending()) << "waits for every promise";
    first->fulfill(nullptr);
    settle();
    auto values = itemsOf(result->value());
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(integerOf(values[0]), 1);
    EXPECT_EQ(values[1], foundation::Null::null());
    EXPECT_EQ(integerOf(values[2]), 3);
}

TEST_F(PromiseCombinators, AllRejectsWithTheFirstRejection) {
    auto first = ZPMPromise::pendingPromise();
    auto second = ZPMPromise::pendingPromise();
    auto result = ZPMPromise::all(array({first, second}));
    settle();
    auto failure = error(2);
    second->reject(failure);
    first->reject(error(1));
    settle();
    EXPECT_EQ(result->error(), failure);
}

TEST_F(PromiseCombinators, AllWithAnErrorInTheArrayRejectsWithoutWaiting) {
    auto failure = error(4);
    auto result = ZPMPromise::all(array({ZPMPromise::pendingPromise(), failure, number(1)}));
    settle();
    EXPECT_EQ(result->error(), failure);
}

TEST_F(PromiseCombinators, CombinatorsTakeTheArrayAsItWasAtTheCall) {
    using Combinator = ZPMPromise::Ptr (*)(ZPMPromise::ArrayPtr);
    struct Row {
        const char* combinator;
        Combinator call;
        objc::Id initial;
        objc::Id addedLater;
        bool pendingAfterwards;
    };
    // An item added after the call would hold all and any back, or settle race at once.
    const Row rows[] = {
        {"all", &ZPMPromise::all, number(1), ZPMPromise::pendingPromise(), false},
        {"any", &ZPMPromise::any, number(1), ZPMPromise::pendingPromise(), false},
        {"race", &ZPMPromise::race, ZPMPromise::pendingPromise(), number(1), true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.combinator);
        auto items = array({row.initial});
        auto result = row.call(items);
        items->addObject(row.addedLater);
        settle();
        EXPECT_EQ(result->isPending(), row.pendingAfterwards);
        if (!row.pendingAfterwards) {
            EXPECT_EQ(itemsOf(result->value()).size(), 1u);
        }
    }
}

TEST_F(PromiseCombinators, AnyCombinesValuesAndErrorsOnceAllHaveResolved) {
    auto first = ZPMPromise::pendingPromise();
    auto second = ZPMPromise::pendingPromise();
    auto third = ZPMPromise::pendingPromise();
    auto result = ZPMPromise::onQueueAny(testQueue(), array({first, second, third}));
    settle();
    auto firstError = error(1);
    auto secondError = error(2);
    third->fulfill(number(5));
    settle();
    EXPECT_TRUE(result->isPending()) << "a fulfilment alone does not settle any";
    first->reject(firstError);
    second->reject(secondError);
    settle();
    auto combined = itemsOf(result->value());
    ASSERT_EQ(combined.size(), 3u);
    EXPECT_EQ(combined[0], firstError);
    EXPECT_EQ(combined[1], secondError);
    EXPECT_EQ(integerOf(combined[2]), 5);
}

TEST_F(PromiseCombinators, AnyOfOnlyRejectionsRejectsWithTheLastToArrive) {
    auto first = ZPMPromise::pendingPromise();
    auto second = ZPMPromise::pendingPromise();
    auto third = ZPMPromise::pendingPromise();
    auto result = ZPMPromise::any(array({first, second, third}));
    settle();
    auto last = error(1);
    // All three resolve before any observer has run: the order of resolution still decides.
    second->reject(error(2));
    third->reject(error(3));
    first->reject(last);
    settle();
    EXPECT_EQ(result->error(), last);
}

TEST_F(PromiseCombinators, AnyTurnsPlainItemsIntoResolvedPromises) {
    auto failure = error(7);
    auto result = ZPMPromise::any(array({failure, number(1), foundation::Null::null()}));
    settle();
    auto combined = itemsOf(result->value());
    ASSERT_EQ(combined.size(), 3u);
    EXPECT_EQ(combined[0], failure);
    EXPECT_EQ(integerOf(combined[1]), 1);
    EXPECT_EQ(combined[2], foundation::Null::null());
}

TEST_F(PromiseCombinators, RaceWithAPlainValueSettlesAtOnce) {
    auto failure = error(9);
    auto pending = ZPMPromise::pendingPromise();
    auto byValue = ZPMPromise::onQueueRace(testQueue(), array({pending, number(7), number(8)}));
    auto byError = ZPMPromise::race(array({pending, failure}));
    settle();
    EXPECT_EQ(integerOf(byValue->value()), 7);
    EXPECT_EQ(byError->error(), failure);
}

TEST_F(PromiseCombinators, RaceIsDecidedByTheFirstToResolve) {
    auto first = ZPMPromise::pendingPromise();
    auto second = ZPMPromise::pendingPromise();
    auto fulfilledFirst = ZPMPromise::race(array({first, second}));
    settle();
    second->fulfill(number(2));
    first->reject(error(1));
    settle();
    EXPECT_EQ(integerOf(fulfilledFirst->value()), 2);

    auto third = ZPMPromise::pendingPromise();
    auto failure = error(3);
    auto rejectedFirst = ZPMPromise::race(array({third, ZPMPromise::pendingPromise()}));
    settle();
    third->reject(failure);
    settle();
    EXPECT_EQ(rejectedFirst->error(), failure);
}

TEST_F(PromiseCombinators, RaceOfNothingIsAProgrammingError) {
    expectAssertionFailure([] { ZPMPromise::race(array({})); }, "No promises to observe");
    expectAssertionFailure([] { ZPMPromise::race(nullptr); }, "No promises to observe");

    foundation::AssertionHandler::setMode(foundation::AssertionMode::logAndContinue);
    auto result = ZPMPromise::race(array({}));
    ASSERT_TRUE(result->isRejected());
    EXPECT_EQ(result->error()->localizedDescription(), "No promises to observe");
}

TEST_F(PromiseCombinators, BlockFormsCallTheSameOperators) {
    auto all = ZPMPromise::all()(array({number(1)}));
    auto allOn = ZPMPromise::allOn()(testQueue(), array({number(2)}));
    auto any = ZPMPromise::any()(array({number(3)}));
    auto anyOn = ZPMPromise::anyOn()(testQueue(), array({number(4)}));
    auto race = ZPMPromise::race()(array({number(5)}));
    auto raceOn = ZPMPromise::raceOn()(testQueue(), array({number(6)}));
    settle();
    EXPECT_EQ(integerOf(itemsOf(all->value()).at(0)), 1);
    EXPECT_EQ(integerOf(itemsOf(allOn->value()).at(0)), 2);
    EXPECT_EQ(integerOf(itemsOf(any->value()).at(0)), 3);
    EXPECT_EQ(integerOf(itemsOf(anyOn->value()).at(0)), 4);
    EXPECT_EQ(integerOf(race->value()), 5);
    EXPECT_EQ(integerOf(raceOn->value()), 6);
}

}  // namespace
