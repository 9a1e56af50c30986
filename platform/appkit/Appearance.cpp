#include "platform/appkit/Appearance.hpp"

#include "platform/foundation/UserDefaults.hpp"

namespace appkit {

Appearance systemAppearance() {
    auto defaults = foundation::UserDefaults::standardUserDefaults();
    auto style = defaults ? defaults->stringForKey("AppleInterfaceStyle") : std::nullopt;
    return style == "Dark" ? Appearance::dark : Appearance::light;
}

}  // namespace appkit
