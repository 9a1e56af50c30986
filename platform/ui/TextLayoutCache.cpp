#include "platform/ui/TextLayoutCache.hpp"

#include "platform/foundation/ThreadChecker.hpp"

#include <functional>
#include <list>
#include <unordered_map>

namespace ui {

namespace {

struct Key {
    std::string text;
    TextStyle style;

    bool operator==(const Key& other) const {
        const TextStyle& a = style;
        const TextStyle& b = other.style;
        return text == other.text && a.font == b.font && a.width == b.width && a.lineLimit == b.lineLimit &&
               a.alignment == b.alignment && a.letterSpacing == b.letterSpacing;
    }
};

struct KeyHash {
    std::size_t operator()(const Key& key) const {
        std::size_t hash = std::hash<std::string>()(key.text);
        auto mix = [&hash](std::size_t value) { hash ^= value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2); };
        const TextStyle& style = key.style;
        mix(std::hash<double>()(style.font.pointSize));
        mix(static_cast<std::size_t>(style.font.weight) * 4 + static_cast<std::size_t>(style.font.design));
        mix(style.width ? std::hash<double>()(*style.width) : 1);
        mix(style.lineLimit ? std::hash<int>()(*style.lineLimit) : 2);
        mix(static_cast<std::size_t>(style.alignment));
        mix(std::hash<double>()(style.letterSpacing));
        return hash;
    }
};

// Most recently used first; the map points into the list.
struct Entries {
    using List = std::list<std::pair<Key, std::shared_ptr<const TextLayout>>>;
    List recent;
    std::unordered_map<Key, List::iterator, KeyHash> byKey;
};

}  // namespace

std::shared_ptr<const TextLayout> TextLayoutCache::layout(const std::string& text, const TextStyle& style) {
    dispatch::checkMainThread();
    static Entries entries;
    Key key{text, style};
    // A NaN length equals nothing, itself included: such a layout could never be found again.
    if (!(key == key)) return std::make_shared<const TextLayout>(text, style);
    if (auto found = entries.byKey.find(key); found != entries.byKey.end()) {
        entries.recent.splice(entries.recent.begin(), entries.recent, found->second);
        return found->second->second;
    }
    auto made = std::make_shared<const TextLayout>(text, style);
    entries.recent.emplace_front(key, made);
    entries.byKey.emplace(std::move(key), entries.recent.begin());
    if (entries.recent.size() > capacity) {
        entries.byKey.erase(entries.recent.back().first);
        entries.recent.pop_back();
    }
    return made;
}

}  // namespace ui
