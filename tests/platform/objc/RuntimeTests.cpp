#include "platform/objc/Associations.hpp"
#include "platform/objc/Invocation.hpp"
#include "platform/objc/Protocol.hpp"
#include "platform/objc/Runtime.hpp"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(Runtime, MessagesDispatchThroughTheCurrentClassAndItsSuperclasses) {
    objc::Class* animal = objc::defineClass("KVTestAnimal");
    objc::Class* dog = objc::defineClass("KVTestDog", animal);
    objc::addMethod<std::string>(animal, "sound", objc::InstanceImplementation<std::string>(
                                                      [](const objc::Id&) { return std::string("..."); }),
                                 "@@:");
    objc::addMethod<std::string>(dog, "name", objc::InstanceImplementation<std::string>(
                                                  [](const objc::Id&) { return std::string("dog"); }),
                                 "@@:");
    auto rex = std::make_shared<objc::Object>(dog);

    EXPECT_EQ(objc::send<std::string>(rex, "sound"), "...");
    EXPECT_EQ(objc::send<std::string>(rex, "name"), "dog");
    EXPECT_TRUE(objc::respondsToSelector(rex, "sound"));
    EXPECT_FALSE(objc::respondsToSelector(rex, "fly"));
    EXPECT_THROW(objc::send<std::string>(rex, "fly"), objc::UnrecognizedSelector);
    EXPECT_THROW(objc::send<int>(rex, "name"), objc::UnrecognizedSelector) << "wrong signature";
    EXPECT_EQ(objc::send<std::string>(nullptr, "sound"), "") << "messages to nil answer a default value";

    objc::Class* previous = objc::object_setClass(rex, animal);
    EXPECT_EQ(previous, dog);
    EXPECT_FALSE(objc::respondsToSelector(rex, "name")) << "isa switching changes what the object answers";
}

TEST(Runtime, RegistryFindsOnlyRegisteredClassesAndRefusesTakenNames) {
    objc::Class* pending = objc::allocateClassPair(objc::rootClass(), "KVTestPending");
    ASSERT_NE(pending, nullptr);
    EXPECT_EQ(objc::lookUpClass("KVTestPending"), nullptr);
    EXPECT_EQ(objc::allocateClassPair(objc::rootClass(), "KVTestPending"), nullptr);
    EXPECT_TRUE(pending->addIvar("count", 8, 3, "q"));
    objc::registerClassPair(pending);
    EXPECT_EQ(objc::lookUpClass("KVTestPending"), pending);
    EXPECT_FALSE(pending->addIvar("late", 8, 3, "q")) << "no ivars once registered";
    EXPECT_EQ(objc::lookUpClass("NSObject"), objc::rootClass());
}

TEST(Runtime, DefineClassFromManyThreadsAtOnceGivesEveryoneTheSameClass) {
    // Foundation objects define their class on first construction, from whatever thread.
    constexpr int names = 10000, threadsPerName = 4;
    std::vector<std::array<objc::Class*, threadsPerName>> seen(names);
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int slot = 0; slot < threadsPerName; ++slot)
        threads.emplace_back([&, slot] {
            ready.fetch_add(1);
            while (ready.load() < threadsPerName) std::this_thread::yield();
            for (int name = 0; name < names; ++name)
                seen[name][slot] = objc::defineClass("KVTestRacingClass" + std::to_string(name));
        });
    for (auto& thread : threads) thread.join();
    for (int name = 0; name < names; ++name) {
        auto* expected = objc::lookUpClass("KVTestRacingClass" + std::to_string(name));
        ASSERT_NE(expected, nullptr);
        for (auto* runtimeClass : seen[name]) EXPECT_EQ(runtimeClass, expected) << "class " << name;
    }
}

