#include "platform/ui/LocalizedStringKey.hpp"

#include "platform/foundation/Bundle.hpp"

namespace ui {

std::string localized(const LocalizedStringKey& key) {
    auto bundle = foundation::Bundle::mainBundle();
    return bundle ? bundle->localizedStringForKey(key.key) : key.key;
}

Node Text(const LocalizedStringKey& key) { return Text(localized(key)); }

}  // namespace ui
