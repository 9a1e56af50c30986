#include "platform/foundation/Array.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/Null.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/PropertyListSerialization.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "tests/support/FileModes.hpp"
#include "tests/support/TemporaryHome.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace foundation;

namespace {

constexpr const char* identifier = "com.example.kestrelvault.tests";

class UserDefaultsTest : public testing::Test {
protected:
    void SetUp() override {
        writePropertyList(home.path() / "Test.app/Contents/Info.plist",
                          Dictionary::make({{"CFBundleIdentifier", String::make(identifier)}}), PropertyListFormat::xml);
        Bundle::setMainBundlePathForTesting(home.path() / "Test.app");
    }

    static void writePropertyList(const std::filesystem::path& path, const objc::Id& values,
                                  PropertyListFormat format = PropertyListFormat::binary) {
        std::filesystem::create_directories(path.parent_path());
        auto data = PropertyListSerialization::dataWithPropertyList(values, format);
        ASSERT_TRUE(data);
        ASSERT_TRUE(FileManager::defaultManager().writeData(*data, path, false));
    }

    std::filesystem::path domainFile(const std::string& domain) const {
        return home.path() / "Library/Preferences" / (domain + ".plist");
    }

    std::shared_ptr<Dictionary> storedDomain(const std::string& domain) const {
        auto data = FileManager::defaultManager().contentsAtPath(domainFile(domain));
        if (!data) return nullptr;
        PropertyListFormat format{};
        auto values = dictionaryValue(PropertyListSerialization::propertyListWithData(*data, &format));
        EXPECT_EQ(format, PropertyListFormat::binary);
        return values;
    }

    // Ages a file so that the defaults may serve it from memory.
    static void settle(const std::filesystem::path& path) {
        timespec times[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }

    testsupport::TemporaryHome home;
};

TEST_F(UserDefaultsTest, EveryValueTypeIsStoredInTheDomainFileAndReadBack) {
    auto defaults = UserDefaults::standardUserDefaults();
    EXPECT_EQ(defaults->domain(), identifier);
    const std::pair<std::string, objc::Id> values[] = {
        {"string", String::make("\xE6\x9D\xB1\xE4\xBA\xAC")},
        {"integer", Number::withInteger(-12)},
        {"double", Number::withDouble(0.125)},
        {"bool", Number::withBool(false)},
        {"data", Data::fromString(std::string("\0\x01", 2))},
        {"date", Date::make(1700000000.5)},
        {"array", Array::make({String::make("a"), Number::withInteger(1)})},
        {"dictionary", Dictionary::make({{"nested", Array::make({Dictionary::make()})}})},
    };
    for (const auto& [key, value] : values) defaults->setObject(value, key);

    auto stored = storedDomain(identifier);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->count(), std::size(values));
    UserDefaults::resetForTesting();
    auto reread = UserDefaults::standardUserDefaults();
    for (const auto& [key, value] : values) {
        SCOPED_TRACE(key);
        auto back = reread->objectForKey(key);
        ASSERT_TRUE(back);
        EXPECT_TRUE(back->isEqual(*value));
    }
    EXPECT_TRUE(numberValue(reread->objectForKey("bool"))->isBoolean());
    EXPECT_FALSE(numberValue(reread->objectForKey("integer"))->isBoolean());

