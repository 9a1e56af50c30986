#include "platform/foundation/Array.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/PropertyListSerialization.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "tests/support/TemporaryHome.hpp"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace foundation;

namespace {

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* previous = std::getenv(name)) previous_ = previous;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnvironment() {
        if (previous_)
            ::setenv(name_.c_str(), previous_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }

private:
    std::string name_;
    std::optional<std::string> previous_;
};

class BundleTest : public testing::Test {
protected:
    void SetUp() override {
        auto info = Dictionary::make({{"CFBundleIdentifier", String::make("com.example.kestrelvault")},
                                      {"CFBundleDevelopmentRegion", String::make("en")},
                                      {"CFBundleShortVersionString", String::make("1.2")}});
        home.write("Kestrelvault.app/Contents/Info.plist",
                   PropertyListSerialization::dataWithPropertyList(info, PropertyListFormat::xml)->view());
        home.write("Kestrelvault.app/Contents/Resources/en.lproj/Localizable.strings",
                   "/* English */\n\"safari_bookmarks_bar\" = \"Favorites\";\n\"quit\" = \"Quit\";\n");
        home.write("Kestrelvault.app/Contents/Resources/ja.lproj/Localizable.strings",
                   "\"safari_bookmarks_bar\" = \"\xE3\x81\x8A\xE6\xB0\x97\xE3\x81\xAB\xE5\x85\xA5\xE3\x82\x8A\";\n");
        Bundle::setMainBundlePathForTesting(home.path() / "Kestrelvault.app");
    }

    void setLanguages(std::vector<std::string> languages) {
        std::vector<objc::Id> items;
        for (auto& language : languages) items.push_back(String::make(language));
        UserDefaults::standardUserDefaults()->setPersistentDomain(
            Dictionary::make({{"AppleLanguages", Array::make(std::move(items))}}), NSGlobalDomain);
    }

    testsupport::TemporaryHome home;
    ScopedEnvironment noLanguageOverride{"LC_ALL", nullptr};
    ScopedEnvironment noMessagesLocale{"LC_MESSAGES", nullptr};
};

