#include "platform/ui/AlignmentGuide.hpp"

#include "platform/ui/LayoutNode.hpp"

namespace ui {

namespace {

double leadingValue(Size) { return 0; }
double centerValue(Size size) { return size.width / 2; }
double trailingValue(Size size) { return size.width; }

// Their addresses tell the standard guides apart.
char leadingIdentity, centerIdentity, trailingIdentity;

std::optional<double> explicitGuideFrom(const LayoutNode& node, const HorizontalGuide& guide, double origin) {
    if (node.kind() == NodeKind::alignmentGuide && node.data<AlignmentGuideData>().guide == guide &&
        node.data<AlignmentGuideData>().value && !node.children.empty()) {
        const LayoutNode& child = node.children.front();
        ViewDimensions dimensions{child.frame.size,
                                  [&child](const HorizontalGuide& other) { return explicitGuide(child, other); }};
        return node.frame.minX() - origin + node.data<AlignmentGuideData>().value(dimensions);
    }
    for (const auto& child : node.children)
        if (auto value = explicitGuideFrom(child, guide, origin)) return value;
    return std::nullopt;
}

}  // namespace

HorizontalGuide HorizontalGuide::standard(HorizontalAlignment alignment) {
    switch (alignment) {
    case HorizontalAlignment::leading: return {&leadingIdentity, leadingValue};
    case HorizontalAlignment::center: return {&centerIdentity, centerValue};
    case HorizontalAlignment::trailing: return {&trailingIdentity, trailingValue};
    }
    return {&leadingIdentity, leadingValue};
}

double ViewDimensions::operator[](const HorizontalGuide& guide) const {
    auto value = explicitValue ? explicitValue(guide) : std::nullopt;
    return value.value_or(guide.defaultValue(size));
}

std::optional<double> explicitGuide(const LayoutNode& subtree, const HorizontalGuide& guide) {
    return explicitGuideFrom(subtree, guide, subtree.frame.minX());
}

}  // namespace ui
