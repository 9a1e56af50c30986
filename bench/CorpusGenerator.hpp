#pragma once

#include <cstdint>
#include <filesystem>

namespace bench {

// Writes a home directory with `count` bookmarks spread over Chrome (three profiles),
// Brave, Edge and Safari, with the browsers installed as application bundles. Titles, URLs
// and folders are drawn from word lists by a seeded generator, a few percent in CJK or
// full-width text; the same seed writes the same home.
void writeCorpus(const std::filesystem::path& home, std::size_t count, std::uint64_t seed = 1);

}  // namespace bench
