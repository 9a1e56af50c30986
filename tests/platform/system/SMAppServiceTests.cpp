#include "platform/system/SMAppService.hpp"

#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/FileManager.hpp"
#include "tests/support/ApplicationBundles.hpp"
#include "tests/support/TemporaryHome.hpp"

#include <gtest/gtest.h>

#include <fstream>

using namespace servicemanagement;

namespace {

class SMAppServiceTest : public ::testing::Test {
protected:
    // An application bundle, with or without its executable, made the main bundle.
    void installApplication(const std::filesystem::path& folder, bool withExecutable = true) {
        auto bundle = home / folder / "Kestrelvault.app";
        std::filesystem::create_directories(bundle / "Contents/MacOS");
        std::ofstream(bundle / "Contents/Info.plist") << testsupport::stringDictionaryPlist(
            {{"CFBundleIdentifier", "com.kestrelvault.Kestrelvault"}, {"CFBundleExecutable", "Kestrelvault"},
             {"CFBundleName", "Kestrelvault"}});
        if (withExecutable) std::ofstream(bundle / "Contents/MacOS/Kestrelvault") << "#!/bin/sh\n";
        foundation::Bundle::setMainBundlePathForTesting(bundle);
    }

    std::filesystem::path home = foundation::FileManager::defaultManager().homeDirectoryForCurrentUser();
    std::filesystem::path entry = home / ".config/autostart/com.kestrelvault.Kestrelvault.desktop";
    std::shared_ptr<SMAppService> service = SMAppService::mainAppService();
    std::shared_ptr<foundation::Error> error;
};

}  // namespace

TEST_F(SMAppServiceTest, RegisteringWritesAnEntryStartingTheQuotedExecutableAndUnregisteringRemovesIt) {
    installApplication(R"(Apps "q" $HOME `x` 100% a\b)" "\n\t\r");
    EXPECT_EQ(service->status(), SMAppServiceStatus::notRegistered);
    ASSERT_TRUE(service->registerAndReturnError(&error)) << error->description();
    EXPECT_EQ(service->status(), SMAppServiceStatus::enabled);
    // One quoted argument: quoting escapes first, then the value escapes double every
    // backslash once more and spell out line breaks and tabs, so no character of the path
    // reads as syntax or ends the line.
    std::string exec = "\"" + home.string() + R"(/Apps \\"q\\" \\$HOME \\`x\\` 100%% a\\\\b\n\t\r)" +
                       "/Kestrelvault.app/Contents/MacOS/Kestrelvault\"";
    EXPECT_EQ(testsupport::readFile(entry), "[Desktop Entry]\nType=Application\nName=Kestrelvault\nExec=" + exec +
                                                "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
    EXPECT_TRUE(service->registerAndReturnError(&error)) << "registering again keeps it registered";

    ASSERT_TRUE(service->unregisterAndReturnError(&error));
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_EQ(service->status(), SMAppServiceStatus::notRegistered);
    EXPECT_FALSE(service->unregisterAndReturnError(&error));
    EXPECT_EQ(error->domain(), SMAppServiceErrorDomain);
    EXPECT_EQ(error->code(), kSMErrorJobNotFound);
}

TEST_F(SMAppServiceTest, StatusAndRegistrationFollowTheEntryTheUserLeft) {
    struct Case {
        const char* entry;
        SMAppServiceStatus status;
    };
    const Case cases[] = {
        {"[Desktop Entry]\nType=Application\nExec=/old/place\n", SMAppServiceStatus::enabled},
        {"[Desktop Entry]\nHidden=true\n", SMAppServiceStatus::requiresApproval},
        {"# switched off\n[Desktop Entry]\nX-GNOME-Autostart-enabled = false\n", SMAppServiceStatus::requiresApproval},
        {"[Desktop Entry]\n[Desktop Action New]\nHidden=true\n", SMAppServiceStatus::enabled},
        {"not a desktop entry\n", SMAppServiceStatus::notRegistered},
    };
    installApplication("Applications");
    std::filesystem::create_directories(entry.parent_path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        std::ofstream(entry) << c.entry;
        EXPECT_EQ(service->status(), c.status);
        bool switchedOff = c.status == SMAppServiceStatus::requiresApproval;
        EXPECT_EQ(service->registerAndReturnError(&error), !switchedOff);
        if (switchedOff) {
            EXPECT_EQ(error->code(), kSMErrorLaunchDeniedByUser);
            EXPECT_EQ(testsupport::readFile(entry), c.entry) << "the user's choice is kept";
        } else {
            EXPECT_EQ(service->status(), SMAppServiceStatus::enabled);
        }
    }
}

TEST_F(SMAppServiceTest, AnApplicationWithoutItsExecutableIsNotFoundAndCannotRegister) {
    installApplication("Applications", false);
    EXPECT_EQ(service->status(), SMAppServiceStatus::notFound);
    EXPECT_FALSE(service->registerAndReturnError(&error));
    EXPECT_EQ(error->code(), kSMErrorJobNotFound);
}
