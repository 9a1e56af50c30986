#include "GlobalShortcuts/Views/RecorderFormRow.hpp"

namespace GlobalShortcuts {

namespace {
char controlAlignmentIdentity;
}

const ui::HorizontalGuide& controlAlignment() {
    static const ui::HorizontalGuide guide(&controlAlignmentIdentity, [](ui::Size size) { return size.width / 2; });
    return guide;
}

ui::Node recorderFormRow(ui::Node content, ui::Node label) {
    auto leading = ui::HorizontalGuide::standard(ui::HorizontalAlignment::leading);
    return ui::HStack({std::move(label), content.labelsHidden().alignmentGuide(
                                             controlAlignment(),
                                             [leading](const ui::ViewDimensions& dimensions) { return dimensions[leading]; })},
                      ui::VerticalAlignment::firstTextBaseline)
        .alignmentGuide(leading, [](const ui::ViewDimensions& dimensions) { return dimensions[controlAlignment()]; });
}

}  // namespace GlobalShortcuts
