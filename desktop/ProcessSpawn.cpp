#include "desktop/ProcessSpawn.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

extern char** environ;

namespace desktop {

pid_t spawnProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnvironment,
                   int input, int output, int error, int passedOn) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        std::string text = *entry;
        bool replaced = false;
        for (const auto& extra : extraEnvironment)
            replaced = replaced || text.compare(0, extra.find('=') + 1, extra, 0, extra.find('=') + 1) == 0;
        if (!replaced) environment.push_back(text);
    }
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    std::vector<char*> argv, envp;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    for (const auto& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    auto route = [&](int from, int to, int flags) {
        if (from >= 0)
            posix_spawn_file_actions_adddup2(&actions, from, to);
        else
            posix_spawn_file_actions_addopen(&actions, to, "/dev/null", flags, 0);
    };
    route(input, 0, O_RDONLY);
    route(output, 1, O_WRONLY);
    route(error, 2, O_WRONLY);
    if (passedOn >= 0) posix_spawn_file_actions_adddup2(&actions, passedOn, 3);
    pid_t process = -1;
    int failure = posix_spawnp(&process, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failure == 0 ? process : -1;
}

bool makePipe(int ends[2]) { return ::pipe2(ends, O_CLOEXEC) == 0; }

}  // namespace desktop
