#include "platform/system/StandardUpdaterController.hpp"

#include "platform/appkit/Alert.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/system/UnifiedLog.hpp"
#include "tests/support/ApplicationBundles.hpp"
#include "tests/support/LocalHTTPServer.hpp"
#include "tests/support/TrustedCertificates.hpp"

#include <gtest/gtest.h>

#include <fstream>

using updates::StandardUpdaterController;

namespace {

class UpdaterTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_.server().Get("/latest.json", [this](const httplib::Request&, httplib::Response& response) {
            auto served = served_.lock();
            response.status = served->status;
            response.set_content(served->feed, "application/json");
        });
        server_.start();
    }
    // An alert left open holds itself through its panel.
    void TearDown() override {
        while (auto alert = appkit::Alert::frontmostAlert()) alert->buttons().at(0)->performClick();
    }

    void serve(int status, std::string feed) {
        *served_.lock() = Served{status, std::move(feed)};
    }
    void useBundle(const std::string& version, const std::string& feedAddress) {
        auto bundle = foundation::FileManager::defaultManager().homeDirectoryForCurrentUser() / "Kestrelvault.app";
        std::filesystem::create_directories(bundle / "Contents");
        std::ofstream(bundle / "Contents/Info.plist") << testsupport::stringDictionaryPlist(
            {{"CFBundleName", "Kestrelvault"}, {"CFBundleShortVersionString", version}, {"KVUpdateFeedURL", feedAddress}});
        foundation::Bundle::setMainBundlePathForTesting(bundle);
    }
    // The alert the check ends with, once the feed has been fetched.
    static std::shared_ptr<appkit::Alert> awaitAlert() {
        for (int pass = 0; pass < 20 && !appkit::Alert::frontmostAlert(); ++pass) foundation::RunLoop::main()->runUntilIdle();
        return appkit::Alert::frontmostAlert();
    }

    testsupport::SelfSignedCertificate certificate_;
    testsupport::TrustedCertificate trusted_{certificate_.der()};
    testsupport::LocalHTTPServer server_{certificate_};
    struct Served {
        int status = 200;
        std::string feed;
    };
    foundation::Guarded<Served> served_;  // the server's thread reads what the test serves
};

}  // namespace

TEST_F(UpdaterTest, EachAnswerOfTheServerEndsInItsAlert) {
    struct Case {
        const char* appVersion;
        int status;
        const char* feed;
        const char* message;
        const char* information;
    };
    const char* upToDate = "Kestrelvault is up to date";
    const char* newer = "A new version of Kestrelvault is available";
    const char* failed = "Kestrelvault could not check for updates";
    const Case cases[] = {
        {"1.4", 200, R"({"version": "1.4.0", "channel": "beta"})", upToDate, "Version 1.4 is the newest version available."},
        {"1.4", 200, R"({"version": "01.5", "releaseNotesURL": "https://kestrelvault.invalid/notes"})", newer,
         "Kestrelvault 01.5 is available; you have 1.4. Release notes: https://kestrelvault.invalid/notes"},
        {"1.9", 200, R"({"version": "1.10"})", newer, "Kestrelvault 1.10 is available; you have 1.9."},
        {"18446744073709551615", 200, R"({"version": "18446744073709551616"})", newer,
         "Kestrelvault 18446744073709551616 is available; you have 18446744073709551615."},
        {"1.4", 404, "{}", failed, "The update server answered with status 404."},
        {"1.4", 200, "[1]", failed, "The update information is not valid: it is not a JSON object."},
        {"1.4", 200, R"({"version": "1.5 beta"})", failed,
         "The update information is not valid: its \"version\" is not a dotted version number."},
        {"1.4", 200, R"({"version": "1.5", "releaseNotesURL": "http://kestrelvault.invalid/notes"})", failed,
         "The update information is not valid: its \"releaseNotesURL\" is not an https address."},
        {"1.4b", 200, R"({"version": "1.5"})", failed, "The application's version \"1.4b\" is not a dotted version number."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.feed);
        useBundle(c.appVersion, server_.url("/latest.json"));
        serve(c.status, c.feed);
        StandardUpdaterController controller(true, nullptr, nullptr);
        controller.checkForUpdates(nullptr);
        auto alert = awaitAlert();
        ASSERT_NE(alert, nullptr);
        EXPECT_EQ(alert->messageText(), c.message);
        EXPECT_EQ(alert->informativeText(), c.information);
        alert->buttons().at(0)->performClick();
        EXPECT_TRUE(controller.updater()->canCheckForUpdates.get());
    }
}

TEST_F(UpdaterTest, ACheckWhoseUpdaterIsGoneEndsInNoAlert) {
    useBundle("1.4", server_.url("/latest.json"));
    auto controller = std::make_unique<StandardUpdaterController>(true, nullptr, nullptr);
    controller->checkForUpdates(nullptr);
    controller.reset();
    for (int pass = 0; pass < 3; ++pass) foundation::RunLoop::main()->runUntilIdle();
    EXPECT_EQ(appkit::Alert::frontmostAlert(), nullptr);
}

TEST_F(UpdaterTest, WithoutAnHttpsFeedAddressTheUpdaterDoesNotStartAndNeverChecks) {
    for (const char* address : {"", "http://127.0.0.1/latest.json", "https:///latest.json", "not an address"}) {
        SCOPED_TRACE(address);
        useBundle("1.4", address);
        darwin::LogCapture capture;
        StandardUpdaterController controller(true, nullptr, nullptr);
        EXPECT_FALSE(controller.updater()->canCheckForUpdates.get());
        EXPECT_EQ(capture.entriesContaining("The updater did not start").size(), 1u);
        controller.checkForUpdates(nullptr);
        foundation::RunLoop::main()->runUntilIdle();
        EXPECT_EQ(appkit::Alert::frontmostAlert(), nullptr);
    }
}