    reread->setBool(true, "flag");
    reread->setInteger(7, "count");
    reread->setDouble(2.5, "ratio");
    reread->setString("text", "name");
    EXPECT_TRUE(reread->boolForKey("flag"));
    EXPECT_EQ(reread->integerForKey("count"), 7);
    EXPECT_EQ(reread->doubleForKey("ratio"), 2.5);
    EXPECT_EQ(reread->stringForKey("name"), "text");
    EXPECT_EQ(reread->dataForKey("data")->length(), 2u);
    EXPECT_TRUE(reread->dictionaryForKey("dictionary"));
    EXPECT_EQ(reread->arrayForKey("array")->count(), 2u);
}

TEST_F(UserDefaultsTest, ValuesHandedOutOrPassedInAreCopies) {
    auto defaults = UserDefaults::standardUserDefaults();
    auto list = Array::make({String::make("a")});
    defaults->setObject(list, "list");
    list->addObject(String::make("changed after set"));
    defaults->arrayForKey("list")->addObject(String::make("changed after get"));
    EXPECT_EQ(defaults->stringArrayForKey("list"), (std::vector<std::string>{"a"}));
}

TEST_F(UserDefaultsTest, RemovingAndSettingNilDeleteTheKeyAndNoOpWritesNothing) {
    auto defaults = UserDefaults::standardUserDefaults();
    defaults->removeObjectForKey("absent");
    EXPECT_FALSE(std::filesystem::exists(domainFile(identifier)));  // nothing written before a change
    defaults->setInteger(1, "a");
    defaults->setInteger(2, "b");
    defaults->removeObjectForKey("a");
    defaults->setObject(nullptr, "b");
    EXPECT_EQ(defaults->objectForKey("a"), nullptr);
    EXPECT_EQ(defaults->objectForKey("b"), nullptr);
    EXPECT_EQ(storedDomain(identifier)->count(), 0u);
}

TEST_F(UserDefaultsTest, ValuesThatAreNotPropertyListsAreRefused) {
    auto defaults = UserDefaults::standardUserDefaults();
    defaults->setString("kept", "key");
    defaults->setObject(URL::URLWithString("https://example.com"), "key");
    defaults->setObject(Array::make({String::make("x"), Null::null()}), "key");
    defaults->setObject(Number::withUnsigned(~0ULL), "key");
    EXPECT_EQ(defaults->stringForKey("key"), "kept");
    EXPECT_EQ(stringValue(storedDomain(identifier)->objectForKey("key")), "kept");
}

TEST_F(UserDefaultsTest, TextThatIsNotUTF8IsRefusedAndTheDomainStaysReadable) {
    auto defaults = UserDefaults::standardUserDefaults();
    defaults->setString("kept", "key");
    defaults->setInteger(7, "other");
    defaults->setString("caf\xC3", "key");
    defaults->setObject(Dictionary::make({{"\xFF", String::make("x")}}), "key");
    defaults->setObject(Array::make({String::make("\xED\xA0\x80")}), "key");
    defaults->setString("value", "k\xFF" "ey");
    defaults->setString("value", std::string("k\0ey", 4));
    auto stored = storedDomain(identifier);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->allKeys(), (std::vector<std::string>{"key", "other"}));
    EXPECT_EQ(stringValue(stored->objectForKey("key")), "kept");
    EXPECT_EQ(defaults->integerForKey("other"), 7);
}

TEST_F(UserDefaultsTest, StringArrayNeedsEveryElementToBeAString) {
    auto defaults = UserDefaults::standardUserDefaults();
    struct Case {
        std::string what;
        objc::Id value;
        std::optional<std::vector<std::string>> expected;
    };
    const Case cases[] = {
        {"strings", Array::make({String::make("chrome:Default"), String::make("brave:Profile 1")}),
         std::vector<std::string>{"chrome:Default", "brave:Profile 1"}},
        {"empty", Array::make(), std::vector<std::string>{}},
        {"mixed", Array::make({String::make("a"), Number::withInteger(1)}), std::nullopt},
        {"nested", Array::make({Array::make({String::make("a")})}), std::nullopt},
        {"not an array", String::make("chrome"), std::nullopt},
        {"dictionary", Dictionary::make({{"a", String::make("b")}}), std::nullopt},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        defaults->setObject(testCase.value, "disabledBrowsers");
        EXPECT_EQ(defaults->stringArrayForKey("disabledBrowsers"), testCase.expected);
    }
    EXPECT_EQ(defaults->stringArrayForKey("absent"), std::nullopt);
}

