#pragma once

#include <string>

namespace appkit {

// A font by its traits: the system face at a size, a weight and a design. The face itself
// is chosen when text is laid out (DejaVu Sans, with Noto CJK for Chinese and Japanese
// characters). A plain value; any thread.
struct Font {
    enum class Weight { regular, medium, semibold, bold };
    enum class Design { standard, monospaced };

    double pointSize = 13;
    Weight weight = Weight::regular;
    Design design = Design::standard;

    static Font systemFontOfSize(double size, Weight weight = Weight::regular) { return Font{size, weight}; }
    static Font monospacedSystemFontOfSize(double size, Weight weight = Weight::regular) {
        return Font{size, weight, Design::monospaced};
    }
    // The platform's text styles at their default sizes.
    static Font body() { return Font{13}; }
    static Font caption() { return Font{10}; }
    static Font title2() { return Font{17}; }

    Font withWeight(Weight newWeight) const { return Font{pointSize, newWeight, design}; }
    Font withDesign(Design newDesign) const { return Font{pointSize, weight, newDesign}; }

    // The family list and style as a font-description text ("DejaVu Sans, Noto Sans CJK JP Bold 24px").
    std::string descriptionText() const;

    friend bool operator==(const Font&, const Font&) = default;
};

}  // namespace appkit
