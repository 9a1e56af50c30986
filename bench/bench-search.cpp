// Load and search times over generated corpora of 10,000 and 100,000 bookmarks.
#include "app/bookmarks/BookmarkAggregator.hpp"
#include "bench/BenchmarkBundle.hpp"
#include "bench/CorpusGenerator.hpp"
#include "platform/foundation/RunLoop.hpp"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

namespace {

// One generated home per corpus size, removed at exit.
class Corpus {
public:
    static const std::filesystem::path& home(std::size_t count) {
        static std::map<std::size_t, std::unique_ptr<Corpus>> corpora;
        auto& corpus = corpora[count];
        if (!corpus) corpus = std::make_unique<Corpus>(count);
        return corpus->home_;
    }

    explicit Corpus(std::size_t count) {
        std::string pattern = (std::filesystem::temp_directory_path() / "kv-bench-XXXXXX").string();
        home_ = mkdtemp(pattern.data());
        bench::writeCorpus(home_, count);
    }
    ~Corpus() {
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }

private:
    std::filesystem::path home_;
};

std::shared_ptr<kestrelvault::BookmarkAggregator> loadedAggregator(std::size_t count) {
    setenv("HOME", Corpus::home(count).c_str(), 1);
    kestrelvault::ProfileSettings::resetForTesting();
    auto aggregator = kestrelvault::BookmarkAggregator::make();
    aggregator->loadAll();
    foundation::RunLoop::main()->runUntilIdle();
    return aggregator;
}

void loadAll(benchmark::State& state) {
    auto count = static_cast<std::size_t>(state.range(0));
    auto aggregator = loadedAggregator(count);
    for (auto _ : state) {
        aggregator->loadAll();
        foundation::RunLoop::main()->runUntilIdle();
    }
    state.counters["bookmarks"] = static_cast<double>(aggregator->allBookmarks().size());
}

void search(benchmark::State& state, const char* query) {
    auto count = static_cast<std::size_t>(state.range(0));
    static std::map<std::size_t, std::shared_ptr<kestrelvault::BookmarkAggregator>> aggregators;
    auto& aggregator = aggregators[count];
    if (!aggregator) aggregator = loadedAggregator(count);
    std::size_t results = 0;
    for (auto _ : state) {
        auto found = aggregator->search(query);
        results = found.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["results"] = static_cast<double>(results);
}

}  // namespace

BENCHMARK(loadAll)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(search, short, "gi")->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(search, long, "performance")->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(search, multi_word, "pro note")->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(search, fuzzy_only, "prjnts")->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(search, no_match, "zzqxjv")->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(search, kana, "ぷろじぇくと")->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    bench::useApplicationBundle(argv[0]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
