#include "sdk/utilities/ZULKeychainStorage.hpp"

#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/KeyedArchiver.hpp"
#include "platform/foundation/KeyedUnarchiver.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"
#include "platform/security/SecItem.hpp"
#include "sdk/utilities/ZULKeychainUtils.hpp"
#include "tests/sdk/utilities/KeychainStorageHelpers.hpp"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using foundation::Number;
using foundation::String;
using testsupport::getObject;
using testsupport::removeObject;
using testsupport::setObject;

constexpr const char* service = "com.example.installations";
constexpr const char* keychainQueueLabel = "com.zul.KeychainStorage.Keychain";
constexpr const char* cacheQueueLabel = "com.zul.KeychainStorage.InMemoryCache";

std::string text(const objc::Id& object) { return foundation::stringValue(object).value_or("<not a string>"); }

std::shared_ptr<foundation::Dictionary> itemQuery(const std::string& key) {
    return ZULKeychainUtils::multiplatformQueryWithQuery(
        ZULKeychainStorage::initWithService(service)->keychainQueryWithKey(key, std::nullopt));
}

// Changes the keychain behind the storage's back.
void deleteItemDirectly(const std::string& key) { security::SecItemDelete(itemQuery(key)); }
void replaceItemDirectly(const std::string& key, const std::string& value) {
    auto data = foundation::KeyedArchiver::archivedDataWithRootObject(String::make(value), nullptr);
    ASSERT_TRUE(ZULKeychainUtils::setItem(data, itemQuery(key), nullptr));
}

std::string accessibilityOf(const std::string& key) {
    auto query = itemQuery(key);
    query->setObject(Number::withBool(true), security::kSecReturnAttributes);
    objc::Id attributes;
    if (security::SecItemCopyMatching(query, &attributes) != security::errSecSuccess) return "<none>";
    return foundation::dictionaryValue(attributes)->objectForKey(security::kSecAttrAccessible)->description();
}

class KeychainStorage : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove_all(std::filesystem::path(std::getenv("HOME")) / "Library" / "Keychains");
        storage_ = ZULKeychainStorage::initWithService(service);
    }

    std::shared_ptr<ZULKeychainStorage> storage_;
};

// Holds a queue busy until released, so a test can line work up behind it.
class QueueBlocker {
public:
    explicit QueueBlocker(const dispatch::QueuePtr& queue) {
        queue->async([this] { open_.lock().wait(released_, [](bool open) { return open; }); });
    }
    void release() {
        *open_.lock() = true;
        released_.notify_all();
    }

private:
    foundation::Guarded<bool> open_{false};
    std::condition_variable released_;
};

}  // namespace

TEST_F(KeychainStorage, AReadAfterAWriteComesFromTheCacheWithoutTheKeychain) {
    auto written = setObject(*storage_, String::make("fid-1"), "installation");
    EXPECT_EQ(written.error, nullptr);
    EXPECT_EQ(text(written.object), "fid-1");
    EXPECT_EQ(written.queue, keychainQueueLabel);

    deleteItemDirectly("installation");
    auto read = getObject(*storage_, "installation", "NSString");
    EXPECT_EQ(text(read.object), "fid-1");
    EXPECT_EQ(read.error, nullptr);
    EXPECT_EQ(read.queue, cacheQueueLabel);

    storage_->resetInMemoryCache();
    auto afterReset = getObject(*storage_, "installation", "NSString");
    EXPECT_EQ(afterReset.object, nullptr);
    EXPECT_EQ(afterReset.error, nullptr);
}

TEST_F(KeychainStorage, AKeyNeverWrittenGivesNeitherObjectNorError) {
    auto read = getObject(*storage_, "never", "NSString");
    EXPECT_EQ(read.object, nullptr);
    EXPECT_EQ(read.error, nullptr);
    EXPECT_EQ(read.queue, keychainQueueLabel);
}

TEST_F(KeychainStorage, WritesAddWithThisDeviceAccessibilityAndUpdatesKeepTheirs) {
    ASSERT_EQ(setObject(*storage_, String::make("new"), "fresh").error, nullptr);
    EXPECT_EQ(accessibilityOf("fresh"), security::kSecAttrAccessibleAfterFirstUnlockThisDeviceOnly);

    auto added = itemQuery("existing");
    added->setObject(String::make(security::kSecAttrAccessibleWhenUnlocked), security::kSecAttrAccessible);
    added->setObject(foundation::KeyedArchiver::archivedDataWithRootObject(String::make("old"), nullptr),
                     security::kSecValueData);
    ASSERT_EQ(security::SecItemAdd(added, nullptr), security::errSecSuccess);
    ASSERT_EQ(setObject(*storage_, String::make("updated"), "existing").error, nullptr);
    EXPECT_EQ(accessibilityOf("existing"), security::kSecAttrAccessibleWhenUnlocked);
    storage_->resetInMemoryCache();
    EXPECT_EQ(text(getObject(*storage_, "existing", "NSString").object), "updated");
}