TEST_F(UserDefaultsTest, TypedGettersConvertAsThePlatformDoes) {
    auto defaults = UserDefaults::standardUserDefaults();
    struct Case {
        objc::Id value;
        bool boolean;
        std::int64_t integer;
        double real;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {String::make("YES"), true, 0, 0, "YES"},
        {String::make("yes"), true, 0, 0, "yes"},
        {String::make("true"), true, 0, 0, "true"},
        {String::make("TRUE"), true, 0, 0, "TRUE"},
        {String::make("1"), true, 1, 1, "1"},
        {String::make(" 42 "), true, 42, 42, " 42 "},
        {String::make("-7"), true, -7, -7, "-7"},
        {String::make("3.9"), true, 3, 3.9, "3.9"},
        {String::make("0"), false, 0, 0, "0"},
        {String::make("NO"), false, 0, 0, "NO"},
        {String::make("no"), false, 0, 0, "no"},
        {String::make("false"), false, 0, 0, "false"},
        {String::make(""), false, 0, 0, ""},
        {String::make("maybe"), false, 0, 0, "maybe"},
        {Number::withBool(true), true, 1, 1, "1"},
        {Number::withBool(false), false, 0, 0, "0"},
        {Number::withInteger(0), false, 0, 0, "0"},
        {Number::withInteger(42), true, 42, 42, "42"},
        {Number::withDouble(2.5), true, 2, 2.5, "2.5"},
        {Number::withDouble(0.0), false, 0, 0, "0"},
        {Data::fromString("1"), false, 0, 0, std::nullopt},
        {Array::make({String::make("1")}), false, 0, 0, std::nullopt},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.value->description());
        defaults->setObject(testCase.value, "value");
        EXPECT_EQ(defaults->boolForKey("value"), testCase.boolean);
        EXPECT_EQ(defaults->integerForKey("value"), testCase.integer);
        EXPECT_DOUBLE_EQ(defaults->doubleForKey("value"), testCase.real);
        EXPECT_EQ(defaults->stringForKey("value"), testCase.text);
    }
    EXPECT_FALSE(defaults->boolForKey("absent"));
    EXPECT_EQ(defaults->integerForKey("absent"), 0);
    EXPECT_EQ(defaults->stringForKey("absent"), std::nullopt);
}

TEST_F(UserDefaultsTest, URLsAreReadFromStrings) {
    auto defaults = UserDefaults::standardUserDefaults();
    defaults->setString("https://example.com/a", "web");
    defaults->setString("~/Documents", "tilde");
    defaults->setString("not a url", "bad");
    EXPECT_EQ(defaults->URLForKey("web")->absoluteString(), "https://example.com/a");
    EXPECT_EQ(defaults->URLForKey("tilde")->path(), (home.path() / "Documents").string());
    EXPECT_EQ(defaults->URLForKey("bad"), nullptr);
}

TEST_F(UserDefaultsTest, SuitesAreTheirOwnDomainsButNotTheMainIdentifierOrTheGlobalDomain) {
    EXPECT_EQ(UserDefaults::initWithSuiteName(identifier), nullptr);
    EXPECT_EQ(UserDefaults::initWithSuiteName(NSGlobalDomain), nullptr);
    auto empty = UserDefaults::initWithSuiteName("");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->domain(), identifier);

    auto suite = UserDefaults::initWithSuiteName("com.example.suite");
    ASSERT_TRUE(suite);
    suite->setString("in suite", "key");
    UserDefaults::standardUserDefaults()->setString("in standard", "key");
    EXPECT_EQ(suite->stringForKey("key"), "in suite");
    EXPECT_EQ(UserDefaults::standardUserDefaults()->stringForKey("key"), "in standard");
    EXPECT_EQ(stringValue(storedDomain("com.example.suite")->objectForKey("key")), "in suite");
    // Two objects over one suite agree at once.
    EXPECT_EQ(UserDefaults::initWithSuiteName("com.example.suite")->stringForKey("key"), "in suite");
}

TEST_F(UserDefaultsTest, NewDomainFilesAreTheOwnersAloneWhileReplacedOnesKeepTheirMode) {
    testsupport::ScopedUmask umask(022);
    UserDefaults::standardUserDefaults()->setString("private", "key");
    EXPECT_EQ(testsupport::permissionsOf(domainFile(identifier)), 0600);
    EXPECT_EQ(testsupport::permissionsOf(domainFile(identifier).parent_path()), 0700);
    std::filesystem::permissions(domainFile(identifier), std::filesystem::perms(0644));
    UserDefaults::standardUserDefaults()->setString("kept", "key");
    EXPECT_EQ(testsupport::permissionsOf(domainFile(identifier)), 0644);
}

