#include "platform/system/StandardUpdaterController.hpp"

#include "platform/appkit/Alert.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/system/UnifiedLog.hpp"
#include "tests/support/ApplicationBundles.hpp"
#include "tests/support/LocalHTTPServer.hpp"
#include "tests/support/TemporaryHome.hpp"
#include "tests/support/TrustedCertificates.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <mutex>

using updates::SoftwareVersion;
using updates::StandardUpdaterController;

namespace {

class UpdaterTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::trustCertificateInPlatformSettings(certificate_.der());
        server_.server().Get("/latest.json", [this](const httplib::Request&, httplib::Response& response) {
            std::lock_guard lock(mutex_);
            ++requests_;
            response.status = status_;
            response.set_content(feed_, "application/json");
        });
        server_.start();
    }
    // An alert left open holds itself through its panel.
    void TearDown() override {
        while (auto alert = appkit::Alert::frontmostAlert()) alert->buttons().at(0)->performClick();
    }

    void useBundle(std::map<std::string, std::string> info) {
        auto bundle = foundation::FileManager::defaultManager().homeDirectoryForCurrentUser() / "Kestrelvault.app";
        std::filesystem::create_directories(bundle / "Contents");
        info.emplace("CFBundleName", "Kestrelvault");
        std::ofstream(bundle / "Contents/Info.plist") << testsupport::stringDictionaryPlist(info);
        foundation::Bundle::setMainBundlePathForTesting(bundle);
    }
    void useBundleWithFeed(std::string version = "1.4") {
        useBundle({{"CFBundleShortVersionString", std::move(version)}, {"KVUpdateFeedURL", server_.url("/latest.json")}});
    }
    void serve(int status, std::string feed) {
        std::lock_guard lock(mutex_);
        status_ = status;
        feed_ = std::move(feed);
    }
    int requests() {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    // The alert the check ends with, after the feed has been fetched.
    static std::shared_ptr<appkit::Alert> awaitAlert() {
        for (int pass = 0; pass < 20 && !appkit::Alert::frontmostAlert(); ++pass) foundation::RunLoop::main()->runUntilIdle();
        return appkit::Alert::frontmostAlert();
    }

    testsupport::SelfSignedCertificate certificate_;
    testsupport::LocalHTTPServer server_{certificate_};
    std::mutex mutex_;
    int status_ = 200;
    std::string feed_;
    int requests_ = 0;
};

}  // namespace

TEST_F(UpdaterTest, ANewerVersionIsAnnouncedAndNoOtherCheckStartsUntilTheUserDismissedIt) {
    useBundleWithFeed();
    serve(200, R"({"version": "1.10", "releaseNotesURL": "https://kestrelvault.invalid/notes/1.10"})");
    StandardUpdaterController controller(true, nullptr, nullptr);
    auto updater = controller.updater();
    std::vector<bool> seen;
    auto token = updater->canCheckForUpdates.observe([&](bool value) { seen.push_back(value); },
                                                     foundation::ObservingOptions::initialAndNew);

    controller.checkForUpdates(nullptr);
    EXPECT_FALSE(updater->canCheckForUpdates.get());
    auto alert = awaitAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->messageText(), "A new version of Kestrelvault is available");
    EXPECT_EQ(alert->informativeText(),
              "Kestrelvault 1.10 is available; you have 1.4. Release notes: https://kestrelvault.invalid/notes/1.10");
    EXPECT_TRUE(alert->window()->isKeyWindow());
    controller.checkForUpdates(nullptr);
    EXPECT_EQ(requests(), 1);

    alert->buttons().at(0)->performClick();
    EXPECT_FALSE(alert->window()->isVisible());
    EXPECT_EQ(seen, (std::vector<bool>{true, false, true}));
}