TEST(Runtime, ProtocolsAndReplacedMethodsFollowTheChain) {
    objc::Class* base = objc::defineClass("KVTestBase");
    objc::Class* derived = objc::defineClass("KVTestDerived", base);
    base->addProtocol("KVTestDelegate");
    auto object = std::make_shared<objc::Object>(derived);
    EXPECT_TRUE(objc::conformsToProtocol(object, "KVTestDelegate"));
    EXPECT_FALSE(objc::conformsToProtocol(object, "KVTestOther"));

    objc::addMethod<int>(base, "value", objc::InstanceImplementation<int>([](const objc::Id&) { return 1; }), "i@:");
    objc::Implementation previous =
        derived->replaceMethod("value", objc::InstanceImplementation<int>([](const objc::Id&) { return 2; }), "i@:");
    EXPECT_FALSE(previous) << "the subclass had no implementation of its own";
    EXPECT_EQ(objc::send<int>(object, "value"), 2);
    EXPECT_EQ(objc::send<int>(std::make_shared<objc::Object>(base), "value"), 1);
}

TEST(AssociatedObjects, PoliciesDecideWhatTheOwnerKeeps) {
    static const char key = 0;
    struct Case {
        objc::AssociationPolicy policy;
        bool keptAlive;
        bool copied;
    };
    const Case cases[] = {
        {objc::AssociationPolicy::assign, false, false},
        {objc::AssociationPolicy::retainNonatomic, true, false},
        {objc::AssociationPolicy::copyNonatomic, true, true},
        {objc::AssociationPolicy::retain, true, false},
        {objc::AssociationPolicy::copy, true, true},
    };
    struct Copyable : objc::Object {
        objc::Id copy() const override { return std::make_shared<Copyable>(); }
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(static_cast<unsigned>(testCase.policy));
        auto owner = std::make_shared<objc::Object>();
        auto value = std::make_shared<Copyable>();
        objc::setAssociatedObject(owner, &key, value, testCase.policy);
        objc::Id stored = objc::getAssociatedObject(owner, &key);
        ASSERT_NE(stored, nullptr);
        EXPECT_EQ(stored != value, testCase.copied);
        std::weak_ptr<objc::Object> watch = stored;
        stored.reset();
        value.reset();
        EXPECT_EQ(!watch.expired(), testCase.keptAlive);
        EXPECT_EQ(objc::getAssociatedObject(owner, &key) != nullptr, testCase.keptAlive);
        owner.reset();
        EXPECT_TRUE(watch.expired()) << "associations are released with their owner";
    }
}

TEST(AssociatedObjects, SettingNilRemovesTheAssociation) {
    static const char key = 0;
    auto owner = std::make_shared<objc::Object>();
    objc::setAssociatedObject(owner, &key, std::make_shared<objc::Object>(), objc::AssociationPolicy::retain);
    objc::setAssociatedObject(owner, &key, nullptr, objc::AssociationPolicy::retain);
    EXPECT_EQ(objc::getAssociatedObject(owner, &key), nullptr);
}

}  // namespace

