#include "app/shell/Localized.hpp"

#include "platform/foundation/Bundle.hpp"

namespace kestrelvault {

std::string localized(const std::string& key) {
    auto bundle = foundation::Bundle::mainBundle();
    return bundle ? bundle->localizedStringForKey(key) : key;
}

}  // namespace kestrelvault
