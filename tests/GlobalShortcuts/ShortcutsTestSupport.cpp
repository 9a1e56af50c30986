#include "tests/GlobalShortcuts/ShortcutsTestSupport.hpp"

#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "GlobalShortcuts/ResourceBundle.hpp"
#include "GlobalShortcuts/ShortcutStorage.hpp"
#include "platform/appkit/Application.hpp"
#include "platform/carbon/EventManager.hpp"
#include "platform/carbon/TextInputSources.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/ProcessInfo.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "tests/support/PlatformSettings.hpp"

#include <filesystem>
#include <fstream>

namespace shortcutstest {

namespace {

void writeFile(const std::filesystem::path& path, const std::string& contents) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

}  // namespace

void ShortcutsTest::SetUp() {
    foundation::Clock::installManual();
    auto app = home.path() / "Kestrelvault.app";
    writeFile(app / "Contents/Info.plist",
              testsupport::xmlPropertyList("<key>CFBundleIdentifier</key><string>com.kestrelvault.tests</string>"
                                           "<key>CFBundleDevelopmentRegion</key><string>en</string>"));
    auto bundle = app / "Contents/Resources" / GlobalShortcuts::resourceBundleName;
    writeFile(bundle / "en.lproj/Localizable.strings",
              testsupport::xmlPropertyList("<key>space_key</key><string>space</string>"));
    foundation::Bundle::setMainBundlePathForTesting(app);
}

void ShortcutsTest::setPlatformSettings(const std::string& layoutIdentifier, const std::string& moreEntries) {
    testsupport::writePlatformSettings("<key>KVKeyboardLayout</key><string>" + layoutIdentifier + "</string>" +
                                       moreEntries);
}

std::vector<unsigned> ShortcutsTest::liveHotKeyIds() {
    std::vector<unsigned> identifiers;
    for (const auto& registration : carbon::EventManager::shared().registeredHotKeys())
        identifiers.push_back(registration.identifier.id);
    return identifiers;
}

void ShortcutsTest::runUntilIdle(const char* mode) { ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle(mode)); }

ChangeRecorder::ChangeRecorder()
    : token_(foundation::NotificationCenter::defaultCenter()->addObserver(
          GlobalShortcuts::shortcutByNameDidChange, nullptr, nullptr, [this](const foundation::Notification& notification) {
              EXPECT_EQ(notification.object, nullptr);
              auto name = notification.userInfo ? objc::as<objc::Box<GlobalShortcuts::Name>>(
                                                      notification.userInfo->objectForKey("name"))
                                                : nullptr;
              names_.push_back(name ? name->value.rawValue() : "<missing>");
          })) {}

}  // namespace shortcutstest