namespace {

TEST(Runtime, IvarsGrowTheInstanceSizeAtAlignedOffsetsAndHoldObjectValues) {
    objc::Class* base = objc::defineClass("KVTestIvarBase");
    objc::Class* holder = objc::allocateClassPair(base, "KVTestIvarHolder");
    const std::size_t baseSize = base->instanceSize();
    ASSERT_TRUE(holder->addIvar("flag", 1, 0, "c"));
    ASSERT_TRUE(holder->addIvar("count", 8, 3, "q"));
    ASSERT_TRUE(holder->addIvar("name", 8, 3, "@"));
    EXPECT_FALSE(holder->addIvar("name", 8, 3, "@")) << "names are unique";
    objc::registerClassPair(holder);

    auto ivars = holder->ivars();
    ASSERT_EQ(ivars.size(), 3u);
    EXPECT_EQ(ivars[0]->offset, baseSize);
    EXPECT_EQ(ivars[1]->offset % 8, 0u) << "aligned past the one-byte flag";
    EXPECT_GT(ivars[1]->offset, ivars[0]->offset);
    EXPECT_EQ(holder->instanceSize(), ivars[2]->offset + 8);

    auto object = std::make_shared<objc::Object>(holder);
    EXPECT_EQ(objc::object_getIvar(object, ivars[2]), nullptr);
    auto value = std::make_shared<objc::Object>();
    objc::object_setIvar(object, ivars[2], value);
    EXPECT_EQ(objc::object_getIvar(object, ivars[2]), value);
    EXPECT_EQ(objc::object_getIvar(std::make_shared<objc::Object>(holder), ivars[2]), nullptr) << "per object";
}

TEST(Runtime, TypeEncodingsSplitIntoTheirTypes) {
    struct Case {
        const char* encoding;
        std::vector<std::string> types;
    };
    const Case cases[] = {
        {"v@:@@", {"v", "@", ":", "@", "@"}},
        {"B40@0:8@16@24@?32", {"B", "@", ":", "@", "@", "@?"}},
        {"v@:^{CGPoint=dd}r*[4i]", {"v", "@", ":", "^{CGPoint=dd}", "r*", "[4i]"}},
        {"@\"NSString\"@:", {"@\"NSString\"", "@", ":"}},
        {"v@:{broken", {}},
        {"v@:%", {}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.encoding);
        EXPECT_EQ(objc::splitTypeEncoding(testCase.encoding), testCase.types);
    }
    EXPECT_EQ(objc::MethodSignature::signatureWithObjCTypes("v@"), nullptr) << "no selector argument";
}

TEST(Invocation, SendsThroughTheTargetsCurrentClassWithObjectArgumentsStartingNil) {
    objc::Class* receiverClass = objc::defineClass("KVTestInvocationReceiver");
    std::vector<std::pair<objc::Id, objc::Id>> received;
    objc::addMethod<void, objc::Id, objc::Id>(
        receiverClass, "take:and:",
        objc::InstanceImplementation<void, objc::Id, objc::Id>(
            [&](const objc::Id&, objc::Id first, objc::Id second) { received.emplace_back(first, second); }),
        "v@:@@");
    auto protocol = objc::defineProtocol("KVTestInvocationProtocol");
    protocol->addMethodDescription("take:and:", "v32@0:8@16@24", objc::MethodRequirement::optional,
                                   objc::MethodKind::instance);
    auto description = protocol->methodDescription("take:and:", objc::MethodRequirement::optional,
                                                   objc::MethodKind::instance);
    ASSERT_TRUE(description);
    EXPECT_FALSE(protocol->methodDescription("take:and:", objc::MethodRequirement::required,
                                             objc::MethodKind::instance));

    auto invocation = objc::Invocation::invocationWithMethodSignature(
        objc::MethodSignature::signatureWithObjCTypes(description->typeEncoding));
    ASSERT_NE(invocation, nullptr);
    auto target = std::make_shared<objc::Object>(receiverClass);
    auto argument = std::make_shared<objc::Object>();
    invocation->setTarget(target);
    invocation->setSelector("take:and:");
    invocation->setArgument(objc::Id(argument), 3);
    invocation->invoke();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].first, nullptr);
    EXPECT_EQ(received[0].second, argument);

    EXPECT_THROW(invocation->setArgument(objc::Id(), 4), std::out_of_range);
    invocation->setArgument(42, 2);
    EXPECT_THROW(invocation->invoke(), objc::UnrecognizedSelector) << "an integer where the method takes an object";
    objc::object_setClass(target, objc::rootClass());
    invocation->setArgument(objc::Id(), 2);
    EXPECT_THROW(invocation->invoke(), objc::UnrecognizedSelector) << "the class it answers to now lacks the method";
}

TEST(Runtime, ARuntimeDescriptionMethodDescribesTheObject) {
    objc::Class* described = objc::defineClass("KVTestDescribed");
    auto object = std::make_shared<objc::Object>(described);
    EXPECT_EQ(object->description().rfind("<KVTestDescribed: 0x", 0), 0u);
    objc::InstanceImplementation<std::string> describe = [](const objc::Id&) {
        return std::string("described at run time");
    };
    objc::addMethod(described, "description", describe, "@@:");
    EXPECT_EQ(object->description(), "described at run time");
}

}  // namespace
