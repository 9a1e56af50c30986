#include "bench/CorpusRoot.hpp"

#include "corpus/CorpusGenerator.hpp"

#include <cstdlib>
#include <string>

namespace bench {

const std::filesystem::path& CorpusRoot::path() {
    static CorpusRoot root;
    return root.path_;
}

CorpusRoot::CorpusRoot() {
    if (const char* kept = std::getenv("KV_BENCH_CORPORA")) {
        path_ = kept;
        std::filesystem::create_directories(path_);
        return;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "kv-bench-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    temporary_ = true;
}

CorpusRoot::~CorpusRoot() {
    std::error_code ignored;
    if (temporary_) std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path generatedHome(std::size_t count) {
    auto home = CorpusRoot::path() / ("generated-" + std::to_string(count));
    if (!std::filesystem::exists(home / "Applications/Safari.app/Contents/Info.plist")) {
        corpus::CorpusOptions options;
        options.count = count;
        corpus::writeCorpus(home, options);
    }
    return home;
}

}  // namespace bench
