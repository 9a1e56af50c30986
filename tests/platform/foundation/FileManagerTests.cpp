#include "platform/foundation/Date.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"
#include "tests/support/TemporaryHome.hpp"
#include "tests/support/WithoutPrivileges.hpp"

#include <gtest/gtest.h>

#include <dirent.h>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace foundation;

namespace {

class FileManagerTest : public testing::Test {
protected:
    FileManager& files = FileManager::defaultManager();
    testsupport::TemporaryHome home;
};

using testsupport::couldNotDropPrivileges;
using testsupport::withoutPrivileges;

TEST_F(FileManagerTest, ListingKeepsTheFileSystemOrderAndHiddenEntries) {
    for (const char* name : {"Profile 2", "Default", ".hidden", "zeta", "Alpha", "Profile 10", "System Profile"})
        home.write(std::filesystem::path("Browser") / name / "Bookmarks", "{}");
    auto directory = home.path() / "Browser";

    std::vector<std::string> readdirOrder;
    DIR* stream = ::opendir(directory.c_str());
    ASSERT_TRUE(stream);
    while (dirent* entry = ::readdir(stream))
        if (std::string_view(entry->d_name) != "." && std::string_view(entry->d_name) != "..")
            readdirOrder.emplace_back(entry->d_name);
    ::closedir(stream);

    auto listing = files.contentsOfDirectoryAtPath(directory);
    ASSERT_TRUE(listing);
    EXPECT_EQ(*listing, readdirOrder);
    EXPECT_EQ(listing->size(), 7u);
}

TEST_F(FileManagerTest, FailuresCarryThePlatformCodesAndThePath) {
    auto file = home.write("file.txt", "contents");
    auto missing = home.path() / "missing" / "file.txt";
    struct Case {
        std::string what;
        std::function<bool(std::shared_ptr<Error>*)> call;
        std::int64_t code;
        std::filesystem::path path;
    };
    const Case cases[] = {
        {"read missing", [&](auto* error) { return files.contentsAtPath(missing, error) != nullptr; }, 260, missing},
        {"read directory", [&](auto* error) { return files.contentsAtPath(home.path(), error) != nullptr; }, 256,
         home.path()},
        {"read below a file", [&](auto* error) { return files.contentsAtPath(file / "x", error) != nullptr; }, 260,
         file / "x"},
        {"list missing", [&](auto* error) { return files.contentsOfDirectoryAtPath(missing, error).has_value(); }, 260,
         missing},
        {"remove missing", [&](auto* error) { return files.removeItemAtPath(missing, error); }, 4, missing},
        {"write into missing folder",
         [&](auto* error) { return files.writeData(*Data::fromString("x"), missing, true, error); }, 4, missing},
        {"create without parents",
         [&](auto* error) { return files.createDirectoryAtPath(missing, false, error); }, 4, missing},
        {"create existing", [&](auto* error) { return files.createDirectoryAtPath(file, false, error); }, 516, file},
        {"create over a file", [&](auto* error) { return files.createDirectoryAtPath(file, true, error); }, 516, file},
        {"attributes of missing",
         [&](auto* error) { return files.attributesOfItemAtPath(missing, error) != nullptr; }, 260, missing},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        std::shared_ptr<Error> error;
        EXPECT_FALSE(testCase.call(&error));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->domain(), NSCocoaErrorDomain);
        EXPECT_EQ(error->code(), testCase.code);
        EXPECT_EQ(stringValue(error->userInfo()->objectForKey(NSFilePathErrorKey)), testCase.path.string());
        EXPECT_FALSE(error->localizedDescription().empty());
    }
}

TEST_F(FileManagerTest, RegularFilesAreReadUpToALimitAndNothingElseIsOpenedForReading) {
    home.write("ten", "0123456789");
    std::filesystem::create_directories(home.path() / "directory");
    ASSERT_EQ(::mkfifo((home.path() / "fifo").c_str(), 0600), 0);  // opened for reading, it would block
    struct Case {
        const char* name;
        std::uint64_t limit;
        std::optional<std::string> contents;
        std::int64_t code;
    };
    const Case cases[] = {
        {"ten", 10, "0123456789", 0},
        {"ten", 9, std::nullopt, NSFileReadTooLargeError},
        {"directory", 100, std::nullopt, NSFileReadUnknownError},
        {"fifo", 100, std::nullopt, NSFileReadUnknownError},
        {"missing", 100, std::nullopt, NSFileReadNoSuchFileError},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        std::shared_ptr<Error> error;
        int allocations = 0;
        std::string buffer;
        bool read = files.readRegularFile(home.path() / testCase.name, testCase.limit,
                                          [&](std::size_t size) {
                                              ++allocations;
                                              buffer.resize(size);
                                              return buffer.data();
                                          },
                                          &error);
        ASSERT_EQ(read, testCase.contents.has_value());
        if (read) {
            EXPECT_EQ(buffer, *testCase.contents);
            continue;
        }
        EXPECT_EQ(allocations, 0);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code(), testCase.code);
        EXPECT_EQ(files.contentsOfRegularFile(home.path() / testCase.name, testCase.limit), std::nullopt);
    }
}

