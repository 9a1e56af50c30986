#include "tests/fuzz/harnesses/StoreCrashTrials.hpp"

#include "tests/fuzz/harnesses/CrashStores.hpp"

#include "platform/foundation/FileManager.hpp"

#include <csignal>
#include <map>
#include <poll.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace fuzzing {

namespace {

// A bound on a writer's silence, so that a writer that hangs fails the trial instead of the
// whole run; writers report within milliseconds.
constexpr int silenceLimitMilliseconds = 60'000;

struct Writer {
    CrashStore store;
    std::string key;
    int completionsBeforeKill;
    pid_t process = -1;
    int progress = -1;  // read end of the writer's standard output
    bool started = false;
    int completed = 0;
    bool killed = false;
};

bool startWriter(const std::filesystem::path& program, Writer& writer, std::size_t filler) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return false;
    auto store = std::string(crashStoreName(writer.store));
    auto fillerText = std::to_string(filler);
    writer.process = ::fork();
    if (writer.process == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        ::execl(program.c_str(), program.c_str(), store.c_str(), writer.key.c_str(), fillerText.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    writer.progress = pipeEnds[0];
    return writer.process > 0;
}

// Reads what a writer reported: 'S' once it is about to write, 'D' after every completed
// write, 'F' after a write its store refused. False at the end of its output.
bool readReports(Writer& writer, std::vector<std::string>& faults) {
    char reports[64];
    ssize_t count = ::read(writer.progress, reports, sizeof reports);
    if (count <= 0) return false;
    for (ssize_t index = 0; index < count; ++index) {
        if (reports[index] == 'S') writer.started = true;
        if (reports[index] == 'D') ++writer.completed;
        if (reports[index] == 'F') faults.push_back(writer.key + ": the store refused a write");
    }
    return true;
}

// Lets every writer reach its count of completed writes and kills it right then, in the
// middle of its next write; then drains what each reported before it died.
void killAtTheirCounts(std::vector<Writer>& writers, std::vector<std::string>& faults) {
    std::size_t alive = writers.size();
    while (alive > 0) {
        std::vector<pollfd> watched;
        std::vector<Writer*> owners;
        for (auto& writer : writers)
            if (!writer.killed) {
                watched.push_back({writer.progress, POLLIN, 0});
                owners.push_back(&writer);
            }
        int ready = ::poll(watched.data(), watched.size(), silenceLimitMilliseconds);
        for (std::size_t index = 0; index < watched.size(); ++index) {
            auto& writer = *owners[index];
            bool ended = false;
            if (ready <= 0) {
                faults.push_back(writer.key + ": the writer went silent");
                ended = true;
            } else if (watched[index].revents != 0) {
                ended = !readReports(writer, faults);
                if (ended) faults.push_back(writer.key + ": the writer ended by itself");
            }
            if (ended || (writer.started && writer.completed >= writer.completionsBeforeKill)) {
                ::kill(writer.process, SIGKILL);
                writer.killed = true;
                --alive;
            }
        }
    }
    for (auto& writer : writers) {
        while (readReports(writer, faults)) {
        }
        ::close(writer.progress);
        int status = 0;
        ::waitpid(writer.process, &status, 0);
    }
}

bool temporaryFilesRemain() {
    auto folder = foundation::FileManager::defaultManager().homeDirectoryForCurrentUser() / "Library/Preferences";
    auto names = foundation::FileManager::defaultManager().contentsOfDirectoryAtPath(folder);
    if (!names) return false;
    for (const auto& name : *names)
        if (name.find(".kvtmp.") != std::string::npos) return true;
    return false;
}

}  // namespace

StoreCrashReport runStoreCrashTrials(const std::filesystem::path& writerProgram, int trials, std::uint64_t seed) {
    StoreCrashReport report;
    std::mt19937_64 random(seed);
    auto pick = [&](int lowest, int highest) { return std::uniform_int_distribution<int>(lowest, highest)(random); };
    std::map<std::pair<CrashStore, std::string>, int> expected;  // the round each earlier key holds
    auto check = [&](CrashStore store, const std::string& key, int lowest, int highest) {
        auto round = readCrashRound(store, key);
        if (!round) {
            report.faults.push_back(std::string(crashStoreName(store)) + " " + key + ": " + round.error());
            return;
        }
        if (*round < lowest || *round > highest)
            report.faults.push_back(std::string(crashStoreName(store)) + " " + key + ": holds round " +
                                    std::to_string(*round) + ", not " + std::to_string(lowest) + " or " +
                                    std::to_string(highest));
        expected[{store, key}] = *round;
    };
    for (int trial = 0; trial < trials && report.faults.size() < 20; ++trial) {
        std::vector<Writer> writers;
        for (int index = pick(1, 3); index > 0; --index)
            writers.push_back({static_cast<CrashStore>(pick(0, crashStoreCount - 1)),
                               "trial-" + std::to_string(trial) + "-writer-" + std::to_string(index), pick(0, 3)});
        for (auto& writer : writers)
            if (!startWriter(writerProgram, writer, static_cast<std::size_t>(pick(1, 64)) * 1024))
                report.faults.push_back("cannot start " + writerProgram.string());
        killAtTheirCounts(writers, report.faults);
        report.writersKilled += static_cast<int>(writers.size());
        ++report.trials;
        for (auto& writer : writers) check(writer.store, writer.key, writer.completed, writer.completed + 1);
    }
    for (auto [entry, round] : std::map(expected)) check(entry.first, entry.second, round, round);
    // One more write of the preferences, which tidies what killed writers left there.
    if (!writeCrashValue(CrashStore::userDefaults, "after-the-trials", crashValue(1, 0)) || temporaryFilesRemain())
        report.faults.push_back("temporary files of killed writers remain in the preferences folder");
    return report;
}

}  // namespace fuzzing
