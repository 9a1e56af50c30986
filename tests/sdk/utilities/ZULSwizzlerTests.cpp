#include "sdk/utilities/ZULSwizzler.hpp"

#include "platform/foundation/Exception.hpp"
#include "platform/objc/Runtime.hpp"

#include <gtest/gtest.h>

namespace {

TEST(Swizzler, ReplacesAnInheritedMethodInTheClassOnlyAndReadsItBack) {
    objc::Class* base = objc::defineClass("KVTestSwizzleBase");
    objc::Class* derived = objc::defineClass("KVTestSwizzleDerived", base);
    objc::addMethod(base, "greeting", objc::InstanceImplementation<std::string>([](const objc::Id&) {
                        return std::string("hello");
                    }),
                    "@@:");
    objc::addClassMethod(base, "make", objc::ClassImplementation<int>([](objc::Class*) { return 1; }), "i#:");
    objc::Implementation block = objc::InstanceImplementation<std::string>([](const objc::Id&) {
        return std::string("swizzled");
    });

    ZULSwizzler::swizzleClass(derived, "greeting", false, block);
    ZULSwizzler::swizzleClass(derived, "make", true, objc::ClassImplementation<int>([](objc::Class*) { return 2; }));

    EXPECT_EQ(objc::send<std::string>(std::make_shared<objc::Object>(derived), "greeting"), "swizzled");
    EXPECT_EQ(objc::send<std::string>(std::make_shared<objc::Object>(base), "greeting"), "hello");
    EXPECT_EQ(objc::sendToClass<int>(derived, "make"), 2);
    EXPECT_EQ(ZULSwizzler::currentImplementationForClass(derived, "greeting", false), block);
    EXPECT_TRUE(ZULSwizzler::selector("make", derived, true));
    EXPECT_FALSE(ZULSwizzler::selector("make", derived, false)) << "an instance method of that name does not exist";
}

TEST(Swizzler, MissingClassesSelectorsAndMethodsAssertWithTheirMessages) {
    objc::Class* plain = objc::defineClass("KVTestSwizzlePlain");
    struct Case {
        std::function<void()> call;
        std::string reason;
    };
    const Case cases[] = {
        {[&] { ZULSwizzler::swizzleClass(plain, "", false, {}); }, "The selector cannot be NULL"},
        {[&] { ZULSwizzler::swizzleClass(nullptr, "x", false, {}); }, "The class cannot be Nil"},
        {[&] { ZULSwizzler::swizzleClass(plain, "missing", false, {}); },
         "You're attempting to swizzle a method that doesn't exist. (KVTestSwizzlePlain, missing)"},
        {[&] { ZULSwizzler::currentImplementationForClass(plain, "missing", true); },
         "The Method for this class/selector combo doesn't exist (KVTestSwizzlePlain, missing)."},
    };
    for (const auto& testCase : cases) {
        try {
            testCase.call();
            ADD_FAILURE() << "no assertion for " << testCase.reason;
        } catch (const foundation::Exception& exception) {
            EXPECT_EQ(exception.reason(), testCase.reason);
        }
    }
}

TEST(Swizzler, IvarObjectsAreTheObjectValuesOfTheClassesOwnIvars) {
    objc::Class* holder = objc::allocateClassPair(objc::rootClass(), "KVTestIvarObjects");
    holder->addIvar("count", 8, 3, "q");
    holder->addIvar("name", 8, 3, "@\"NSString\"");
    holder->addIvar("unset", 8, 3, "@");
    objc::registerClassPair(holder);
    auto object = std::make_shared<objc::Object>(holder);
    auto name = std::make_shared<objc::Object>();
    objc::object_setIvar(object, holder->ivars()[1], name);

    auto values = ZULSwizzler::ivarObjectsForObject(object);
    ASSERT_EQ(values->count(), 1u);
    EXPECT_EQ(values->objectAtIndex(0), name);
}

}  // namespace
