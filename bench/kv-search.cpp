// kv-search --home DIR [--fuzzy on|off] QUERY...: loads every browser's bookmarks under DIR
// and runs each query, printing
//   load <microseconds> <bookmark count>
//   query <microseconds> <query as a JSON string>
//   [id, name, folderPath]            one line per result, best first
//   peak-memory-kb <peak resident memory of the process>
// The load may take as long as it takes.
#include "app/bookmarks/BookmarkAggregator.hpp"
#include "bench/BenchmarkBundle.hpp"
#include "platform/foundation/RunLoop.hpp"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long long microsecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
}

std::string jsonText(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

int usage() {
    std::fprintf(stderr, "usage: kv-search --home DIR [--fuzzy on|off] QUERY...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string home;
    std::optional<bool> fuzzy;
    std::vector<std::string> queries;
    for (int index = 1; index < argc; ++index) {
        std::string argument = argv[index];
        if (argument == "--home" && index + 1 < argc) {
            home = argv[++index];
        } else if (argument == "--fuzzy" && index + 1 < argc) {
            std::string value = argv[++index];
            if (value != "on" && value != "off") return usage();
            fuzzy = value == "on";
        } else {
            queries.push_back(argument);
        }
    }
    if (home.empty()) return usage();
    setenv("HOME", home.c_str(), 1);
    bench::useApplicationBundle(argv[0]);

    auto aggregator = kestrelvault::BookmarkAggregator::make();
    // Stored, as the Settings window would store it, only when it changes.
    if (fuzzy && aggregator->profileSettings()->fuzzySearchEnabled.get() != *fuzzy)
        aggregator->profileSettings()->fuzzySearchEnabled = *fuzzy;

    auto start = Clock::now();
    long long loadMicroseconds = -1;
    auto mainLoop = foundation::RunLoop::main();
    aggregator->loadAll([&] {
        loadMicroseconds = microsecondsSince(start);
        mainLoop->stop();
    });
    if (loadMicroseconds < 0) mainLoop->run(foundation::NSDefaultRunLoopMode);
    std::cout << "load " << loadMicroseconds << ' ' << aggregator->allBookmarks().size() << '\n';
    for (const auto& query : queries) {
        auto queryStart = Clock::now();
        auto results = aggregator->search(query);
        long long elapsed = microsecondsSince(queryStart);
        std::cout << "query " << elapsed << ' ' << jsonText(query) << '\n';
        for (const auto& bookmark : results)
            std::cout << jsonText(nlohmann::json::array({bookmark.id, bookmark.name, bookmark.folderPath})) << '\n';
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::cout << "peak-memory-kb " << usage.ru_maxrss << '\n';
    return 0;
}
