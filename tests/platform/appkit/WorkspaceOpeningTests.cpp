#include "platform/appkit/ApplicationLauncher.hpp"
#include "platform/appkit/Workspace.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "tests/support/ApplicationBundles.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <mutex>

namespace {

class WorkspaceOpening : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::installRecordingApplication(home_, "Browser", "com.example.browser");
        applicationURL_ = workspace_->URLForApplicationWithBundleIdentifier("com.example.browser");
        ASSERT_TRUE(applicationURL_);
    }

    appkit::Workspace::OpenCompletion collect() {
        return [this](std::shared_ptr<foundation::Error> error) {
            std::lock_guard lock(mutex_);
            errors_.push_back(std::move(error));
        };
    }

    void finish() {
        ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle());
        appkit::ApplicationLauncher::waitForLaunchedProcessesForTesting();
    }

    testsupport::TemporaryHome home_;
    std::shared_ptr<appkit::Workspace> workspace_ = appkit::Workspace::sharedWorkspace();
    std::shared_ptr<foundation::URL> applicationURL_;
    std::mutex mutex_;
    std::vector<std::shared_ptr<foundation::Error>> errors_;
};

TEST_F(WorkspaceOpening, URLsFollowTheConfigurationsArguments) {
    auto configuration = appkit::WorkspaceOpenConfiguration::configuration();
    configuration->setArguments({"--new-window"});

    workspace_->openURLs({foundation::URL::URLWithString("https://a.example.com/x?y=1"),
                          foundation::URL::URLWithString("file:///tmp/page.html")},
                         applicationURL_, configuration, collect());
    workspace_->openApplicationAtURL(applicationURL_, appkit::WorkspaceOpenConfiguration::configuration(), collect());
    finish();

    EXPECT_EQ(errors_, (std::vector<std::shared_ptr<foundation::Error>>{nullptr, nullptr}));
    auto launches = testsupport::recordedLaunches(home_, "Browser");
    std::sort(launches.begin(), launches.end());  // the two processes race to record
    EXPECT_EQ(launches, (std::vector<std::vector<std::string>>{
                            {}, {"--new-window", "https://a.example.com/x?y=1", "file:///tmp/page.html"}}));
}

TEST_F(WorkspaceOpening, AnApplicationThatIsGoneCompletesWithAnError) {
    std::filesystem::remove_all(home_.path() / "Applications" / "Browser.app");

    workspace_->openApplicationAtURL(applicationURL_, appkit::WorkspaceOpenConfiguration::configuration(), collect());
    finish();

    ASSERT_EQ(errors_.size(), 1u);
    ASSERT_TRUE(errors_[0]);
    EXPECT_EQ(errors_[0]->code(), ENOENT);
}

}  // namespace
