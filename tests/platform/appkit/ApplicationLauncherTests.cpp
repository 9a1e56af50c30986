#include "tests/platform/appkit/LaunchCompletions.hpp"
#include "tests/support/ApplicationBundles.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>
#include <fcntl.h>
#include <unistd.h>

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

TEST(ApplicationLauncher, TheApplicationGetsASessionOfItsOwnAndNoneOfOurDescriptors) {
    testsupport::TemporaryHome home;
    auto bundle = testsupport::installRecordingApplication(home, "Browser", "com.example.browser");
    // Records whether the descriptor named by its argument is open in the launched process,
    // and its process and session identifiers (fields 1 and 6 of /proc/<pid>/stat).
    home.write("Applications/Browser.app/Contents/MacOS/Browser",
               "#!/bin/sh\n"
               "if [ -e /proc/$$/fd/$1 ]; then inherited=yes; else inherited=no; fi\n"
               "set -- $(cat /proc/$$/stat)\n"
               "echo \"$inherited $1 $6\" > \"$HOME/isolation.txt\"\n");
    // A descriptor without close-on-exec, as a database or socket opened carelessly would be.
    int opened = ::open(home.path().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(opened, 0);
    int descriptor = ::fcntl(opened, F_DUPFD, 57);  // the copy has no close-on-exec
    ::close(opened);
    ASSERT_GE(descriptor, 57);
    LaunchCompletions completions;

    appkit::ApplicationLauncher::launch(bundle, {std::to_string(descriptor)}, completions.collector());
    finishLaunches();
    ::close(descriptor);

    ASSERT_EQ(completions.errors(), (std::vector<std::shared_ptr<foundation::Error>>{nullptr}));
    auto record = testsupport::readFile(home.path() / "isolation.txt");
    ASSERT_TRUE(record);
    std::istringstream fields(*record);
    std::string inherited;
    pid_t process = 0;
    pid_t session = 0;
    fields >> inherited >> process >> session;
    EXPECT_EQ(inherited, "no");
    EXPECT_NE(process, 0);
    EXPECT_EQ(session, process);  // a session leader, apart from ours
    EXPECT_NE(session, ::getsid(0));
}

}  // namespace