TEST_F(FileManagerTest, AFileWithoutReadPermissionIsUnreadableAndGives257) {
    if (withoutPrivileges([] { return std::int64_t{0}; }) == couldNotDropPrivileges)
        GTEST_SKIP() << "running as root without the right to change user";
    ::chmod(home.path().c_str(), 0755);
    auto file = home.write("Library/Safari/Bookmarks.plist", "bplist00");
    ::chmod((home.path() / "Library").c_str(), 0755);
    ::chmod((home.path() / "Library/Safari").c_str(), 0755);
    ::chmod(file.c_str(), 0000);
    EXPECT_EQ(withoutPrivileges([&] { return std::int64_t{FileManager::defaultManager().isReadableFileAtPath(file)}; }), 0);
    EXPECT_EQ(withoutPrivileges([&] {
                  std::shared_ptr<Error> error;
                  FileManager::defaultManager().contentsAtPath(file, &error);
                  return error ? error->code() : std::int64_t{0};
              }),
              257);
    ::chmod(file.c_str(), 0644);
    EXPECT_EQ(withoutPrivileges([&] { return std::int64_t{FileManager::defaultManager().isReadableFileAtPath(file)}; }), 1);
}

TEST_F(FileManagerTest, ExistenceFollowsLinksAndReportsDirectories) {
    auto file = home.write("a/file", "x");
    std::filesystem::create_symlink(file, home.path() / "link");
    std::filesystem::create_symlink(home.path() / "nowhere", home.path() / "broken");
    struct Case {
        std::filesystem::path path;
        bool exists;
        bool isDirectory;
    };
    const Case cases[] = {{file, true, false},
                          {home.path() / "a", true, true},
                          {home.path() / "link", true, false},
                          {home.path() / "broken", false, false},
                          {home.path() / "none", false, false},
                          {"", false, false}};
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.path);
        bool isDirectory = !testCase.isDirectory;
        EXPECT_EQ(files.fileExistsAtPath(testCase.path, &isDirectory), testCase.exists);
        if (testCase.exists) {
            EXPECT_EQ(isDirectory, testCase.isDirectory);
        }
        EXPECT_EQ(files.isReadableFileAtPath(testCase.path), testCase.exists);
    }
}

TEST_F(FileManagerTest, WritesReadBackWholeAndAtomicWritesLeaveNoTemporaryFiles) {
    auto path = home.path() / "data.bin";
    std::string bytes(300000, '\0');
    for (std::size_t index = 0; index < bytes.size(); ++index) bytes[index] = static_cast<char>(index * 31);
    for (bool atomically : {false, true, true}) {
        ASSERT_TRUE(files.writeData(*Data::fromString(bytes), path, atomically));
        auto back = files.contentsAtPath(path);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->view(), bytes);
        bytes.resize(bytes.size() / 2);
    }
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(files.writeData(*Data::fromString("short"), path, true));
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_EQ(files.contentsOfDirectoryAtPath(home.path()), (std::vector<std::string>{"data.bin"}));
}

TEST_F(FileManagerTest, CreatesDirectoriesAndRemovesTreesAndLinks) {
    auto deep = home.path() / "x" / "y" / "z";
    ASSERT_TRUE(files.createDirectoryAtPath(deep, true));
    EXPECT_TRUE(files.createDirectoryAtPath(deep, true));  // already there: fine with intermediates
    auto target = home.write("target.txt", "keep");
    std::filesystem::create_symlink(target, deep / "link");
    home.write("x/y/file", "1");

    ASSERT_TRUE(files.removeItemAtPath(deep / "link"));
    EXPECT_TRUE(files.fileExistsAtPath(target));
    ASSERT_TRUE(files.removeItemAtPath(home.path() / "x"));
    EXPECT_FALSE(files.fileExistsAtPath(home.path() / "x"));
}

TEST_F(FileManagerTest, AttributesGiveDatesSizeAndType) {
    auto file = home.write("sized", std::string(1234, 'a'));
    auto attributes = files.attributesOfItemAtPath(file);
    ASSERT_TRUE(attributes);
    EXPECT_EQ(numberValue(attributes->objectForKey(NSFileSize))->unsignedValue(), 1234u);
    EXPECT_EQ(stringValue(attributes->objectForKey(NSFileType)), NSFileTypeRegular);
    auto created = std::dynamic_pointer_cast<Date>(attributes->objectForKey(NSFileCreationDate));
    auto modified = std::dynamic_pointer_cast<Date>(attributes->objectForKey(NSFileModificationDate));
    ASSERT_TRUE(created && modified);
    EXPECT_GT(created->timeIntervalSince1970(), 1.6e9);
    EXPECT_LE(created->timeIntervalSince1970(), modified->timeIntervalSince1970() + 1.0);
    EXPECT_EQ(stringValue(files.attributesOfItemAtPath(home.path())->objectForKey(NSFileType)), NSFileTypeDirectory);
}

TEST_F(FileManagerTest, HomeDirectoryIsReadAtEachCall) {
    EXPECT_EQ(files.homeDirectoryForCurrentUser(), home.path());
    {
        testsupport::TemporaryHome other;
        EXPECT_EQ(files.homeDirectoryForCurrentUser(), other.path());
    }
    EXPECT_EQ(files.homeDirectoryForCurrentUser(), home.path());
}

}  // namespace
