#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fuzzing {

// What a harness found wrong with one input; nothing when the input was handled soundly.
using Finding = std::optional<std::string>;

// A harness hands one input to a real entry point of a reader or decoder and checks what
// that entry point promises beyond not crashing: an input that is refused carries an error,
// and what is read and written back reads back equal. Harnesses are plain functions built by
// either compiler: libFuzzer drives them under `make fuzz`, and the corpus tests replay every
// seed and every input that ever failed. A harness keeps no state between inputs but its
// scratch files; one thread at a time.
using Harness = Finding (*)(std::string_view input);

struct NamedHarness {
    std::string_view name;  // also the name of its corpus folder
    Harness run;
};

// Every harness, in a fixed order.
const std::vector<NamedHarness>& allHarnesses();
// Nullptr for a name no harness has.
Harness harnessNamed(std::string_view name);

Finding chromiumBookmarks(std::string_view input);
Finding chromiumLocalState(std::string_view input);
Finding safariBookmarks(std::string_view input);
Finding storedShortcut(std::string_view input);
Finding json(std::string_view input);
Finding propertyList(std::string_view input);
Finding keyedArchive(std::string_view input);
Finding stringsTable(std::string_view input);
Finding gzip(std::string_view input);
Finding searchQuery(std::string_view input);

}  // namespace fuzzing
