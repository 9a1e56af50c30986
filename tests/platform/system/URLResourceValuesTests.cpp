#include "platform/system/URLResourceValues.hpp"

#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/Number.hpp"
#include "tests/support/TemporaryHome.hpp"

#include <gtest/gtest.h>

#include <sys/xattr.h>

using foundation::NSURLIsExcludedFromBackupKey;

namespace {

bool excluded(const foundation::URL& url) {
    std::shared_ptr<foundation::Error> error;
    auto value = foundation::numberValue(foundation::getResourceValue(url, NSURLIsExcludedFromBackupKey, &error));
    EXPECT_EQ(error, nullptr);
    return value && value->boolValue();
}

}  // namespace

TEST(URLResourceValues, BackupExclusionIsKeptWithTheItemAndCanBeCleared) {
    testsupport::TemporaryHome home;
    auto file = home.write("data/upload.bin", "x");
    for (const auto& path : {file, file.parent_path()}) {
        SCOPED_TRACE(path.string());
        auto url = foundation::URL::fileURLWithPath(path.string());
        EXPECT_FALSE(excluded(*url));
        ASSERT_TRUE(foundation::setResourceValue(*url, foundation::Number::withBool(true), NSURLIsExcludedFromBackupKey, nullptr));
        EXPECT_TRUE(excluded(*url));
        // Any backup tool sees it on the item itself.
        EXPECT_GT(::getxattr(path.c_str(), "user.com.apple.metadata:com_apple_backup_excludeItem", nullptr, 0), 0);
        ASSERT_TRUE(foundation::setResourceValue(*url, foundation::Number::withBool(false), NSURLIsExcludedFromBackupKey, nullptr));
        EXPECT_FALSE(excluded(*url));
        EXPECT_TRUE(foundation::setResourceValue(*url, foundation::Number::withBool(false), NSURLIsExcludedFromBackupKey, nullptr));
    }
}

TEST(URLResourceValues, MissingItemsAndUnknownKeysAreReportedAsErrors) {
    testsupport::TemporaryHome home;
    auto missing = foundation::URL::fileURLWithPath((home.path() / "missing").string());
    std::shared_ptr<foundation::Error> error;
    EXPECT_FALSE(foundation::setResourceValue(*missing, foundation::Number::withBool(true), NSURLIsExcludedFromBackupKey, &error));
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->code(), foundation::NSFileNoSuchFileError);

    error = nullptr;
    auto file = foundation::URL::fileURLWithPath(home.write("file", "x").string());
    EXPECT_FALSE(foundation::setResourceValue(*file, foundation::Number::withBool(true), "NSURLIsHiddenKey", &error));
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->code(), 3328);
    EXPECT_EQ(foundation::getResourceValue(*foundation::URL::URLWithString("https://example.org/"), NSURLIsExcludedFromBackupKey, nullptr),
              nullptr);
}
