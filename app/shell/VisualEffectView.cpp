#include "app/shell/VisualEffectView.hpp"

namespace kestrelvault {

std::shared_ptr<appkit::VisualEffectView> VisualEffectView::makeNSView(Context&) {
    auto view = std::make_shared<appkit::VisualEffectView>();
    view->setMaterial(appkit::VisualEffectView::Material::popover);
    view->setBlendingMode(appkit::VisualEffectView::BlendingMode::behindWindow);
    view->setState(appkit::VisualEffectView::State::active);
    return view;
}

}  // namespace kestrelvault
