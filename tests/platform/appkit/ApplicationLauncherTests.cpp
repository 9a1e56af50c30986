#include "tests/platform/appkit/LaunchCompletions.hpp"
#include "tests/support/ApplicationBundles.hpp"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using testsupport::finishLaunches;
using testsupport::LaunchCompletions;

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
        LaunchCompletions completions;

        appkit::ApplicationLauncher::launch(bundle, {"x"}, completions.collector());
        finishLaunches();

        ASSERT_EQ(completions.errors().size(), 1u);
        ASSERT_NE(completions.errors()[0], nullptr);
        EXPECT_EQ(completions.errors()[0]->domain(), foundation::NSPOSIXErrorDomain);
        EXPECT_EQ(completions.errors()[0]->code(), testCase.code);
        EXPECT_NE(completions.errors()[0]->localizedDescription().find("\u201cBrowser.app\u201d could not be launched"),
                  std::string::npos);
        EXPECT_TRUE(testsupport::recordedLaunches(home, "Browser").empty());
    }
}

}  // namespace