TEST_F(UserDefaultsTest, SearchOrderIsOwnDomainThenGlobalDomainThenRegisteredDefaults) {
    writePropertyList(home.path() / "Library/Preferences/.GlobalPreferences.plist",
                      Dictionary::make({{"AppleInterfaceStyle", String::make("Dark")},
                                        {"Shared", String::make("global")},
                                        {"Everywhere", String::make("global")}}));
    auto defaults = UserDefaults::standardUserDefaults();
    defaults->registerDefaults(Dictionary::make({{"Shared", String::make("registered")},
                                                 {"fuzzySearchEnabled", Number::withBool(true)},
                                                 {"Own", String::make("registered")}}));
    defaults->setString("own", "Own");
    defaults->setString("own", "Everywhere");

    EXPECT_EQ(defaults->stringForKey("AppleInterfaceStyle"), "Dark");
    EXPECT_EQ(defaults->stringForKey("Everywhere"), "own");
    EXPECT_EQ(defaults->stringForKey("Shared"), "global");
    EXPECT_EQ(defaults->stringForKey("Own"), "own");
    EXPECT_TRUE(defaults->boolForKey("fuzzySearchEnabled"));
    // Registered values are never written.
    EXPECT_EQ(storedDomain(identifier)->objectForKey("fuzzySearchEnabled"), nullptr);
    // Registration is shared by every defaults object of the process.
    EXPECT_TRUE(UserDefaults::initWithSuiteName("com.example.other")->boolForKey("fuzzySearchEnabled"));

    auto everything = defaults->dictionaryRepresentation();
    EXPECT_EQ(stringValue(everything->objectForKey("Shared")), "global");
    EXPECT_EQ(stringValue(everything->objectForKey("Own")), "own");
    EXPECT_EQ(stringValue(everything->objectForKey("Everywhere")), "own");
    EXPECT_EQ(stringValue(everything->objectForKey("AppleInterfaceStyle")), "Dark");
    EXPECT_TRUE(everything->objectForKey("fuzzySearchEnabled"));

    auto own = defaults->persistentDomainForName(identifier);
    ASSERT_TRUE(own);
    EXPECT_EQ(own->allKeys(), (std::vector<std::string>{"Everywhere", "Own"}));
    EXPECT_EQ(stringValue(defaults->persistentDomainForName(NSGlobalDomain)->objectForKey("Shared")), "global");
    EXPECT_EQ(defaults->persistentDomainForName("com.example.never"), nullptr);
}

TEST_F(UserDefaultsTest, SetPersistentDomainReplacesAWholeDomain) {
    auto defaults = UserDefaults::standardUserDefaults();
    defaults->setPersistentDomain(Dictionary::make({{"AppleLanguages", Array::make({String::make("ja")})}}),
                                  NSGlobalDomain);
    EXPECT_TRUE(std::filesystem::exists(home.path() / "Library/Preferences/.GlobalPreferences.plist"));
    EXPECT_EQ(defaults->stringArrayForKey("AppleLanguages"), (std::vector<std::string>{"ja"}));
    defaults->setPersistentDomain(nullptr, NSGlobalDomain);
    EXPECT_EQ(defaults->objectForKey("AppleLanguages"), nullptr);
}

TEST_F(UserDefaultsTest, AWriteTheFolderRefusesStoresNothingAndTheLogSaysWhy) {
    std::filesystem::create_directories(home.path() / "Library");
    std::ofstream(home.path() / "Library/Preferences") << "a file where the folder belongs";
    auto defaults = UserDefaults::standardUserDefaults();
    testing::internal::CaptureStderr();
    defaults->setString("lost", "key");
    auto logged = testing::internal::GetCapturedStderr();
    EXPECT_EQ(defaults->objectForKey("key"), nullptr);
    EXPECT_NE(logged.find("[UserDefaults] Could not write " + domainFile(identifier).string() + ": "), std::string::npos)
        << logged;
}

