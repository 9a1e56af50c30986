#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

namespace corpus {

struct CorpusOptions {
    std::size_t count = 0;
    std::uint64_t seed = 1;
    // Share of titles written in Japanese, Chinese or Korean, in percent.
    unsigned cjkPercent = 3;
    // Profiles of each Chromium browser; none: Chrome three, Brave and Edge one each.
    std::optional<unsigned> profilesPerBrowser;
    // Safari's share of the bookmarks, in percent; the profiles share the rest.
    unsigned safariPercent = 15;
    // The deepest folder level, and the most words in a title (at least two).
    unsigned folderDepth = 4;
    unsigned titleWords = 5;
    // Also writes the same bookmarks here as text, one per line: name, URL and folder path
    // separated by tabs (the input of a line-oriented fuzzy finder).
    std::optional<std::filesystem::path> linesPath;
    // Called now and then with the number of bookmarks written so far.
    std::function<void(std::size_t written)> progress;
};

// Writes a home directory with `count` bookmarks spread over Chrome, Brave, Edge and Safari, with the browsers installed as application bundles (each with an
// icon of its colour and a program that appends how it was launched to the home's
// launches.log). Titles, URLs and folders are drawn from word lists by a seeded generator;
// the same options write the same home.
void writeCorpus(const std::filesystem::path& home, const CorpusOptions& options);

}  // namespace corpus
