#include "platform/foundation/PropertyListReader.hpp"

#include "platform/foundation/PropertyListPrecheck.hpp"

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace foundation {

namespace {

// Removes the earlier entries of every key a dictionary holds more than once; the library
// removes the first entry of a key.
void keepLastOfRepeatedKeys(plist_t root) {
    std::vector<plist_t> containers{root};
    while (!containers.empty()) {
        plist_t node = containers.back();
        containers.pop_back();
        if (plist_get_node_type(node) == PLIST_ARRAY) {
            for (std::uint32_t index = 0, count = plist_array_get_size(node); index < count; ++index)
                containers.push_back(plist_array_get_item(node, index));
            continue;
        }
        if (plist_get_node_type(node) != PLIST_DICT) continue;
        std::map<std::string, int> occurrences;
        for (const auto& entry : PropertyListReader::entriesOf(node)) ++occurrences[entry.first];
        for (auto& [key, count] : occurrences)
            for (; count > 1; --count) plist_dict_remove_item(node, key.c_str());
        for (auto& [key, count] : occurrences) containers.push_back(plist_dict_get_item(node, key.c_str()));
    }
}

// The XML form writes a UID as a dictionary whose one key is "CF$UID" with an integer; the
// platform reads that back as a UID, and so does this, so a list keeps its UIDs through
// either form. Returns the node to use in place of the given one.
plist_t restoreUIDs(plist_t root) {
    auto asUID = [](plist_t node) -> plist_t {
        if (plist_get_node_type(node) != PLIST_DICT || plist_dict_get_size(node) != 1) return nullptr;
        plist_t value = plist_dict_get_item(node, "CF$UID");
        if (!value || plist_get_node_type(value) != PLIST_UINT) return nullptr;
        std::uint64_t number = 0;
        plist_get_uint_val(value, &number);
        return plist_new_uid(number);
    };
    if (plist_t uid = asUID(root)) {
        plist_free(root);
        return uid;
    }
    std::vector<plist_t> containers{root};
    while (!containers.empty()) {
        plist_t node = containers.back();
        containers.pop_back();
        auto type = plist_get_node_type(node);
        if (type == PLIST_ARRAY) {
            for (std::uint32_t index = 0, count = plist_array_get_size(node); index < count; ++index) {
                plist_t item = plist_array_get_item(node, index);
                if (plist_t uid = asUID(item))
                    plist_array_set_item(node, uid, index);
                else
                    containers.push_back(item);
            }
        } else if (type == PLIST_DICT) {
            for (auto& [key, value] : PropertyListReader::entriesOf(node)) {
                if (plist_t uid = asUID(value))
                    plist_dict_set_item(node, key.c_str(), uid);
                else
                    containers.push_back(value);
            }
        }
    }
    return root;
}

}  // namespace

Expected<PropertyListReader::List> PropertyListReader::read(std::string_view data) {
    if (data.empty() || data.size() > std::numeric_limits<std::uint32_t>::max())
        return Failure{"no data, or too much"};
    auto length = static_cast<std::uint32_t>(data.size());
    bool binary = plist_is_binary(data.data(), length) != 0;
    std::string refusal;
    if (!(binary ? PropertyListPrecheck::isSafeBinary(data, &refusal) : PropertyListPrecheck::isSafeXML(data, &refusal)))
        return Failure{refusal};
    plist_t root = nullptr;
    if (binary)
        plist_from_bin(data.data(), length, &root);
    else
        plist_from_xml(data.data(), length, &root);
    if (!root) return Failure{"not a property list"};
    if (binary)
        keepLastOfRepeatedKeys(root);
    else
        root = restoreUIDs(root);
    return List{Tree(root), binary};
}


std::vector<std::pair<std::string, plist_t>> PropertyListReader::entriesOf(plist_t dictionary) {
    std::vector<std::pair<std::string, plist_t>> entries;
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(dictionary, &iterator);
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(dictionary, iterator, &key, &value);
        if (!key) break;
        entries.emplace_back(key, value);
        std::free(key);
    }
    std::free(iterator);
    return entries;
}

}  // namespace foundation
