#include "platform/appkit/Font.hpp"

#include <fmt/format.h>

namespace appkit {

std::string Font::descriptionText() const {
    const char* families = design == Design::monospaced ? "DejaVu Sans Mono, Noto Sans Mono CJK JP"
                                                        : "DejaVu Sans, Noto Sans CJK JP";
    // DejaVu has no medium or semibold face: medium stays book weight, semibold draws bold.
    const char* style = "";
    switch (weight) {
    case Weight::regular:
    case Weight::medium:
        style = "";
        break;
    case Weight::semibold:
    case Weight::bold:
        style = " Bold";
        break;
    }
    return fmt::format("{}{} {}px", families, style, pointSize);
}

}  // namespace appkit
