#include "platform/ui/Types.hpp"

namespace ui {

appkit::Appearance appearanceFor(ColorScheme scheme) {
    return scheme == ColorScheme::dark ? appkit::Appearance::dark : appkit::Appearance::light;
}

ColorScheme colorSchemeFor(appkit::Appearance appearance) {
    return appearance == appkit::Appearance::dark ? ColorScheme::dark : ColorScheme::light;
}

}  // namespace ui
