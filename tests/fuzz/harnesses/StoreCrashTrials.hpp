#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace fuzzing {

struct StoreCrashReport {
    int trials = 0;
    int writersKilled = 0;
    std::vector<std::string> faults;  // empty when every store held up
};

// Kills writers of the crash stores at random points and checks what they leave. Each trial
// starts one to three writer processes at once (`writerProgram`, the store writer, given a
// store, a key and a filler length; several may write one store), lets each complete a
// random count of writes (0 to 3) and kills it with SIGKILL while it makes the next one,
// then waits for it. Afterwards every store must open and hold, under each killed writer's
// key, the value of its last completed write or of the one it was killed in, and every key
// of earlier trials must keep its value. At the end one more write must find no temporary
// file left in the preferences folder. Runs under the current $HOME; the same seed gives
// the same writers, counts and values.
StoreCrashReport runStoreCrashTrials(const std::filesystem::path& writerProgram, int trials, std::uint64_t seed);

}  // namespace fuzzing