TEST_F(UpdaterTest, EachAnswerOfTheServerEndsInItsAlert) {
    struct Case {
        int status;
        const char* feed;
        const char* message;
        const char* information;
    };
    const char* upToDate = "Kestrelvault is up to date";
    const char* failed = "Kestrelvault could not check for updates";
    const Case cases[] = {
        {200, R"({"version": "1.4"})", upToDate, "Version 1.4 is the newest version available."},
        {200, R"({"version": "1.4.0", "channel": "beta"})", upToDate, "Version 1.4 is the newest version available."},
        {200, R"({"version": "1.3.99"})", upToDate, "Version 1.4 is the newest version available."},
        {200, R"({"version": "01.5"})", "A new version of Kestrelvault is available",
         "Kestrelvault 01.5 is available; you have 1.4."},
        {404, "{}", failed, "The update server answered with status 404."},
        {200, "[1]", failed, "The update information is not valid: it is not a JSON object."},
        {200, "{\"version\":", failed, "The update information is not valid: it is not a JSON object."},
        {200, R"({"version": "1.5 beta"})", failed,
         "The update information is not valid: its \"version\" is not a dotted version number."},
        {200, R"({"version": "1.5", "releaseNotesURL": "http://kestrelvault.invalid/notes"})", failed,
         "The update information is not valid: its \"releaseNotesURL\" is not an https address."},
    };
    useBundleWithFeed();
    StandardUpdaterController controller(true, nullptr, nullptr);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.feed);
        serve(c.status, c.feed);
        controller.checkForUpdates(nullptr);
        auto alert = awaitAlert();
        ASSERT_NE(alert, nullptr);
        EXPECT_EQ(alert->messageText(), c.message);
        EXPECT_EQ(alert->informativeText(), c.information);
        alert->buttons().at(0)->performClick();
        EXPECT_TRUE(controller.updater()->canCheckForUpdates.get());
    }
}

TEST_F(UpdaterTest, AnApplicationVersionThatIsNotANumberOrAnUnreachableServerIsReported) {
    useBundleWithFeed("1.4b");
    serve(200, R"({"version": "1.5"})");
    StandardUpdaterController controller(true, nullptr, nullptr);
    controller.checkForUpdates(nullptr);
    auto alert = awaitAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->informativeText(), "The application's version \"1.4b\" is not a dotted version number.");
    alert->buttons().at(0)->performClick();

    int closedPort = server_.port();
    server_.server().stop();
    useBundle({{"CFBundleShortVersionString", "1.4"},
               {"KVUpdateFeedURL", "https://127.0.0.1:" + std::to_string(closedPort) + "/latest.json"}});
    StandardUpdaterController unreachable(true, nullptr, nullptr);
    unreachable.checkForUpdates(nullptr);
    alert = awaitAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->messageText(), "Kestrelvault could not check for updates");
    EXPECT_FALSE(alert->informativeText().empty());
}

TEST_F(UpdaterTest, WithoutAnHttpsFeedAddressTheUpdaterDoesNotStartAndNeverChecks) {
    for (const char* address : {"", "http://127.0.0.1/latest.json", "https:///latest.json", "not an address"}) {
        SCOPED_TRACE(address);
        useBundle({{"CFBundleShortVersionString", "1.4"}, {"KVUpdateFeedURL", address}});
        darwin::LogCapture capture;
        StandardUpdaterController controller(true, nullptr, nullptr);
        EXPECT_FALSE(controller.updater()->canCheckForUpdates.get());
        EXPECT_EQ(capture.entriesContaining("The updater did not start").size(), 1u);
        controller.checkForUpdates(nullptr);
        foundation::RunLoop::main()->runUntilIdle();
        EXPECT_EQ(appkit::Alert::frontmostAlert(), nullptr);
    }
    EXPECT_EQ(requests(), 0);
}

TEST_F(UpdaterTest, ACheckWhoseUpdaterIsGoneShowsNothing) {
    useBundleWithFeed();
    serve(200, R"({"version": "2"})");
    auto controller = std::make_unique<StandardUpdaterController>(true, nullptr, nullptr);
    controller->checkForUpdates(nullptr);
    controller.reset();
    for (int pass = 0; pass < 3; ++pass) foundation::RunLoop::main()->runUntilIdle();
    EXPECT_EQ(appkit::Alert::frontmostAlert(), nullptr);
}

TEST(SoftwareVersion, ComparesDottedNumbersOfAnyLengthAndRefusesEverythingElse) {
    for (const char* text : {"", ".", "1.", ".1", "1..2", "a", "1.2b", " 1", "-1", "1,2"})
        EXPECT_FALSE(SoftwareVersion::parse(text)) << text;
    auto version = [](const char* text) { return *SoftwareVersion::parse(text); };
    EXPECT_EQ(version("1.2"), version("1.2.0.0"));
    EXPECT_EQ(version("0001.02"), version("1.2"));
    EXPECT_GT(version("1.10"), version("1.9"));
    EXPECT_GT(version("2"), version("1.99.99"));
    EXPECT_LT(version("1.2"), version("1.2.1"));
    EXPECT_GT(version("18446744073709551616"), version("18446744073709551615"));
    EXPECT_EQ(version("0001.02").text(), "0001.02");
}
