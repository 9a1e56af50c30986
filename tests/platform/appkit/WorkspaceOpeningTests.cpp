#include "platform/appkit/Workspace.hpp"
#include "tests/platform/appkit/LaunchCompletions.hpp"
#include "tests/support/ApplicationBundles.hpp"

#include <gtest/gtest.h>


namespace {

// The bundle name has a space, as browsers' often do: the file URL must lead back to it.
class WorkspaceOpening : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::installRecordingApplication(home_, "Web Browser", "com.example.browser");
        applicationURL_ = workspace_->URLForApplicationWithBundleIdentifier("com.example.browser");
        ASSERT_TRUE(applicationURL_);
    }

    testsupport::TemporaryHome home_;
    std::shared_ptr<appkit::Workspace> workspace_ = appkit::Workspace::sharedWorkspace();
    std::shared_ptr<foundation::URL> applicationURL_;
    testsupport::LaunchCompletions completions_;
};

TEST_F(WorkspaceOpening, ArgumentsThenURLsReachTheApplicationUnchanged) {
    auto configuration = appkit::WorkspaceOpenConfiguration::configuration();
    configuration->setArguments({"--flag=a b", "", "'quoted' \"text\""});

    workspace_->openURLs({foundation::URL::URLWithString("https://a.example.com/x?y=1"),
                          foundation::URL::URLWithString("file:///tmp/page.html")},
                         applicationURL_, configuration, completions_.collector());
    workspace_->openApplicationAtURL(applicationURL_, appkit::WorkspaceOpenConfiguration::configuration(),
                                     completions_.collector());
    testsupport::finishLaunches();

    EXPECT_EQ(completions_.errors(), (std::vector<std::shared_ptr<foundation::Error>>{nullptr, nullptr}));
    auto launches = testsupport::recordedLaunches(home_, "Web Browser");
    std::sort(launches.begin(), launches.end());  // the two processes race to record
    EXPECT_EQ(launches, (std::vector<std::vector<std::string>>{
                            {},
                            {"--flag=a b", "", "'quoted' \"text\"", "https://a.example.com/x?y=1",
                             "file:///tmp/page.html"}}));
}

}  // namespace
