#include "tests/fuzz/harnesses/Harness.hpp"

namespace fuzzing {

const std::vector<NamedHarness>& allHarnesses() {
    static const std::vector<NamedHarness> harnesses = {
        {"chromium-bookmarks", chromiumBookmarks},
        {"chromium-local-state", chromiumLocalState},
        {"safari-bookmarks", safariBookmarks},
        {"stored-shortcut", storedShortcut},
        {"json", json},
        {"property-list", propertyList},
        {"keyed-archive", keyedArchive},
        {"strings-table", stringsTable},
        {"gzip", gzip},
        {"search-query", searchQuery},
    };
    return harnesses;
}

Harness harnessNamed(std::string_view name) {
    for (const auto& harness : allHarnesses())
        if (harness.name == name) return harness.run;
    return nullptr;
}

}  // namespace fuzzing
