// kv-corpus --home DIR --count N [--seed S]: writes a home with N bookmarks over every
// browser, for kv-search and the benchmarks.
#include "bench/CorpusGenerator.hpp"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    std::string home;
    std::size_t count = 0;
    std::uint64_t seed = 1;
    for (int index = 1; index + 1 < argc; index += 2) {
        std::string option = argv[index];
        if (option == "--home")
            home = argv[index + 1];
        else if (option == "--count")
            count = std::strtoull(argv[index + 1], nullptr, 10);
        else if (option == "--seed")
            seed = std::strtoull(argv[index + 1], nullptr, 10);
    }
    if (home.empty() || count == 0) {
        std::fprintf(stderr, "usage: kv-corpus --home DIR --count N [--seed S]\n");
        return 2;
    }
    bench::writeCorpus(home, count, seed);
    return 0;
}