TEST_F(UserDefaultsTest, MalformedFileReadsAsEmptyAndIsKeptUntilTheNextWrite) {
    auto path = home.write("Library/Preferences/" + std::string(identifier) + ".plist", "bplist00 garbage");
    auto defaults = UserDefaults::standardUserDefaults();
    EXPECT_EQ(defaults->objectForKey("anything"), nullptr);
    EXPECT_EQ(defaults->persistentDomainForName(identifier), nullptr);
    EXPECT_EQ(defaults->dictionaryRepresentation()->objectForKey("anything"), nullptr);
    defaults->removeObjectForKey("anything");
    EXPECT_EQ(testsupport::readFile(path), "bplist00 garbage");

    defaults->setBool(false, "fuzzySearchEnabled");
    auto stored = storedDomain(identifier);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->allKeys(), std::vector<std::string>{"fuzzySearchEnabled"});

    // A top level that is not a dictionary is no better.
    writePropertyList(path, Array::make({String::make("x")}));
    EXPECT_EQ(defaults->objectForKey("fuzzySearchEnabled"), nullptr);
}

TEST_F(UserDefaultsTest, WithoutABundleIdentifierTheDomainIsTheExecutableName) {
    Bundle::setMainBundlePathForTesting(home.path() / "NoInfo");
    std::filesystem::create_directories(home.path() / "NoInfo");
    UserDefaults::resetForTesting();
    EXPECT_EQ(UserDefaults::standardUserDefaults()->domain(), "platform_foundation_tests");
}

TEST_F(UserDefaultsTest, TheHomeDirectoryIsReadAtEachAccess) {
    auto defaults = UserDefaults::standardUserDefaults();
    defaults->setString("first home", "where");
    {
        testsupport::TemporaryHome other;
        EXPECT_EQ(defaults->stringForKey("where"), std::nullopt);
        defaults->setString("second home", "where");
        EXPECT_TRUE(std::filesystem::exists(other.path() / "Library/Preferences" / (std::string(identifier) + ".plist")));
    }
    EXPECT_EQ(defaults->stringForKey("where"), "first home");
}

TEST_F(UserDefaultsTest, AnotherProcessSeesEveryWriteAndKeepsKeysItDidNotTouch) {
    auto defaults = UserDefaults::standardUserDefaults();
    defaults->setInteger(1, "parent");
    settle(domainFile(identifier));
    EXPECT_EQ(defaults->integerForKey("parent"), 1);  // read while settled: may now be kept in memory

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto own = UserDefaults::standardUserDefaults();
        own->setInteger(own->integerForKey("parent") + 1, "child");
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    EXPECT_EQ(defaults->integerForKey("child"), 2);
    defaults->setInteger(3, "parent");
    auto stored = storedDomain(identifier);
    EXPECT_EQ(numberValue(stored->objectForKey("child"))->integerValue(), 2);
    EXPECT_EQ(numberValue(stored->objectForKey("parent"))->integerValue(), 3);
}

TEST_F(UserDefaultsTest, ChangesMadeInPlaceByOthersAreSeenEvenWithinOneSecond) {
    auto path = domainFile(identifier);
    writePropertyList(path, Dictionary::make({{"word", String::make("aaaa")}}));
    auto defaults = UserDefaults::standardUserDefaults();
    EXPECT_EQ(defaults->stringForKey("word"), "aaaa");
    // Same size, same inode, same coarse timestamp: only the contents differ.
    auto data = PropertyListSerialization::dataWithPropertyList(Dictionary::make({{"word", String::make("bbbb")}}),
                                                                PropertyListFormat::binary);
    int file = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(file, 0);
    ASSERT_EQ(::pwrite(file, data->bytes().data(), data->length(), 0), static_cast<ssize_t>(data->length()));
    ::close(file);
    EXPECT_EQ(defaults->stringForKey("word"), "bbbb");
}

