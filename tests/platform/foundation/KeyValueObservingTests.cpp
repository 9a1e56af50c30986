#include "platform/foundation/KeyValueObserving.hpp"

#include "platform/foundation/Null.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/objc/Runtime.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Heard {
    std::string keyPath;
    objc::Id object;
    objc::Id newValue;
    objc::Id oldValue;
    void* context;
};

// An observer whose runtime class records what it hears and may run an action meanwhile.
struct Recorder final : objc::Object {
    Recorder() : objc::Object(runtimeClass()) {}
    static objc::Class* runtimeClass() {
        static objc::Class* made = [] {
            auto* created = objc::defineClass("KVTestKeyValueRecorder");
            objc::addMethod(created, foundation::kObserveValueForKeyPathSelector,
                            foundation::ObserveValueForKeyPathImplementation(
                                [](const objc::Id& self, std::shared_ptr<foundation::String> keyPath, objc::Id object,
                                   std::shared_ptr<foundation::Dictionary> change, void* context) {
                                    auto recorder = objc::as<Recorder>(self);
                                    recorder->heard.push_back({keyPath->value(), object,
                                                               change->objectForKey(foundation::NSKeyValueChangeNewKey),
                                                               change->objectForKey(foundation::NSKeyValueChangeOldKey),
                                                               context});
                                    if (recorder->onChange) recorder->onChange();
                                }),
                            "v@:@@@^v");
            return created;
        }();
        return made;
    }
    std::vector<Heard> heard;
    std::function<void()> onChange;
};

TEST(KeyValueObserving, ObserversHearTheValuesTheyAskedForWithNilAsNull) {
    auto observed = std::make_shared<objc::Object>();
    auto both = std::make_shared<Recorder>();
    auto newOnly = std::make_shared<Recorder>();
    auto other = std::make_shared<Recorder>();
    int context = 0;
    foundation::addObserver(observed, both, "delegate",
                            foundation::NSKeyValueObservingOptionNew | foundation::NSKeyValueObservingOptionOld,
                            &context);
    foundation::addObserver(observed, newOnly, "delegate", foundation::NSKeyValueObservingOptionNew, nullptr);
    foundation::addObserver(observed, other, "title", foundation::NSKeyValueObservingOptionNew, nullptr);

    auto value = foundation::Number::withInteger(7);
    foundation::didChangeValueForKey(observed, "delegate", nullptr, value);

    ASSERT_EQ(both->heard.size(), 1u);
    EXPECT_EQ(both->heard[0].keyPath, "delegate");
    EXPECT_EQ(both->heard[0].object, observed);
    EXPECT_EQ(both->heard[0].newValue, value);
    EXPECT_EQ(both->heard[0].oldValue, foundation::Null::null());
    EXPECT_EQ(both->heard[0].context, &context);
    ASSERT_EQ(newOnly->heard.size(), 1u);
    EXPECT_EQ(newOnly->heard[0].oldValue, nullptr) << "old value not asked for";
    EXPECT_TRUE(other->heard.empty()) << "another key path";
}

TEST(KeyValueObserving, RemovedAndReleasedObserversHearNothingMore) {
    auto observed = std::make_shared<objc::Object>();
    auto remover = std::make_shared<Recorder>();
    auto removed = std::make_shared<Recorder>();
    auto released = std::make_shared<Recorder>();
    for (auto* observer : {&remover, &removed, &released})
        foundation::addObserver(observed, *observer, "delegate", foundation::NSKeyValueObservingOptionNew, nullptr);
    // The first observer takes the second off while it is being told of the change.
    remover->onChange = [&] { foundation::removeObserver(observed, removed, "delegate"); };
    released.reset();

    foundation::didChangeValueForKey(observed, "delegate", nullptr, nullptr);
    foundation::removeObserver(observed, remover, "delegate");
    foundation::didChangeValueForKey(observed, "delegate", nullptr, nullptr);

    EXPECT_EQ(remover->heard.size(), 1u);
    EXPECT_TRUE(removed->heard.empty());
}

}  // namespace
