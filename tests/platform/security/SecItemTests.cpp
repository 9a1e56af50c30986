#include "platform/security/SecItem.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Data.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"
#include "platform/security/SecKeychain.hpp"
#include "tests/support/FileModes.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using foundation::Data;
using foundation::Dictionary;
using foundation::Number;
using foundation::String;
using namespace security;

std::shared_ptr<Dictionary> query(std::initializer_list<std::pair<const char*, objc::Id>> entries) {
    auto dictionary = Dictionary::make();
    dictionary->setObject(String::make(kSecClassGenericPassword), kSecClass);
    for (auto& [key, value] : entries) dictionary->setObject(value, key);
    return dictionary;
}

objc::Id text(const char* value) { return String::make(value); }
objc::Id yes() { return Number::withBool(true); }

std::shared_ptr<Dictionary> item(const char* account, const char* accessGroup = nullptr) {
    auto result = query({{kSecAttrService, text("svc")}, {kSecAttrAccount, text(account)},
                         {kSecUseDataProtectionKeychain, yes()}});
    if (accessGroup) result->setObject(text(accessGroup), kSecAttrAccessGroup);
    return result;
}

std::shared_ptr<Dictionary> with(std::shared_ptr<Dictionary> base,
                                 std::initializer_list<std::pair<const char*, objc::Id>> entries) {
    auto copy = foundation::dictionaryValue(base->copy());
    for (auto& [key, value] : entries) copy->setObject(value, key);
    return copy;
}

std::string storedText(const std::shared_ptr<Dictionary>& lookup) {
    objc::Id result;
    if (SecItemCopyMatching(with(lookup, {{kSecReturnData, yes()}}), &result) != errSecSuccess) return "<none>";
    return std::string(foundation::dataValue(result)->view());
}

// Every test starts without keychains.
class KeychainItems : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::remove_all(keychains()); }
    static std::filesystem::path keychains() {
        return std::filesystem::path(std::getenv("HOME")) / "Library" / "Keychains";
    }
};

}  // namespace

TEST_F(KeychainItems, AddFindUpdateAndDeleteReportThePlatformStatuses) {
    EXPECT_EQ(SecItemCopyMatching(with(item("a"), {{kSecReturnData, yes()}}), nullptr), errSecItemNotFound);
    EXPECT_EQ(SecItemAdd(with(item("a"), {{kSecValueData, Data::fromString("one")}}), nullptr), errSecSuccess);
    EXPECT_EQ(SecItemAdd(with(item("a"), {{kSecValueData, Data::fromString("two")}}), nullptr), errSecDuplicateItem);
    EXPECT_EQ(storedText(item("a")), "one");

    auto update = Dictionary::make();
    update->setObject(Data::fromString("three"), kSecValueData);
    EXPECT_EQ(SecItemUpdate(item("a"), update), errSecSuccess);
    EXPECT_EQ(storedText(item("a")), "three");
    EXPECT_EQ(SecItemUpdate(item("missing"), update), errSecItemNotFound);

    EXPECT_EQ(SecItemDelete(item("a")), errSecSuccess);
    EXPECT_EQ(SecItemDelete(item("a")), errSecItemNotFound);
    EXPECT_EQ(storedText(item("a")), "<none>");
}

TEST_F(KeychainItems, MalformedQueriesAreParameterErrors) {
    auto noClass = Dictionary::make();
    noClass->setObject(text("svc"), kSecAttrService);
    auto update = Dictionary::make();
    update->setObject(Data::fromString("x"), kSecValueData);
    auto badUpdate = Dictionary::make();
    badUpdate->setObject(text("other"), kSecAttrAccount);
    struct Case {
        const char* name;
        OSStatus status;
    };
    std::vector<Case> cases{
        {"no class", SecItemCopyMatching(noClass, nullptr)},
        {"null query", SecItemDelete(nullptr)},
        {"unknown class", SecItemAdd(query({{kSecClass, text("inet")}}), nullptr)},
        {"service not a string", SecItemAdd(query({{kSecAttrService, Number::withInteger(1)}}), nullptr)},
        {"data not data", SecItemAdd(query({{kSecValueData, text("x")}}), nullptr)},
        {"unknown accessibility", SecItemAdd(query({{kSecAttrAccessible, text("always")}}), nullptr)},
        {"unknown key", SecItemAdd(query({{"nonsense", text("x")}}), nullptr)},
        {"unknown match limit", SecItemCopyMatching(query({{kSecMatchLimit, text("three")}}), nullptr)},
        {"update of an attribute that cannot change", SecItemUpdate(item("a"), badUpdate)},
        {"empty update", SecItemUpdate(item("a"), Dictionary::make())},
    };
    for (auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        EXPECT_EQ(testCase.status, errSecParam);
    }
}