TEST_F(KeychainStorage, AFailingAddReportsTheKeychainErrorAndLeavesNothingCached) {
    security::setAddFailureForTesting(-34018);
    auto written = setObject(*storage_, String::make("lost"), "key");
    EXPECT_EQ(written.object, nullptr);
    ASSERT_NE(written.error, nullptr);
    EXPECT_EQ(written.error->domain(), "com.zul.keychain.ErrorDomain");
    EXPECT_EQ(written.error->code(), 0);
    EXPECT_EQ(written.error->userInfo()->objectForKey(foundation::NSLocalizedFailureReasonErrorKey)->description(),
              "SecItemAdd (-34018)");
    EXPECT_EQ(written.queue, keychainQueueLabel);

    // The cache does not claim what the keychain does not hold.
    auto read = getObject(*storage_, "key", "NSString");
    EXPECT_EQ(read.object, nullptr);
    EXPECT_EQ(read.error, nullptr);
}

TEST_F(KeychainStorage, AFailedWriteDoesNotHideTheStoredValue) {
    ASSERT_EQ(setObject(*storage_, String::make("kept"), "key").error, nullptr);
    // An object that cannot be archived fails before the keychain is touched.
    auto written = setObject(*storage_, std::make_shared<objc::Object>(), "key");
    ASSERT_NE(written.error, nullptr);
    EXPECT_EQ(written.error->code(), foundation::NSCoderInvalidValueError);
    EXPECT_EQ(text(getObject(*storage_, "key", "NSString").object), "kept");
}

TEST_F(KeychainStorage, RemovingAMissingKeySucceeds) {
    auto removed = removeObject(*storage_, "absent");
    EXPECT_EQ(removed.error, nullptr);
    EXPECT_EQ(removed.queue, keychainQueueLabel);

    ASSERT_EQ(setObject(*storage_, String::make("v"), "present").error, nullptr);
    EXPECT_EQ(removeObject(*storage_, "present").error, nullptr);
    EXPECT_EQ(getObject(*storage_, "present", "NSString").object, nullptr);
}

TEST_F(KeychainStorage, AnObjectOfAnotherClassGivesTheUnarchiverErrorAndIsNotCached) {
    ASSERT_EQ(setObject(*storage_, String::make("text"), "key").error, nullptr);
    storage_->resetInMemoryCache();
    auto read = getObject(*storage_, "key", "NSNumber");
    EXPECT_EQ(read.object, nullptr);
    ASSERT_NE(read.error, nullptr);
    EXPECT_EQ(read.error->domain(), foundation::NSCocoaErrorDomain);
    EXPECT_EQ(read.error->code(), foundation::NSCoderReadCorruptError);
    EXPECT_EQ(read.queue, keychainQueueLabel);

    deleteItemDirectly("key");
    EXPECT_EQ(getObject(*storage_, "key", "NSString").object, nullptr);
}

TEST_F(KeychainStorage, PastFiveKeysTheEvictedOnesAreReadFromTheKeychainAgain) {
    for (int index = 0; index < 6; ++index)
        ASSERT_EQ(setObject(*storage_, String::make("cached" + std::to_string(index)), "key" + std::to_string(index)).error,
                  nullptr);
    for (int index = 0; index < 6; ++index) replaceItemDirectly("key" + std::to_string(index), "keychain");

    EXPECT_EQ(text(getObject(*storage_, "key0", "NSString").object), "keychain");
    for (int index = 2; index < 6; ++index)
        EXPECT_EQ(text(getObject(*storage_, "key" + std::to_string(index), "NSString").object),
                  "cached" + std::to_string(index));
}

TEST_F(KeychainStorage, TheKeychainHalfOfAReadSkipsTheCacheButFillsIt) {
    ASSERT_EQ(setObject(*storage_, String::make("cached"), "key").error, nullptr);
    replaceItemDirectly("key", "in keychain");

    std::promise<testsupport::KeychainOutcome> done;
    storage_->getObjectFromKeychainForKey("key", objc::lookUpClass("NSString"), std::nullopt,
                                          [&](objc::Id object, std::shared_ptr<foundation::Error> error) {
                                              done.set_value({object, error, dispatch::currentQueueLabel()});
                                          });
    auto read = done.get_future().get();
    EXPECT_EQ(text(read.object), "in keychain");
    EXPECT_EQ(read.error, nullptr);
    EXPECT_EQ(read.queue, cacheQueueLabel);

    deleteItemDirectly("key");
    EXPECT_EQ(text(getObject(*storage_, "key", "NSString").object), "in keychain");
}

