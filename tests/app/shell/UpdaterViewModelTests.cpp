#include "app/shell/UpdaterViewModel.hpp"

#include "platform/appkit/Alert.hpp"
#include "platform/appkit/Workspace.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/foundation/String.hpp"
#include "platform/render/Canvas.hpp"
#include "platform/render/Renderer.hpp"
#include "tests/app/shell/ShellFixtures.hpp"
#include "tests/support/LocalHTTPServer.hpp"
#include "tests/support/TrustedCertificates.hpp"

#include <gtest/gtest.h>

#include <atomic>

using kestrelvault::UpdaterViewModel;

TEST(UpdaterViewModel, MirrorsWhetherTheUpdaterCanCheckFromTheStartThroughACheckItForwards) {
    testsupport::SelfSignedCertificate certificate;
    testsupport::TrustedCertificate trusted(certificate.der());
    testsupport::LocalHTTPServer server(certificate);
    std::atomic<int> requests = 0;
    server.server().Get("/latest.json", [&](const httplib::Request&, httplib::Response& response) {
        ++requests;
        response.set_content(R"({"version": "1.1", "releaseNotesURL": "https://kestrelvault.invalid/releases/1.1"})",
                             "application/json");
    });
    server.start();
    fixtures::useMainBundle({{"CFBundleName", "Kestrelvault"}, {"CFBundleShortVersionString", "1.0"},
                             {"KVUpdateFeedURL", server.url("/latest.json")}},
                            fixtures::Resources::none);

    auto viewModel = UpdaterViewModel::make();
    EXPECT_TRUE(viewModel->canCheckForUpdates.get()) << "the started updater's flag arrives at once";
    viewModel->checkForUpdates();
    EXPECT_FALSE(viewModel->canCheckForUpdates.get());
    for (int pass = 0; pass < 20 && !appkit::Alert::frontmostAlert(); ++pass) foundation::RunLoop::main()->runUntilIdle();
    auto alert = appkit::Alert::frontmostAlert();
    ASSERT_NE(alert, nullptr);
    auto picture = render::Renderer::snapshot(*alert->window());
    EXPECT_TRUE(render::writePNG(*picture, std::filesystem::path(KV_BINARY_DIR) / "update-alert.png"));
    // The application's icon, centred 20 points below the title bar.
    EXPECT_EQ(picture->pixel(static_cast<int>(alert->window()->frame().width() / 2), 28 + 20 + 32),
              appkit::Workspace::genericApplicationIcon()->pixel(16, 16));
    EXPECT_TRUE(alert->window()->isKeyWindow());
    EXPECT_FALSE(viewModel->canCheckForUpdates.get()) << "still checking while the alert is open";
    viewModel->checkForUpdates();
    EXPECT_EQ(requests, 1);

    alert->buttons().at(0)->performClick();
    EXPECT_TRUE(viewModel->canCheckForUpdates.get());
}

TEST(UpdaterViewModel, TheShippedFeedUnderTheReservedInvalidDomainEndsInAnAlertSayingTheServerCouldNotBeReached) {
    fixtures::useMainBundle({}, fixtures::Resources::none);
    auto info = fixtures::home() / "Bundles/Kestrelvault.app/Contents/Info.plist";
    std::filesystem::remove(info);
    std::filesystem::copy_file(std::filesystem::path(KV_SOURCE_DIR) / "app/resources/Info.plist", info);
    auto feed = foundation::stringValue(foundation::Bundle::mainBundle()->objectForInfoDictionaryKey(updates::KVUpdateFeedURLKey));
    EXPECT_TRUE(feed && feed->starts_with("https://") && feed->find(".invalid/") != std::string::npos);
    auto viewModel = UpdaterViewModel::make();
    EXPECT_TRUE(viewModel->canCheckForUpdates.get());

    viewModel->checkForUpdates();
    for (int pass = 0; pass < 20 && !appkit::Alert::frontmostAlert(); ++pass) foundation::RunLoop::main()->runUntilIdle();
    auto alert = appkit::Alert::frontmostAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->messageText(), "Kestrelvault could not check for updates");
    EXPECT_EQ(alert->informativeText(),
              "The update server could not be reached. A server with the specified hostname could not be found.");
    EXPECT_TRUE(render::writePNG(*render::Renderer::snapshot(*alert->window()),
                                 std::filesystem::path(KV_BINARY_DIR) / "update-error-alert.png"));
    alert->buttons().at(0)->performClick();
}
