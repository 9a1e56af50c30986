#include "sdk/utilities/ZULKeychainUtils.hpp"

#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

using foundation::Data;
using foundation::Error;
using foundation::String;

std::filesystem::path keychains() { return std::filesystem::path(std::getenv("HOME")) / "Library" / "Keychains"; }

std::shared_ptr<foundation::Dictionary> query(const char* account) {
    auto result = foundation::Dictionary::make();
    result->setObject(String::make(security::kSecClassGenericPassword), security::kSecClass);
    result->setObject(String::make("svc"), security::kSecAttrService);
    result->setObject(String::make(account), security::kSecAttrAccount);
    return result;
}

std::string failureReason(const std::shared_ptr<Error>& error) {
    auto reason = error ? error->userInfo()->objectForKey(foundation::NSLocalizedFailureReasonErrorKey) : nullptr;
    return reason ? reason->description() : "<none>";
}

class KeychainUtils : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::remove_all(keychains()); }
    // The data-protection keychain becomes a directory, so every call fails with errSecIO.
    static void breakTheKeychain() { std::filesystem::create_directories(keychains() / "data-protection.sqlite"); }
};

}  // namespace

TEST_F(KeychainUtils, TheKeychainErrorNamesTheFunctionAndStatus) {
    struct Case {
        const char* function;
        security::OSStatus status;
        const char* reason;
    };
    for (auto testCase : {Case{"SecItemAdd", -25299, "SecItemAdd (-25299)"}, Case{"SecItemDelete", -50, "SecItemDelete (-50)"},
                          Case{"SecItemCopyMatching", 0, "SecItemCopyMatching (0)"}}) {
        auto error = ZULKeychainUtils::keychainErrorWithFunction(testCase.function, testCase.status);
        EXPECT_EQ(error->domain(), "com.zul.keychain.ErrorDomain");
        EXPECT_EQ(error->code(), 0);
        EXPECT_EQ(failureReason(error), testCase.reason);
    }
}

TEST_F(KeychainUtils, MissingItemsAreNoErrorAndClearTheOutParameter) {
    auto error = Error::make("stale", 1);
    EXPECT_EQ(ZULKeychainUtils::getItemWithQuery(query("none"), &error), nullptr);
    EXPECT_EQ(error, nullptr);
    error = Error::make("stale", 1);
    EXPECT_TRUE(ZULKeychainUtils::removeItemWithQuery(query("none"), &error));
    EXPECT_EQ(error, nullptr);
}

TEST_F(KeychainUtils, SetItemAddsThenUpdatesTheOneItem) {
    std::shared_ptr<Error> error;
    ASSERT_TRUE(ZULKeychainUtils::setItem(Data::fromString("first"), query("a"), &error));
    ASSERT_TRUE(ZULKeychainUtils::setItem(Data::fromString("second"), query("a"), &error));
    EXPECT_EQ(ZULKeychainUtils::getItemWithQuery(query("a"), &error)->view(), "second");
    EXPECT_TRUE(ZULKeychainUtils::removeItemWithQuery(query("a"), &error));
    EXPECT_EQ(ZULKeychainUtils::getItemWithQuery(query("a"), &error), nullptr);
}

TEST_F(KeychainUtils, TheQueryCopyNamesTheDataProtectionKeychainAndLeavesTheOriginal) {
    auto original = query("a");
    auto copy = ZULKeychainUtils::multiplatformQueryWithQuery(original);
    auto flag = foundation::numberValue(copy->objectForKey(security::kSecUseDataProtectionKeychain));
    ASSERT_NE(flag, nullptr);
    EXPECT_TRUE(flag->boolValue());
    EXPECT_EQ(original->objectForKey(security::kSecUseDataProtectionKeychain), nullptr);
}

TEST_F(KeychainUtils, AnUnreadableKeychainFailsEveryCallWithItsFunction) {
    breakTheKeychain();
    std::shared_ptr<Error> error;
    EXPECT_EQ(ZULKeychainUtils::getItemWithQuery(query("a"), &error), nullptr);
    EXPECT_EQ(failureReason(error), "SecItemCopyMatching (-36)");
    EXPECT_FALSE(ZULKeychainUtils::setItem(Data::fromString("x"), query("a"), &error));
    EXPECT_EQ(failureReason(error), "SecItemCopyMatching (-36)");
    EXPECT_FALSE(ZULKeychainUtils::removeItemWithQuery(query("a"), &error));
    EXPECT_EQ(failureReason(error), "SecItemDelete (-36)");
    // Without an out-parameter the failed lookup still stops the write.
    EXPECT_FALSE(ZULKeychainUtils::setItem(Data::fromString("x"), query("a"), nullptr));
}
