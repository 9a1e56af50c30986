// Load and search times over generated corpora of 10,000, 100,000 and 1,000,000 bookmarks
// (kept in $KV_BENCH_CORPORA when set, else in a temporary directory), and the Safari
// reader on very large files and folders.
#include "app/bookmarks/BookmarkAggregator.hpp"
#include "app/bookmarks/SafariBookmarkProvider.hpp"
#include "bench/BenchmarkBundle.hpp"
#include "bench/CorpusRoot.hpp"
#include "corpus/CorpusGenerator.hpp"
#include "platform/foundation/RunLoop.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace {

std::shared_ptr<kestrelvault::BookmarkAggregator> loadedAggregator(std::size_t count) {
    static std::map<std::size_t, std::shared_ptr<kestrelvault::BookmarkAggregator>> aggregators;
    auto& aggregator = aggregators[count];
    if (aggregator) return aggregator;
    setenv("HOME", bench::generatedHome(count).c_str(), 1);
    kestrelvault::ProfileSettings::resetForTesting();
    aggregator = kestrelvault::BookmarkAggregator::make();
    aggregator->loadAll();
    foundation::RunLoop::main()->runUntilIdle();
    return aggregator;
}

void waitForLoad(kestrelvault::BookmarkAggregator& aggregator) {
    bool done = false;
    aggregator.loadAll([&] {
        done = true;
        foundation::RunLoop::main()->stop();
    });
    if (!done) foundation::RunLoop::main()->run(foundation::NSDefaultRunLoopMode);
}

// A load by readers that kept nothing yet: a new aggregator's, every file read.
void loadAll(benchmark::State& state) {
    auto count = static_cast<std::size_t>(state.range(0));
    auto loaded = loadedAggregator(count);
    setenv("HOME", bench::generatedHome(count).c_str(), 1);
    for (auto _ : state) {
        state.PauseTiming();
        auto aggregator = kestrelvault::BookmarkAggregator::make();
        state.ResumeTiming();
        waitForLoad(*aggregator);
        state.PauseTiming();
        aggregator.reset();
        state.ResumeTiming();
    }
    state.counters["bookmarks"] = static_cast<double>(loaded->allBookmarks().size());
}

// A reload with no file changed since the last: what was read is reused.
void reloadUnchanged(benchmark::State& state) {
    auto aggregator = loadedAggregator(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) waitForLoad(*aggregator);
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

// A binary property list written directly (the library's writer slows down badly on
// files this large): objects are appended in order and referred to by number.
class BinaryListWriter {
public:
    using Object = std::uint32_t;

    Object string(std::string_view ascii) {
        Object object = begin(0x5, ascii.size());
        bytes_ += ascii;
        return object;
    }
    Object array(const std::vector<Object>& elements) {
        Object object = begin(0xA, elements.size());
        for (Object element : elements) reference(element);
        return object;
    }
    Object dictionary(const std::vector<std::pair<Object, Object>>& entries) {
        Object object = begin(0xD, entries.size());
        for (const auto& entry : entries) reference(entry.first);
        for (const auto& entry : entries) reference(entry.second);
        return object;
    }
    // The whole file, with `top` as its top object.
    std::string finish(Object top) {
        std::uint64_t table = bytes_.size();
        std::string out = bytes_;
        for (std::uint64_t offset : offsets_) bigEndian(out, offset, 8);
        out += std::string(6, '\0');
        out += char(8);
        out += char(4);
        bigEndian(out, offsets_.size(), 8);
        bigEndian(out, top, 8);
        bigEndian(out, table, 8);
        return out;
    }

private:
    static void bigEndian(std::string& out, std::uint64_t value, int width) {
        for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) out += char(value >> shift);
    }
    Object begin(unsigned kind, std::size_t count) {
        offsets_.push_back(bytes_.size());
        if (count < 15) {
            bytes_ += char(kind << 4 | count);
        } else {
            bytes_ += char(kind << 4 | 0xF);
            bytes_ += char(0x12);  // a four-byte integer follows
            bigEndian(bytes_, count, 4);
        }
        return static_cast<Object>(offsets_.size() - 1);
    }
    void reference(Object object) { bigEndian(bytes_, object, 4); }

    std::string bytes_ = "bplist00";
    std::vector<std::uint64_t> offsets_;
};

// A Safari file whose bookmarks bar holds `count` bookmarks directly.
std::filesystem::path flatSafariFile(std::size_t count) {
    auto path = bench::CorpusRoot::path() / ("safari-flat-" + std::to_string(count) + ".plist");
    if (std::filesystem::exists(path)) return path;
    BinaryListWriter writer;
    auto children = writer.string("Children"), type = writer.string("WebBookmarkType"),
         leaf = writer.string("WebBookmarkTypeLeaf"), urlKey = writer.string("URLString"),
         uriKey = writer.string("URIDictionary"), titleKey = writer.string("title");
    std::vector<BinaryListWriter::Object> bookmarks;
    for (std::size_t index = 0; index < count; ++index) {
        auto url = writer.string("https://example.org/bookmarks/" + std::to_string(index));
        auto title = writer.string("Bookmark number " + std::to_string(index));
        auto uri = writer.dictionary({{titleKey, title}});
        bookmarks.push_back(writer.dictionary({{type, leaf}, {urlKey, url}, {uriKey, uri}}));
    }
    auto bar = writer.dictionary({{type, writer.string("WebBookmarkTypeList")},
                                  {writer.string("Title"), writer.string("BookmarksBar")},
                                  {children, writer.array(bookmarks)}});
    auto top = writer.dictionary({{children, writer.array({bar})}});
    std::ofstream(path, std::ios::binary) << writer.finish(top);
    return path;
}

void safariFlatFolder(benchmark::State& state) {
    kestrelvault::SafariBookmarkProvider provider(flatSafariFile(static_cast<std::size_t>(state.range(0))));
    // One untimed read first: the million-bookmark file (140 MB) is often out of the page
    // cache by now, and a single timed iteration would measure the disk.
    std::size_t loaded = provider.loadBookmarks().size();
    for (auto _ : state) loaded = provider.loadBookmarks().size();
    state.counters["bookmarks"] = static_cast<double>(loaded);
}

void safariOfCorpus(benchmark::State& state) {
    kestrelvault::SafariBookmarkProvider provider(bench::generatedHome(static_cast<std::size_t>(state.range(0))) /
                                                  "Library/Safari/Bookmarks.plist");
    std::size_t loaded = 0;
    for (auto _ : state) loaded = provider.loadBookmarks().size();
    state.counters["bookmarks"] = static_cast<double>(loaded);
}

void registerBenchmarks() {
    for (std::int64_t count : {10000, 100000, 1000000}) {
        benchmark::RegisterBenchmark("loadAll", loadAll)->Arg(count)->Unit(benchmark::kMillisecond)->UseRealTime();
        benchmark::RegisterBenchmark("reloadUnchanged", reloadUnchanged)
            ->Arg(count)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
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
    benchmark::RegisterBenchmark("safari/flat_folder", safariFlatFolder)
        ->Arg(100000)
        ->Arg(1000000)
        ->Unit(benchmark::kMillisecond);
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