TEST_F(UserDefaultsTest, AKilledWriterNeverLeavesATornFile) {
    auto defaults = UserDefaults::standardUserDefaults();
    constexpr std::size_t itemCount = 40;  // large strings: the writes dominate the writer's time
    int progress[2];
    ASSERT_EQ(::pipe(progress), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(progress[0]);
        auto own = UserDefaults::standardUserDefaults();
        for (int round = 0;; ++round) {
            std::vector<objc::Id> items;
            for (std::size_t index = 0; index < itemCount; ++index)
                items.push_back(String::make("round " + std::to_string(round) + std::string(64 * 1024, '.')));
            own->setObject(Array::make(std::move(items)), "big");
            char signal = 'w';
            if (::write(progress[1], &signal, 1) != 1) ::_exit(0);
        }
    }
    ::close(progress[1]);
    char signal = 0;
    ASSERT_EQ(::read(progress[0], &signal, 1), 1);  // the first value is on disk
    // Read as fast as possible while the writer goes on, so reads land inside its writes.
    int rounds = 0;
    for (int reads = 0; rounds < 15; ++reads) {
        auto stored = storedDomain(identifier);
        ASSERT_TRUE(stored) << "read " << reads;
        auto big = arrayValue(stored->objectForKey("big"));
        ASSERT_TRUE(big) << "read " << reads;
        ASSERT_EQ(big->count(), itemCount);
        EXPECT_TRUE(big->objectAtIndex(0)->isEqual(*big->objectAtIndex(itemCount - 1)));
        pollfd ready{progress[0], POLLIN, 0};
        if (::poll(&ready, 1, 0) == 1) {
            ASSERT_EQ(::read(progress[0], &signal, 1), 1);
            ++rounds;
        }
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(progress[0]);
    auto stored = storedDomain(identifier);
    ASSERT_TRUE(stored);
    EXPECT_EQ(arrayValue(stored->objectForKey("big"))->count(), itemCount);
    EXPECT_EQ(defaults->arrayForKey("big")->count(), itemCount);
}

TEST_F(UserDefaultsTest, TemporaryFilesOfKilledWritersAreRemovedByTheNextWrite) {
    pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    auto folder = home.path() / "Library/Preferences";
    auto abandoned = fmt::format(".{}.plist.kvtmp.{}.3", identifier, gone);
    auto running = fmt::format(".{}.plist.kvtmp.{}.4", identifier, ::getpid());
    auto unrelated = fmt::format(".{}.plist.kvtmp.notes", identifier);
    for (const auto& name : {abandoned, running, unrelated}) home.write("Library/Preferences/" + name, "partial");

    UserDefaults::standardUserDefaults()->setBool(true, "written");
    EXPECT_FALSE(std::filesystem::exists(folder / abandoned));
    EXPECT_TRUE(std::filesystem::exists(folder / running));
    EXPECT_TRUE(std::filesystem::exists(folder / unrelated));
    EXPECT_TRUE(storedDomain(identifier)->objectForKey("written"));
}

TEST_F(UserDefaultsTest, ConcurrentWritersInOneProcessLoseNothing) {
    auto defaults = UserDefaults::standardUserDefaults();
    std::vector<std::thread> writers;
    for (int thread = 0; thread < 4; ++thread)
        writers.emplace_back([defaults, thread] {
            for (int index = 0; index < 25; ++index)
                defaults->setInteger(index, fmt::format("t{}-{}", thread, index));
        });
    for (auto& writer : writers) writer.join();
    EXPECT_EQ(storedDomain(identifier)->count(), 100u);
}

TEST_F(UserDefaultsTest, WritersInTwoProcessesLoseNoKeys) {
    // Each write reads the file, changes it and replaces it; two processes doing so at once
    // must not drop what the other just wrote.
    constexpr int keysEach = 30;
    auto defaults = UserDefaults::standardUserDefaults();
    defaults->setInteger(0, "start");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        auto own = UserDefaults::standardUserDefaults();
        char signal = 'g';
        if (::write(ready[1], &signal, 1) != 1) ::_exit(1);
        for (int index = 0; index < keysEach; ++index) own->setInteger(index, fmt::format("child-{}", index));
        ::_exit(0);
    }
    ::close(ready[1]);
    char signal = 0;
    ASSERT_EQ(::read(ready[0], &signal, 1), 1);
    ::close(ready[0]);
    for (int index = 0; index < keysEach; ++index) defaults->setInteger(index, fmt::format("parent-{}", index));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(storedDomain(identifier)->count(), 2u * keysEach + 1);
}

}  // namespace
