#pragma once

#include "platform/ui/Types.hpp"

#include <functional>
#include <optional>

namespace ui {

struct LayoutNode;

// A horizontal alignment guide: the leading edge, the centre, the trailing edge, or a guide
// of the application's own. Guides are told apart by identity (the address of their
// definition); each has the value it takes in a view that does not set it. A plain value.
class HorizontalGuide {
public:
    using DefaultValue = double (*)(Size);

    // A guide of one's own: the identity is the address of a variable that defines it.
    constexpr HorizontalGuide(const void* identity, DefaultValue defaultValue)
        : identity_(identity), defaultValue_(defaultValue) {}
    static HorizontalGuide standard(HorizontalAlignment alignment);

    double defaultValue(Size size) const { return defaultValue_(size); }
    friend bool operator==(const HorizontalGuide& left, const HorizontalGuide& right) {
        return left.identity_ == right.identity_;
    }

private:
    const void* identity_;
    DefaultValue defaultValue_;
};

// A view's size and its guides, as an alignment-guide computation sees them.
struct ViewDimensions {
    Size size;
    std::function<std::optional<double>(const HorizontalGuide&)> explicitValue;

    double width() const { return size.width; }
    double height() const { return size.height; }
    // The guide's value: set somewhere in the view, or its default.
    double operator[](const HorizontalGuide& guide) const;
};

// The guide's value set inside a laid-out subtree (the first setting found, depth first),
// measured from the subtree's leading edge; nullopt when nothing there sets it.
std::optional<double> explicitGuide(const LayoutNode& subtree, const HorizontalGuide& guide);

}  // namespace ui
