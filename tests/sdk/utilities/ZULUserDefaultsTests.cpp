#include "sdk/utilities/ZULUserDefaults.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/Null.hpp"
#include "platform/foundation/URL.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"
#include "platform/system/UnifiedLog.hpp"
#include "sdk/utilities/ZULLogger.hpp"

#include <gtest/gtest.h>

namespace {

using foundation::Number;
using foundation::String;

objc::Id key(const char* text) { return String::make(text); }

class UserDefaultsWrapper : public ::testing::Test {
protected:
    void SetUp() override {
        // A suite per test, so that tests sharing a process do not see each other's values.
        suite_ = std::string("com.example.sdk.") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        defaults_ = ZULUserDefaults::initWithSuiteName(suite_);
    }
    // The warnings written so far with this message code.
    std::vector<darwin::LogEntry> warnings(const std::string& code) {
        ZULLoggerFlushForTesting();
        return capture_.entriesContaining("[" + code + "]");
    }

    darwin::LogCapture capture_;
    std::string suite_;
    std::shared_ptr<ZULUserDefaults> defaults_;
};

}  // namespace

TEST_F(UserDefaultsWrapper, InvalidKeysAreLoggedAndIgnored) {
    defaults_->setObject(String::make("kept"), key("valid"));
    struct Case {
        const char* name;
        objc::Id key;
    };
    std::vector<Case> cases{{"empty string", key("")}, {"number", Number::withInteger(7)}, {"nil", nullptr}};
    for (auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        defaults_->setObject(String::make("x"), testCase.key);
        EXPECT_EQ(defaults_->objectForKey(testCase.key), nullptr);
        EXPECT_FALSE(defaults_->boolForKey(testCase.key));
    }
    auto setWarnings = warnings("I-ZUL000002");
    ASSERT_EQ(setWarnings.size(), cases.size());
    EXPECT_EQ(setWarnings[0].message,
              " - [ZadizuUtilities/UserDefaults][I-ZUL000002] Cannot set object for invalid user default key.");
    EXPECT_EQ(setWarnings[0].subsystem, "com.zadizu.utilities.logger");
    auto getWarnings = warnings("I-ZUL000001");
    ASSERT_EQ(getWarnings.size(), 2 * cases.size());
    EXPECT_EQ(getWarnings[0].message, " - <ZadizuUtilities>[I-ZUL000001] Cannot get object for invalid user default key.");
    EXPECT_EQ(getWarnings[0].type, darwin::os_log_type_t::defaultType);
    EXPECT_EQ(defaults_->userDefaults()->persistentDomainForName(suite_)->count(), 1u);
}

TEST_F(UserDefaultsWrapper, ValuesAPropertyListCannotHoldAreLoggedAndNotWritten) {
    auto url = foundation::URL::URLWithString("https://example.com/a");
    defaults_->setObject(url, key("link"));
    defaults_->setObject(foundation::Null::null(), key("nothing"));
    EXPECT_EQ(defaults_->objectForKey(key("link")), nullptr);
    EXPECT_EQ(defaults_->objectForKey(key("nothing")), nullptr);
    auto written = warnings("I-ZUL000003");
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0].message,
              " - [ZadizuUtilities/UserDefaults][I-ZUL000003] Cannot set invalid object to user defaults. Must be a "
              "string, number, array, dictionary, date, or data. Value: https://example.com/a");
}

TEST_F(UserDefaultsWrapper, StorableValuesAreWrittenAndNilRemoves) {
    std::vector<objc::Id> values{String::make("text"), Number::withDouble(2.5),
                                 foundation::Array::make({String::make("a")}), foundation::Dictionary::make(),
                                 foundation::Date::make(1000), foundation::Data::fromString("bytes")};
    for (std::size_t index = 0; index < values.size(); ++index) {
        auto name = String::make("value" + std::to_string(index));
        defaults_->setObject(values[index], name);
        auto stored = defaults_->objectForKey(name);
        ASSERT_NE(stored, nullptr) << index;
        EXPECT_TRUE(stored->isEqual(*values[index])) << index;
    }
    defaults_->setObject(nullptr, key("value0"));
    EXPECT_EQ(defaults_->objectForKey(key("value0")), nullptr);
    defaults_->removeObjectForKey(key("value1"));
    EXPECT_EQ(defaults_->objectForKey(key("value1")), nullptr);
    EXPECT_TRUE(warnings("I-ZUL").empty());
}

