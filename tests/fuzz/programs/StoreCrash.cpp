// The crash trials of `make fuzz`: kv-store-crash <trials> [seed], with the store writer
// beside this program, under a home of its own.
#include "tests/fuzz/harnesses/ScratchFiles.hpp"
#include "tests/fuzz/harnesses/StoreCrashTrials.hpp"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main(int argc, char** argv) {
    int trials = argc > 1 ? std::atoi(argv[1]) : 1000;
    std::uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : static_cast<std::uint64_t>(::getpid());
    auto home = fuzzing::scratchDirectory() / "home";
    std::filesystem::create_directories(home);
    ::setenv("HOME", home.c_str(), 1);
    auto writer = std::filesystem::canonical("/proc/self/exe").parent_path() / "kv-store-writer";
    auto report = fuzzing::runStoreCrashTrials(writer, trials, seed);
    for (const auto& fault : report.faults) std::printf("fault: %s\n", fault.c_str());
    std::printf("crash trials: %d trials, %d writers killed, %zu faults (seed %llu)\n", report.trials,
                report.writersKilled, report.faults.size(), static_cast<unsigned long long>(seed));
    return report.faults.empty() ? 0 : 1;
}
