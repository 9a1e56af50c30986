#pragma once

#include "platform/foundation/Expected.hpp"

#include <plist/plist.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace foundation {

// Parses property-list data (binary or XML) from storage or from other programs into the
// library's node tree, the one way every reader here does it: the shape is checked first
// (PropertyListPrecheck), and a binary dictionary that names a key twice keeps only the last
// value, as the platform's parsed dictionaries do (the library keeps both and finds the
// first), and an XML dictionary whose one key is "CF$UID" with an integer is the UID it
// stands for, as the platform reads it. Stateless; any thread.
class PropertyListReader {
public:
    struct NodeDeleter {
        void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
    };
    using Tree = std::unique_ptr<void, NodeDeleter>;

    struct List {
        Tree root;
        bool isBinary;  // else XML
    };

    // The parsed list, or why it was refused.
    static Expected<List> read(std::string_view data);

    // A dictionary node's keys and values, in the library's order, repeated keys included.
    static std::vector<std::pair<std::string, plist_t>> entriesOf(plist_t dictionary);
};

}  // namespace foundation