TEST_F(KeychainStorage, OperationsIssuedTogetherReachTheKeychainInIssueOrder) {
    struct Case {
        const char* name;
        std::vector<const char*> writes;  // nullptr: a removal
        const char* stored;
    };
    std::vector<Case> cases{{"write, remove, write", {"first", nullptr, "second"}, "second"},
                            {"write, write, remove", {"first", "second", nullptr}, nullptr},
                            {"remove, write, write", {nullptr, "first", "second"}, "second"}};
    for (auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        std::vector<std::promise<void>> done(testCase.writes.size());
        for (std::size_t index = 0; index < testCase.writes.size(); ++index) {
            auto& finished = done[index];
            if (testCase.writes[index])
                storage_->setObject(String::make(testCase.writes[index]), "key", std::nullopt,
                                    [&finished](objc::Id, std::shared_ptr<foundation::Error>) { finished.set_value(); });
            else
                storage_->removeObjectForKey("key", std::nullopt,
                                             [&finished](std::shared_ptr<foundation::Error>) { finished.set_value(); });
        }
        for (auto& finished : done) finished.get_future().wait();
        auto fresh = ZULKeychainStorage::initWithService(service);
        auto read = getObject(*fresh, "key", "NSString");
        if (testCase.stored) {
            EXPECT_EQ(text(read.object), testCase.stored);
        } else {
            EXPECT_EQ(read.object, nullptr);
        }
        EXPECT_EQ(text(getObject(*storage_, "key", "NSString").object), text(read.object));
    }
}

TEST_F(KeychainStorage, ASecondStorageOfTheServiceSeesWhatTheFirstWrote) {
    ASSERT_EQ(setObject(*storage_, Number::withInteger(42), "shared").error, nullptr);
    auto second = ZULKeychainStorage::initWithService(service);
    auto read = getObject(*second, "shared", "NSNumber");
    ASSERT_NE(read.object, nullptr);
    EXPECT_EQ(foundation::numberValue(read.object)->integerValue(), 42);

    auto otherService = ZULKeychainStorage::initWithService("com.example.other");
    EXPECT_EQ(getObject(*otherService, "shared", "NSNumber").object, nullptr);
    auto otherGroup = getObject(*ZULKeychainStorage::initWithService(service), "shared", "NSNumber", "group.other");
    EXPECT_EQ(otherGroup.object, nullptr);
}

TEST_F(KeychainStorage, AFileKeychainKeepsItsItemsApart) {
    auto file = security::SecKeychain::openAtPath(std::filesystem::path(std::getenv("HOME")) / "file.keychain-db");
    storage_->setKeychainRef(file);
    ASSERT_EQ(setObject(*storage_, String::make("in file"), "key").error, nullptr);
    EXPECT_EQ(getObject(*ZULKeychainStorage::initWithService(service), "key", "NSString").object, nullptr);

    auto reader = ZULKeychainStorage::initWithService(service);
    reader->setKeychainRef(file);
    EXPECT_EQ(text(getObject(*reader, "key", "NSString").object), "in file");
}

TEST_F(KeychainStorage, AReadOvertakenByARemovalDoesNotRefillTheCache) {
    ASSERT_EQ(setObject(*storage_, String::make("old"), "key").error, nullptr);
    storage_->resetInMemoryCache();

    QueueBlocker blocker(storage_->keychainQueue());
    std::promise<testsupport::KeychainOutcome> readDone;
    storage_->getObjectForKey("key", objc::lookUpClass("NSString"), std::nullopt,
                              [&](objc::Id object, std::shared_ptr<foundation::Error> error) {
                                  readDone.set_value({object, error, ""});
                              });
    storage_->inMemoryCacheQueue()->sync([] {});  // the read now waits on the keychain queue
    std::promise<void> removeDone;
    storage_->removeObjectForKey("key", std::nullopt, [&](std::shared_ptr<foundation::Error>) { removeDone.set_value(); });
    blocker.release();

    EXPECT_EQ(text(readDone.get_future().get().object), "old");  // it was there when read
    removeDone.get_future().wait();
    EXPECT_EQ(getObject(*storage_, "key", "NSString").object, nullptr);
}

TEST_F(KeychainStorage, APendingOperationCompletesAfterTheCallerLetsGoOfTheStorage) {
    std::promise<testsupport::KeychainOutcome> done;
    storage_->setObject(String::make("v"), "key", std::nullopt, [&](objc::Id object, std::shared_ptr<foundation::Error> error) {
        done.set_value({object, error, ""});
    });
    storage_.reset();
    EXPECT_EQ(text(done.get_future().get().object), "v");
}

// Run by the test below in a second process: writes one object with a storage of its own.
TEST(KeychainStorageChildProcess, DISABLED_WritesForTheParent) {
    const char* sharedHome = std::getenv("KV_PARENT_HOME");
    ASSERT_NE(sharedHome, nullptr);
    setenv("HOME", sharedHome, 1);
    auto storage = ZULKeychainStorage::initWithService(service);
    ASSERT_EQ(setObject(*storage, String::make("from the child"), "child-key").error, nullptr);
}

TEST_F(KeychainStorage, ASecondProcessSeesTheSameItems) {
    ASSERT_EQ(setObject(*storage_, String::make("from the parent"), "parent-key").error, nullptr);
    std::string command = "KV_PARENT_HOME='" + std::string(std::getenv("HOME")) + "' '" +
                          std::filesystem::read_symlink("/proc/self/exe").string() +
                          "' --gtest_also_run_disabled_tests"
                          " --gtest_filter=KeychainStorageChildProcess.DISABLED_WritesForTheParent > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(text(getObject(*storage_, "child-key", "NSString").object), "from the child");
}
