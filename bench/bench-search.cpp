// Load and search times over generated corpora of 10,000, 100,000 and 1,000,000 bookmarks
// (kept in $KV_BENCH_CORPORA when set, else in a temporary directory), and the Safari
// reader on very large files and folders.
#include "app/bookmarks/BookmarkAggregator.hpp"
#include "app/bookmarks/SafariBookmarkProvider.hpp"
#include "bench/BenchmarkBundle.hpp"
#include "bench/CorpusGenerator.hpp"
#include "platform/foundation/RunLoop.hpp"

#include <benchmark/benchmark.h>
#include <plist/plist.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace {

// Where corpora live: $KV_BENCH_CORPORA, kept, or a temporary directory removed at exit.
class CorpusRoot {
public:
    static const std::filesystem::path& path() {
        static CorpusRoot root;
        return root.path_;
    }

private:
    CorpusRoot() {
        if (const char* kept = std::getenv("KV_BENCH_CORPORA")) {
            path_ = kept;
            std::filesystem::create_directories(path_);
            return;
        }
        std::string pattern = (std::filesystem::temp_directory_path() / "kv-bench-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
        temporary_ = true;
    }
    ~CorpusRoot() {
        std::error_code ignored;
        if (temporary_) std::filesystem::remove_all(path_, ignored);
    }

    std::filesystem::path path_;
    bool temporary_ = false;
};

// A generated home (written once; the Safari application is the last thing written).
std::filesystem::path corpusHome(std::size_t count) {
    auto home = CorpusRoot::path() / ("generated-" + std::to_string(count));
    if (!std::filesystem::exists(home / "Applications/Safari.app/Contents/Info.plist")) {
        bench::CorpusOptions options;
        options.count = count;
        bench::writeCorpus(home, options);
    }
    return home;
}

std::shared_ptr<kestrelvault::BookmarkAggregator> loadedAggregator(std::size_t count) {
    static std::map<std::size_t, std::shared_ptr<kestrelvault::BookmarkAggregator>> aggregators;
    auto& aggregator = aggregators[count];
    if (aggregator) return aggregator;
    setenv("HOME", corpusHome(count).c_str(), 1);
    kestrelvault::ProfileSettings::resetForTesting();
    aggregator = kestrelvault::BookmarkAggregator::create();
    aggregator->loadAll();
    foundation::RunLoop::main()->runUntilIdle();
    return aggregator;
}

void loadAll(benchmark::State& state) {
    auto count = static_cast<std::size_t>(state.range(0));
    auto aggregator = loadedAggregator(count);
    for (auto _ : state) {
        bool done = false;
        aggregator->loadAll([&] {
            done = true;
            foundation::RunLoop::main()->stop();
        });
        if (!done) foundation::RunLoop::main()->run(foundation::NSDefaultRunLoopMode);
    }
    state.counters["bookmarks"] = static_cast<double>(aggregator->allBookmarks().size());
}

// One search per repetition, so that the repetitions' statistics are per query.
void search(benchmark::State& state, const char* query, bool fuzzy) {
    auto aggregator = loadedAggregator(static_cast<std::size_t>(state.range(0)));
    aggregator->profileSettings()->fuzzySearchEnabled = fuzzy;
    std::size_t results = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        auto found = aggregator->search(query);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        results = found.size();
        benchmark::DoNotOptimize(found);
    }
    aggregator->profileSettings()->fuzzySearchEnabled = true;  // the stored default, for other programs
    state.counters["results"] = static_cast<double>(results);
}

double percentile99(const std::vector<double>& values) {
    auto sorted = values;
    std::sort(sorted.begin(), sorted.end());
    return sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
}

// A Safari file whose bookmarks bar holds `count` bookmarks directly, written as XML (the
// library's binary writer is slow for files this large).
std::filesystem::path flatSafariFile(std::size_t count) {
    auto path = CorpusRoot::path() / ("safari-flat-" + std::to_string(count) + ".plist");
    if (std::filesystem::exists(path)) return path;
    plist_t children = plist_new_array();
    for (std::size_t index = 0; index < count; ++index) {
        plist_t leaf = plist_new_dict();
        plist_dict_set_item(leaf, "WebBookmarkType", plist_new_string("WebBookmarkTypeLeaf"));
        plist_dict_set_item(leaf, "URLString", plist_new_string(("https://example.org/" + std::to_string(index)).c_str()));
        plist_t uri = plist_new_dict();
        plist_dict_set_item(uri, "title", plist_new_string(("Bookmark " + std::to_string(index)).c_str()));
        plist_dict_set_item(leaf, "URIDictionary", uri);
        plist_array_append_item(children, leaf);
    }
    plist_t bar = plist_new_dict();
    plist_dict_set_item(bar, "WebBookmarkType", plist_new_string("WebBookmarkTypeList"));
    plist_dict_set_item(bar, "Title", plist_new_string("BookmarksBar"));
    plist_dict_set_item(bar, "Children", children);
    plist_t top = plist_new_array();
    plist_array_append_item(top, bar);
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "Children", top);
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_xml(root, &bytes, &length);
    std::ofstream(path, std::ios::binary) << std::string_view(bytes, length);
    std::free(bytes);
    plist_free(root);
    return path;
}

void safariFlatFolder(benchmark::State& state) {
    kestrelvault::SafariBookmarkProvider provider(flatSafariFile(static_cast<std::size_t>(state.range(0))));
    std::size_t loaded = 0;
    for (auto _ : state) loaded = provider.loadBookmarks().size();
    state.counters["bookmarks"] = static_cast<double>(loaded);
}

void safariOfCorpus(benchmark::State& state) {
    kestrelvault::SafariBookmarkProvider provider(corpusHome(static_cast<std::size_t>(state.range(0))) /
                                                  "Library/Safari/Bookmarks.plist");
    std::size_t loaded = 0;
    for (auto _ : state) loaded = provider.loadBookmarks().size();
    state.counters["bookmarks"] = static_cast<double>(loaded);
}

void registerBenchmarks() {
    for (std::int64_t count : {10000, 100000, 1000000})
        benchmark::RegisterBenchmark("loadAll", loadAll)->Arg(count)->Unit(benchmark::kMillisecond)->UseRealTime();
    struct Query {
        const char* kind;
        const char* text;
        bool fuzzy;
    };
    const Query queries[] = {
        {"one_word", "performance", true},          {"several_words", "pro note", true},
        {"three_words", "project notes review", true}, {"misspelled_fuzzy", "githbu", true},
        {"misspelled_exact", "githbu", false},      {"url_only", "4711", true},
        {"kana", "ぷろじぇくと", true},             {"cjk", "東京", true},
        {"one_letter", "g", true},                  {"no_match", "zzqxjv", true},
    };
    for (std::int64_t count : {100000, 1000000})
        for (const auto& query : queries)
            benchmark::RegisterBenchmark((std::string("search/") + query.kind).c_str(), search, query.text, query.fuzzy)
                ->Arg(count)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime()
                ->Iterations(1)
                ->Repetitions(200)
                ->ComputeStatistics("p99", percentile99)
                ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("safari/flat_folder", safariFlatFolder)->Arg(100000)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("safari/corpus_share", safariOfCorpus)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    bench::useApplicationBundle(argv[0]);
    registerBenchmarks();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
