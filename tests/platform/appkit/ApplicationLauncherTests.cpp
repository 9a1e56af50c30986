#include "platform/appkit/ApplicationLauncher.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "tests/support/ApplicationBundles.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <mutex>

namespace {

// Collects what the launch completions report; they run on a worker queue.
struct Completions {
    std::mutex mutex;
    std::vector<std::shared_ptr<foundation::Error>> errors;

    appkit::ApplicationLauncher::Completion collector() {
        return [this](std::shared_ptr<foundation::Error> error) {
            std::lock_guard lock(mutex);
            errors.push_back(std::move(error));
        };
    }
};

void finish() {
    ASSERT_TRUE(foundation::RunLoop::main()->runUntilIdle());
    appkit::ApplicationLauncher::waitForLaunchedProcessesForTesting();
}

TEST(ApplicationLauncher, StartsTheBundleExecutableWithExactlyTheGivenArguments) {
    testsupport::TemporaryHome home;
    auto bundle = testsupport::installRecordingApplication(home, "Browser", "com.example.browser");
    Completions completions;

    appkit::ApplicationLauncher::launch(bundle, {"--flag=a b", "", "https://example.com/?q=\"x\"&y='z'"},
                                        completions.collector());
    finish();

    ASSERT_EQ(completions.errors.size(), 1u);
    EXPECT_EQ(completions.errors[0], nullptr);
    EXPECT_EQ(testsupport::recordedLaunches(home, "Browser"),
              (std::vector<std::vector<std::string>>{{"--flag=a b", "", "https://example.com/?q=\"x\"&y='z'"}}));
}

TEST(ApplicationLauncher, ABundleThatCannotStartCompletesOnceWithAnErrorNamingIt) {
    struct Case {
        std::string label;
        std::function<void(const std::filesystem::path& bundle)> damage;
        std::int64_t code;
    };
    const std::vector<Case> cases = {
        {"executable missing", [](const auto& bundle) { std::filesystem::remove(bundle / "Contents/MacOS/Browser"); },
         ENOENT},
        {"executable not executable",
         [](const auto& bundle) {
             std::filesystem::permissions(bundle / "Contents/MacOS/Browser", std::filesystem::perms::owner_read);
         },
         EACCES},
        {"no Info.plist", [](const auto& bundle) { std::filesystem::remove(bundle / "Contents/Info.plist"); }, ENOEXEC},
        {"no bundle at all", [](const auto& bundle) { std::filesystem::remove_all(bundle); }, ENOENT},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.label);
        testsupport::TemporaryHome home;
        auto bundle = testsupport::installRecordingApplication(home, "Browser", "com.example.browser");
        testCase.damage(bundle);
        Completions completions;

        appkit::ApplicationLauncher::launch(bundle, {"x"}, completions.collector());
        finish();

        ASSERT_EQ(completions.errors.size(), 1u);
        ASSERT_NE(completions.errors[0], nullptr);
        EXPECT_EQ(completions.errors[0]->domain(), foundation::NSPOSIXErrorDomain);
        EXPECT_EQ(completions.errors[0]->code(), testCase.code);
        EXPECT_NE(completions.errors[0]->localizedDescription().find("\u201cBrowser.app\u201d could not be launched"),
                  std::string::npos);
        EXPECT_TRUE(testsupport::recordedLaunches(home, "Browser").empty());
    }
}

}  // namespace
