#pragma once

#include <cstddef>
#include <filesystem>

namespace bench {

// Where the bench programs keep their corpora: $KV_BENCH_CORPORA, kept between runs, else a
// temporary directory removed when the program ends. Made on first use; one thread.
class CorpusRoot {
public:
    static const std::filesystem::path& path();

private:
    CorpusRoot();
    ~CorpusRoot();

    std::filesystem::path path_;
    bool temporary_ = false;
};

// The generated home of that many bookmarks under the corpus root (default options),
// written on first use; the Safari application is the last thing written.
std::filesystem::path generatedHome(std::size_t count);

}  // namespace bench
