#include "GlobalShortcuts/FunctionKeys.hpp"

namespace GlobalShortcuts {

const std::unordered_set<appkit::SpecialKey>& functionKeys() {
    static const std::unordered_set<appkit::SpecialKey> keys = [] {
        std::unordered_set<appkit::SpecialKey> set;
        for (int number = 1; number <= 35; ++number) set.insert(appkit::functionKey(number));
        return set;
    }();
    return keys;
}

}  // namespace GlobalShortcuts
