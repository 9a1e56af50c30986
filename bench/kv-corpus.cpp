// kv-corpus --home DIR --count N [--seed S] [--cjk PERCENT] [--profiles N] [--safari PERCENT]
//           [--depth N] [--title-words N] [--lines FILE]
// writes a home with N bookmarks over every browser, for kv-search and the benchmarks:
// --cjk the share of titles in Japanese, Chinese or Korean (3), --profiles the profiles of
// each Chromium browser (Chrome three, the others one), --safari Safari's share (15),
// --depth the deepest folder level (4), --title-words the most words in a title (5). With
// --lines also the same bookmarks as text lines (name, URL and folder path separated by
// tabs). Progress goes to standard error.
#include "corpus/CorpusGenerator.hpp"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    std::string home;
    corpus::CorpusOptions options;
    for (int index = 1; index + 1 < argc; index += 2) {
        std::string option = argv[index];
        const char* value = argv[index + 1];
        if (option == "--home")
            home = value;
        else if (option == "--count")
            options.count = std::strtoull(value, nullptr, 10);
        else if (option == "--seed")
            options.seed = std::strtoull(value, nullptr, 10);
        else if (option == "--cjk")
            options.cjkPercent = static_cast<unsigned>(std::strtoul(value, nullptr, 10));
        else if (option == "--profiles")
            options.profilesPerBrowser = static_cast<unsigned>(std::strtoul(value, nullptr, 10));
        else if (option == "--safari")
            options.safariPercent = static_cast<unsigned>(std::strtoul(value, nullptr, 10));
        else if (option == "--depth")
            options.folderDepth = static_cast<unsigned>(std::strtoul(value, nullptr, 10));
        else if (option == "--title-words")
            options.titleWords = static_cast<unsigned>(std::strtoul(value, nullptr, 10));
        else if (option == "--lines")
            options.linesPath = value;
    }
    if (home.empty() || options.count == 0 || options.cjkPercent > 99 || options.safariPercent > 100 ||
        options.profilesPerBrowser == 0u || options.titleWords < 2) {
        std::fprintf(stderr,
                     "usage: kv-corpus --home DIR --count N [--seed S] [--cjk PERCENT] [--profiles N] "
                     "[--safari PERCENT] [--depth N] [--title-words N] [--lines FILE]\n");
        return 2;
    }
    options.progress = [&](std::size_t written) {
        std::fprintf(stderr, "kv-corpus: %zu of %zu bookmarks\n", written, options.count);
    };
    corpus::writeCorpus(home, options);
    return 0;
}
