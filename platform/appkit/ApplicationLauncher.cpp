#include "platform/appkit/ApplicationLauncher.hpp"

#include "platform/appkit/ApplicationBundleInfo.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Guarded.hpp"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>

extern char** environ;

namespace appkit {

namespace {

// Counts children not yet reaped, for the test hook.
struct RunningChildren {
    foundation::Guarded<int> count{0};
    std::condition_variable exited;  // waited on under the count's lock

    void childExited() {
        auto running = count.lock();
        --*running;
        exited.notify_all();
    }
};

// Shared with the reapers: a browser may outlive our static destructors, and its reaper
// still counts it when it exits.
const std::shared_ptr<RunningChildren>& runningChildren() {
    static const auto children = std::make_shared<RunningChildren>();
    return children;
}

void reapInBackground(pid_t processIdentifier) {
    auto children = runningChildren();
    ++*children->count.lock();
    try {
        std::thread([processIdentifier, children] {
            int status = 0;
            while (waitpid(processIdentifier, &status, 0) < 0 && errno == EINTR) {
            }
            children->childExited();
        }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the launch stands; the child stays unreaped until we exit.
        children->childExited();
    }
}

std::shared_ptr<foundation::Error> launchError(const std::filesystem::path& applicationPath, int code) {
    return foundation::Error::withDescription(
        foundation::NSPOSIXErrorDomain, code,
        "The application \u201c" + applicationPath.filename().string() + "\u201d could not be launched: " +
            std::strerror(code));
}

std::shared_ptr<foundation::Error> spawn(const std::filesystem::path& applicationPath,
                                         const std::vector<std::string>& arguments) {
    std::error_code fileError;
    if (!std::filesystem::is_directory(applicationPath, fileError)) return launchError(applicationPath, ENOENT);
    auto info = ApplicationBundleInfo::read(applicationPath);
    auto executableName = info ? info->executable : std::nullopt;
    if (!executableName || executableName->empty() || executableName->find('/') != std::string::npos)
        return launchError(applicationPath, ENOEXEC);
    std::string executable = (applicationPath / "Contents" / "MacOS" / *executableName).string();

    std::vector<std::string> argumentStrings;
    argumentStrings.reserve(arguments.size() + 1);
    argumentStrings.push_back(executable);
    argumentStrings.insert(argumentStrings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& argument : argumentStrings) argv.push_back(argument.data());
    argv.push_back(nullptr);

    // The application runs in a session of its own and inherits none of our descriptors
    // (databases, keychain files, sockets).
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t processIdentifier = 0;
    int result = posix_spawn(&processIdentifier, executable.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) return launchError(applicationPath, result);
    reapInBackground(processIdentifier);
    return nullptr;
}

}  // namespace

void ApplicationLauncher::launch(std::filesystem::path applicationPath, std::vector<std::string> arguments,
                                 Completion completion) {
    dispatch::globalQueue(dispatch::Priority::userInitiated)
        ->async([applicationPath = std::move(applicationPath), arguments = std::move(arguments),
                 completion = std::move(completion)] {
            auto error = spawn(applicationPath, arguments);
            if (completion) completion(error);
        });
}

void ApplicationLauncher::waitForLaunchedProcessesForTesting() {
    auto& children = *runningChildren();
    children.count.lock().wait(children.exited, [](int running) { return running == 0; });
}

}  // namespace appkit
