#include "platform/system/SMAppService.hpp"

#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/FileManager.hpp"
#include "tests/support/ApplicationBundles.hpp"
#include "tests/support/TemporaryHome.hpp"

#include <gtest/gtest.h>

#include <fstream>

using servicemanagement::SMAppService;
using servicemanagement::SMAppServiceStatus;

namespace {

class SMAppServiceTest : public ::testing::Test {
protected:
    // An application bundle with an executable, made the main bundle.
    std::filesystem::path installApplication(const std::filesystem::path& folder, bool withExecutable = true) {
        auto bundle = home / folder / "Kestrelvault.app";
        std::filesystem::create_directories(bundle / "Contents" / "MacOS");
        std::ofstream(bundle / "Contents" / "Info.plist") << testsupport::stringDictionaryPlist(
            {{"CFBundleIdentifier", "com.kestrelvault.Kestrelvault"}, {"CFBundleExecutable", "Kestrelvault"},
             {"CFBundleName", "Kestrelvault"}});
        if (withExecutable) std::ofstream(bundle / "Contents" / "MacOS" / "Kestrelvault") << "#!/bin/sh\n";
        foundation::Bundle::setMainBundlePathForTesting(bundle);
        return bundle;
    }
    void writeEntry(const std::string& contents) {
        std::filesystem::create_directories(entry.parent_path());
        std::ofstream(entry) << contents;
    }

    std::filesystem::path home = foundation::FileManager::defaultManager().homeDirectoryForCurrentUser();
    std::filesystem::path entry = home / ".config/autostart/com.kestrelvault.Kestrelvault.desktop";
    std::shared_ptr<SMAppService> service = SMAppService::mainAppService();
};

}  // namespace

TEST_F(SMAppServiceTest, RegisteringWritesAnAutostartEntryForTheBundlesExecutableAndUnregisteringRemovesIt) {
    auto bundle = installApplication("Applications");
    EXPECT_EQ(service->status(), SMAppServiceStatus::notRegistered);

    std::shared_ptr<foundation::Error> error;
    ASSERT_TRUE(service->registerAndReturnError(&error)) << error->description();
    EXPECT_EQ(service->status(), SMAppServiceStatus::enabled);
    auto text = testsupport::readFile(entry).value_or("");
    EXPECT_NE(text.find("[Desktop Entry]\nType=Application\nName=Kestrelvault\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nExec=\"" + (bundle / "Contents/MacOS/Kestrelvault").string() + "\"\n"), std::string::npos) << text;
    EXPECT_TRUE(service->registerAndReturnError(&error)) << "registering again keeps it registered";

    ASSERT_TRUE(service->unregisterAndReturnError(&error));
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_EQ(service->status(), SMAppServiceStatus::notRegistered);
    EXPECT_FALSE(service->unregisterAndReturnError(&error));
    EXPECT_EQ(error->domain(), servicemanagement::SMAppServiceErrorDomain);
    EXPECT_EQ(error->code(), servicemanagement::kSMErrorJobNotFound);
}

TEST_F(SMAppServiceTest, ExecQuotesThePathSoThatNoCharacterOfItIsReadAsSyntax) {
    // In the file, backslashes are doubled once more by the value escapes.
    auto bundle = installApplication(R"(Apps "q" $HOME `x` 100% a\b)");
    ASSERT_TRUE(service->registerAndReturnError(nullptr));
    std::string expected = "\nExec=\"" + home.string() +
                           R"(/Apps \\"q\\" \\$HOME \\`x\\` 100%% a\\\\b/Kestrelvault.app/Contents/MacOS/Kestrelvault")" + "\n";
    auto text = testsupport::readFile(entry).value_or("");
    EXPECT_NE(text.find(expected), std::string::npos) << text;
}

TEST_F(SMAppServiceTest, StatusAndRegistrationFollowTheEntryTheUserLeft) {
    struct Case {
        const char* entry;
        SMAppServiceStatus status;
        bool registers;
    };
    const Case cases[] = {
        {"[Desktop Entry]\nType=Application\nExec=/old/place\n", SMAppServiceStatus::enabled, true},
        {"[Desktop Entry]\nHidden=true\n", SMAppServiceStatus::requiresApproval, false},
        {"# switched off\n[Desktop Entry]\nX-GNOME-Autostart-enabled = false\n", SMAppServiceStatus::requiresApproval, false},
        {"[Desktop Entry]\n[Desktop Action New]\nHidden=true\n", SMAppServiceStatus::enabled, true},
        {"not a desktop entry\n", SMAppServiceStatus::notRegistered, true},
    };
    installApplication("Applications");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        writeEntry(c.entry);
        EXPECT_EQ(service->status(), c.status);
        std::shared_ptr<foundation::Error> error;
        EXPECT_EQ(service->registerAndReturnError(&error), c.registers);
        if (c.registers) {
            EXPECT_EQ(service->status(), SMAppServiceStatus::enabled);
        } else {
            EXPECT_EQ(error->code(), servicemanagement::kSMErrorLaunchDeniedByUser);
            EXPECT_EQ(testsupport::readFile(entry), c.entry) << "the user's choice is kept";
        }
    }
}

TEST_F(SMAppServiceTest, AnApplicationWithoutItsExecutableIsNotFoundAndCannotRegister) {
    installApplication("Applications", false);
    EXPECT_EQ(service->status(), SMAppServiceStatus::notFound);
    std::shared_ptr<foundation::Error> error;
    EXPECT_FALSE(service->registerAndReturnError(&error));
    EXPECT_EQ(error->code(), servicemanagement::kSMErrorJobNotFound);
    EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST_F(SMAppServiceTest, AnEntryThatCannotBeWrittenFailsWithTheFileErrorUnderneath) {
    installApplication("Applications");
    std::ofstream(home / ".config") << "a file where the folder belongs";
    std::shared_ptr<foundation::Error> error;
    EXPECT_FALSE(service->registerAndReturnError(&error));
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->code(), servicemanagement::kSMErrorInternalFailure);
    EXPECT_NE(foundation::errorValue(error->userInfo()->objectForKey(foundation::NSUnderlyingErrorKey)), nullptr);
    EXPECT_EQ(service->status(), SMAppServiceStatus::notRegistered);
}