TEST(BundleLocation, TheMainBundleIsTheApplicationAroundTheExecutable) {
    struct Case {
        std::filesystem::path executable;
        std::filesystem::path bundle;
    };
    const Case cases[] = {
        {"/Applications/Kestrelvault.app/Contents/MacOS/Kestrelvault", "/Applications/Kestrelvault.app"},
        {"/build/Kestrelvault.app/Contents/MacOS/other", "/build/Kestrelvault.app"},
        {"/usr/local/bin/tool", "/usr/local/bin"},
        {"/x/Kestrelvault.app/Contents/Resources/tool", "/x/Kestrelvault.app/Contents/Resources"},
        {"/x/NotAnApp/Contents/MacOS/tool", "/x/NotAnApp/Contents/MacOS"},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(Bundle::mainBundlePathForExecutable(testCase.executable), testCase.bundle) << testCase.executable;
}

TEST_F(BundleTest, InfoPlistIsReadInEitherFormat) {
    auto bundle = Bundle::mainBundle();
    EXPECT_EQ(bundle->bundlePath(), home.path() / "Kestrelvault.app");
    EXPECT_EQ(bundle->resourcePath(), home.path() / "Kestrelvault.app/Contents/Resources");
    EXPECT_EQ(bundle->bundleIdentifier(), "com.example.kestrelvault");
    EXPECT_EQ(stringValue(bundle->objectForInfoDictionaryKey("CFBundleShortVersionString")), "1.2");
    EXPECT_EQ(bundle->objectForInfoDictionaryKey("Missing"), nullptr);

    auto binaryInfo = PropertyListSerialization::dataWithPropertyList(
        Dictionary::make({{"CFBundleIdentifier", String::make("com.example.binary")}}), PropertyListFormat::binary);
    home.write("Binary.app/Contents/Info.plist", binaryInfo->view());
    EXPECT_EQ(Bundle::bundleWithPath(home.path() / "Binary.app")->bundleIdentifier(), "com.example.binary");

    home.write("Broken.app/Contents/Info.plist", "<plist><dict><key>");
    auto broken = Bundle::bundleWithPath(home.path() / "Broken.app");
    ASSERT_TRUE(broken);
    EXPECT_EQ(broken->bundleIdentifier(), std::nullopt);
    EXPECT_EQ(broken->infoDictionary()->count(), 0u);
}

TEST_F(BundleTest, BundlesAreFoundByPathOnlyWhereADirectoryIs) {
    home.write("Resources/GlobalShortcuts_GlobalShortcuts.bundle/en.lproj/Localizable.strings",
               "\"record_shortcut\" = \"Record Shortcut\";");
    auto flat = Bundle::bundleWithPath(home.path() / "Resources/GlobalShortcuts_GlobalShortcuts.bundle");
    ASSERT_TRUE(flat);
    EXPECT_EQ(flat->resourcePath(), home.path() / "Resources/GlobalShortcuts_GlobalShortcuts.bundle");
    EXPECT_EQ(flat->localizedStringForKey("record_shortcut"), "Record Shortcut");
    EXPECT_EQ(Bundle::bundleWithPath(home.path() / "Resources/Missing.bundle"), nullptr);
    EXPECT_EQ(Bundle::bundleWithPath(home.path() / "Kestrelvault.app/Contents/Info.plist"), nullptr);
    EXPECT_EQ(Bundle::bundleWithPath(""), nullptr);
}

TEST_F(BundleTest, StringsComeFromThePreferredLanguageWithTheKeyOrValueAsFallback) {
    struct Case {
        std::vector<std::string> appleLanguages;
        const char* lang;
        std::string key;
        std::string value;
        std::string expected;
    };
    const std::string japanese = "\xE3\x81\x8A\xE6\xB0\x97\xE3\x81\xAB\xE5\x85\xA5\xE3\x82\x8A";
    const Case cases[] = {
        {{"ja"}, "en_US.UTF-8", "safari_bookmarks_bar", "", japanese},
        {{"ja-JP"}, nullptr, "safari_bookmarks_bar", "", japanese},
        {{"en"}, "ja_JP.UTF-8", "safari_bookmarks_bar", "", "Favorites"},
        {{}, "ja_JP.UTF-8", "safari_bookmarks_bar", "", japanese},
        {{"fr", "de"}, "ja_JP.UTF-8", "safari_bookmarks_bar", "", japanese},
        {{}, "C", "safari_bookmarks_bar", "", "Favorites"},
        {{}, nullptr, "quit", "", "Quit"},
        // The chosen table decides: a key it lacks is not taken from another language.
        {{"ja"}, nullptr, "quit", "", "quit"},
        {{"ja"}, nullptr, "search_bookmarks_placeholder", "Search", "Search"},
        {{"en"}, nullptr, "no_such_key", "", "no_such_key"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.key + " / " + (testCase.lang ? testCase.lang : "no LANG"));
        ScopedEnvironment lang("LANG", testCase.lang);
        setLanguages(testCase.appleLanguages);
        EXPECT_EQ(Bundle::mainBundle()->localizedStringForKey(testCase.key, testCase.value), testCase.expected);
    }
}

TEST_F(BundleTest, PreferredLanguagesListSettingsThenTheEnvironment) {
    ScopedEnvironment lang("LANG", "ja_JP.UTF-8");
    setLanguages({"en-GB", "ja"});
    EXPECT_EQ(preferredLanguages(), (std::vector<std::string>{"en-GB", "ja"}));
    ScopedEnvironment all("LC_ALL", "de_DE@euro");
    EXPECT_EQ(preferredLanguages(), (std::vector<std::string>{"en-GB", "ja", "de"}));
}

TEST_F(BundleTest, TablesMayBePropertyListsAndMalformedTablesGiveTheKey) {
    auto table = PropertyListSerialization::dataWithPropertyList(
        Dictionary::make({{"welcome_title", String::make("Welcome")}}), PropertyListFormat::xml);
    home.write("Kestrelvault.app/Contents/Resources/en.lproj/Welcome.strings", table->view());
    home.write("Kestrelvault.app/Contents/Resources/en.lproj/Broken.strings", "\"quit\" = \"Quit\"\n\"x\" = ");
    setLanguages({"en"});
    auto bundle = Bundle::mainBundle();
    EXPECT_EQ(bundle->localizedStringForKey("welcome_title", "", "Welcome"), "Welcome");
    EXPECT_EQ(bundle->localizedStringForKey("quit", "", "Broken"), "quit");
    EXPECT_EQ(bundle->localizedStringForKey("quit", "", "../en.lproj/Localizable"), "quit");
}

TEST_F(BundleTest, AssetsAndResourcesAreFilesInsideTheResourceFolder) {
    auto resources = home.path() / "Kestrelvault.app/Contents/Resources";
    home.write("Kestrelvault.app/Contents/Resources/Assets/ChromiumAvatars/avatar_3.png", "png");
    home.write("Kestrelvault.app/Contents/Resources/Assets/MenuBarIcon.png", "png");
    home.write("Kestrelvault.app/Contents/Resources/ZadizuService-Info.plist", "<plist/>");
    home.write("Kestrelvault.app/Contents/Resources/ja.lproj/Notes.txt", "only in ja");
    home.write("secret.png", "outside");
    setLanguages({"ja"});
    auto bundle = Bundle::mainBundle();

    EXPECT_EQ(bundle->imagePathForAsset("ChromiumAvatars/avatar_3"), resources / "Assets/ChromiumAvatars/avatar_3.png");
    EXPECT_EQ(bundle->imagePathForAsset("MenuBarIcon"), resources / "Assets/MenuBarIcon.png");
    EXPECT_EQ(bundle->imagePathForAsset("ChromiumAvatars/avatar_26"), std::nullopt);
    EXPECT_EQ(bundle->imagePathForAsset("ChromiumAvatars"), std::nullopt);
    EXPECT_EQ(bundle->imagePathForAsset("../../../../secret"), std::nullopt);
    EXPECT_EQ(bundle->imagePathForAsset(""), std::nullopt);

    EXPECT_EQ(bundle->pathForResource("ZadizuService-Info", "plist"), resources / "ZadizuService-Info.plist");
    EXPECT_EQ(bundle->pathForResource("ZadizuService-Info.plist", ""), resources / "ZadizuService-Info.plist");
    EXPECT_EQ(bundle->pathForResource("Notes", "txt"), resources / "ja.lproj/Notes.txt");
    EXPECT_EQ(bundle->pathForResource("Missing", "plist"), std::nullopt);
    EXPECT_EQ(bundle->pathForResource("../Info", "plist"), std::nullopt);
}

}  // namespace