TEST_F(UserDefaultsWrapper, TypedGettersReadNumbersAndNumericTextAndDefaultToZero) {
    defaults_->setInteger(-12, key("integer"));
    defaults_->setFloat(1.5f, key("float"));
    defaults_->setDouble(0.25, key("double"));
    defaults_->setBool(true, key("bool"));
    defaults_->setObject(String::make("  42 apples"), key("numericText"));
    defaults_->setObject(String::make("yes"), key("yesText"));
    defaults_->setObject(String::make("0"), key("zeroText"));
    defaults_->setObject(foundation::Array::make({Number::withInteger(1)}), key("array"));

    struct Case {
        const char* key;
        std::int64_t integer;
        double real;
        bool boolean;
    };
    std::vector<Case> cases{
        {"integer", -12, -12.0, true}, {"float", 1, 1.5, true},         {"double", 0, 0.25, true},
        {"bool", 1, 1.0, true},        {"numericText", 42, 42.0, true}, {"yesText", 0, 0.0, true},
        {"zeroText", 0, 0.0, false},   {"array", 0, 0.0, false},        {"absent", 0, 0.0, false},
    };
    for (auto& testCase : cases) {
        SCOPED_TRACE(testCase.key);
        EXPECT_EQ(defaults_->integerForKey(key(testCase.key)), testCase.integer);
        EXPECT_DOUBLE_EQ(defaults_->doubleForKey(key(testCase.key)), testCase.real);
        EXPECT_FLOAT_EQ(defaults_->floatForKey(key(testCase.key)), static_cast<float>(testCase.real));
        EXPECT_EQ(defaults_->boolForKey(key(testCase.key)), testCase.boolean);
    }
    EXPECT_TRUE(foundation::numberValue(defaults_->objectForKey(key("bool")))->isBoolean());
}

TEST_F(UserDefaultsWrapper, ObjectGettersReturnWhateverIsStored) {
    defaults_->setInteger(5, key("number"));
    auto asString = defaults_->stringForKey(key("number"));
    ASSERT_NE(foundation::numberValue(asString), nullptr);
    EXPECT_EQ(foundation::numberValue(asString)->integerValue(), 5);
    EXPECT_NE(foundation::numberValue(defaults_->arrayForKey(key("number"))), nullptr);
    EXPECT_NE(foundation::numberValue(defaults_->dictionaryForKey(key("number"))), nullptr);
}

TEST_F(UserDefaultsWrapper, SuitesAreSeparateAndAnEmptyNameMeansTheStandardDefaults) {
    defaults_->setObject(String::make("suite"), key("where"));
    auto other = ZULUserDefaults::initWithSuiteName("com.example.sdk.other");
    EXPECT_EQ(other->objectForKey(key("where")), nullptr);

    auto sameSuite = ZULUserDefaults::initWithSuiteName(suite_);
    EXPECT_EQ(foundation::stringValue(sameSuite->objectForKey(key("where"))), "suite");

    auto standard = foundation::UserDefaults::standardUserDefaults();
    for (auto wrapper : {ZULUserDefaults::initWithSuiteName(""), ZULUserDefaults::initWithSuiteName(std::nullopt),
                         ZULUserDefaults::init(), ZULUserDefaults::standardUserDefaults()}) {
        EXPECT_EQ(wrapper->userDefaults()->domain(), standard->domain());
        EXPECT_EQ(wrapper->objectForKey(key("where")), nullptr);
    }
    EXPECT_EQ(ZULUserDefaults::standardUserDefaults(), ZULUserDefaults::standardUserDefaults());

    // A suite the platform refuses still stores its values, in the standard defaults.
    auto refused = ZULUserDefaults::initWithSuiteName(foundation::NSGlobalDomain);
    ASSERT_NE(refused->userDefaults(), nullptr);
    EXPECT_EQ(refused->userDefaults()->domain(), standard->domain());
    refused->setObject(String::make("kept"), key("refusedSuite"));
    EXPECT_EQ(foundation::stringValue(ZULUserDefaults::init()->objectForKey(key("refusedSuite"))), "kept");
}