TEST_F(KeychainItems, AttributesIncludeTheAccessibilityGivenAtAdd) {
    ASSERT_EQ(SecItemAdd(item("default"), nullptr), errSecSuccess);
    ASSERT_EQ(SecItemAdd(with(item("device"), {{kSecAttrAccessible, text(kSecAttrAccessibleAfterFirstUnlockThisDeviceOnly)},
                                               {kSecValueData, Data::fromString("secret")}}),
                         nullptr),
              errSecSuccess);
    objc::Id result;
    ASSERT_EQ(SecItemCopyMatching(with(item("device"), {{kSecReturnAttributes, yes()}, {kSecReturnData, yes()}}), &result),
              errSecSuccess);
    auto attributes = foundation::dictionaryValue(result);
    ASSERT_NE(attributes, nullptr);
    EXPECT_EQ(attributes->objectForKey(kSecAttrAccessible)->description(), kSecAttrAccessibleAfterFirstUnlockThisDeviceOnly);
    EXPECT_EQ(attributes->objectForKey(kSecAttrAccount)->description(), "device");
    EXPECT_EQ(foundation::dataValue(attributes->objectForKey(kSecValueData))->view(), "secret");

    ASSERT_EQ(SecItemCopyMatching(with(item("default"), {{kSecReturnAttributes, yes()}}), &result), errSecSuccess);
    EXPECT_EQ(foundation::dictionaryValue(result)->objectForKey(kSecAttrAccessible)->description(),
              kSecAttrAccessibleWhenUnlocked);
}

TEST_F(KeychainItems, AccessGroupsAndServicesKeepItemsApart) {
    ASSERT_EQ(SecItemAdd(with(item("a", "group.one"), {{kSecValueData, Data::fromString("1")}}), nullptr), errSecSuccess);
    ASSERT_EQ(SecItemAdd(with(item("a", "group.two"), {{kSecValueData, Data::fromString("2")}}), nullptr), errSecSuccess);
    auto otherService = with(item("a"), {{kSecAttrService, text("other")}, {kSecValueData, Data::fromString("3")}});
    ASSERT_EQ(SecItemAdd(otherService, nullptr), errSecSuccess);

    EXPECT_EQ(storedText(item("a", "group.two")), "2");
    EXPECT_EQ(storedText(with(item("a"), {{kSecAttrService, text("other")}})), "3");
    // Without a group, a query matches every group; all of them on request.
    objc::Id all;
    ASSERT_EQ(SecItemCopyMatching(with(item("a"), {{kSecReturnData, yes()}, {kSecMatchLimit, text(kSecMatchLimitAll)}}), &all),
              errSecSuccess);
    EXPECT_EQ(foundation::arrayValue(all)->count(), 2u);
    EXPECT_EQ(SecItemDelete(item("a")), errSecSuccess);
    EXPECT_EQ(storedText(with(item("a"), {{kSecAttrService, text("other")}})), "3");
}

TEST_F(KeychainItems, KeychainsAreSeparateFilesUnderTheHome) {
    auto keychains = this->keychains();
    ASSERT_EQ(SecItemAdd(with(item("where"), {{kSecValueData, Data::fromString("dp")}}), nullptr), errSecSuccess);
    EXPECT_TRUE(std::filesystem::exists(keychains / "data-protection.sqlite"));

    auto login = item("where");
    login->removeObjectForKey(kSecUseDataProtectionKeychain);
    EXPECT_EQ(storedText(login), "<none>");

    auto file = SecKeychain::openAtPath(keychains / "custom.keychain-db");
    ASSERT_EQ(SecItemAdd(with(item("where"), {{kSecUseKeychain, file}, {kSecValueData, Data::fromString("file")}}), nullptr),
              errSecSuccess);
    EXPECT_EQ(storedText(with(item("where"), {{kSecMatchSearchList, foundation::Array::make({file})}})), "file");
    EXPECT_EQ(storedText(item("where")), "dp");
}

TEST_F(KeychainItems, AnUnreadableKeychainIsAnInputOutputError) {
    auto keychains = this->keychains();
    std::filesystem::create_directories(keychains / "data-protection.sqlite");  // a directory, not a file
    EXPECT_EQ(SecItemAdd(with(item("x"), {{kSecValueData, Data::fromString("x")}}), nullptr), errSecIO);
    EXPECT_EQ(SecItemCopyMatching(with(item("x"), {{kSecReturnData, yes()}}), nullptr), errSecIO);
    std::filesystem::remove_all(keychains / "data-protection.sqlite");
}

TEST_F(KeychainItems, KeychainFilesAreTheOwnersAloneAndNeverFollowALink) {
    testsupport::ScopedUmask umask(022);
    auto keychains = this->keychains();
    std::filesystem::create_directories(keychains);
    std::ofstream(keychains / "data-protection.sqlite").flush();  // left readable by an earlier run
    ASSERT_EQ(SecItemAdd(with(item("s"), {{kSecValueData, Data::fromString("secret")}}), nullptr), errSecSuccess);
    EXPECT_EQ(testsupport::permissionsOf(keychains), 0700);
    EXPECT_EQ(testsupport::permissionsOf(keychains / "data-protection.sqlite"), 0600);

    std::filesystem::create_symlink(keychains.parent_path() / "planted", keychains / "login.keychain-db");
    auto login = item("s");
    login->removeObjectForKey(kSecUseDataProtectionKeychain);
    EXPECT_EQ(SecItemAdd(with(login, {{kSecValueData, Data::fromString("secret")}}), nullptr), errSecIO);
    EXPECT_FALSE(std::filesystem::exists(keychains.parent_path() / "planted"));
}

TEST_F(KeychainItems, AnInjectedAddFailureIsReportedUntilCleared) {
    setAddFailureForTesting(-34018);
    EXPECT_EQ(SecItemAdd(with(item("f"), {{kSecValueData, Data::fromString("x")}}), nullptr), -34018);
    setAddFailureForTesting(std::nullopt);
    EXPECT_EQ(SecItemAdd(with(item("f"), {{kSecValueData, Data::fromString("x")}}), nullptr), errSecSuccess);
}
