#include "platform/appkit/View.hpp"

#include "platform/appkit/Window.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <algorithm>

namespace appkit {

View::View(Rect frame) : frame_(frame) {}

void View::setFrame(const Rect& frame) {
    dispatch::checkMainThread();
    frame_ = frame;
}

void View::addSubview(const std::shared_ptr<View>& view) {
    dispatch::checkMainThread();
    if (!view || view.get() == this) return;
    view->removeFromSuperview();
    subviews_.push_back(view);
    auto self = std::static_pointer_cast<View>(shared_from_this());
    view->superview_ = self;
    view->setNextResponder(self);
    view->attachToWindow(window());
}

void View::removeFromSuperview() {
    dispatch::checkMainThread();
    auto parent = superview();
    if (!parent) return;
    auto self = shared_from_this();
    auto& siblings = parent->subviews_;
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                  [&](const std::shared_ptr<View>& sibling) { return sibling == self; }),
                   siblings.end());
    superview_.reset();
    setNextResponder(nullptr);
    if (auto window = this->window()) {
        // Also when the first responder lies below: a text field's field editor while it is
        // edited, which must not go on editing a field that left the window.
        auto responder = std::dynamic_pointer_cast<View>(window->firstResponder());
        if (responder && responder->isDescendantOf(*this)) window->makeFirstResponder(nullptr);
    }
    attachToWindow(nullptr);
}

bool View::isDescendantOf(const View& ancestor) const {
    for (const View* view = this; view; view = view->superview().get())
        if (view == &ancestor) return true;
    return false;
}

void View::attachToWindow(const std::shared_ptr<Window>& window) {
    bool changed = window_.lock() != window;
    window_ = window;
    auto children = subviews_;  // a callback may rearrange the tree
    for (const auto& child : children) child->attachToWindow(window);
    if (changed) viewDidMoveToWindow();
}

float View::contentHuggingPriority(LayoutOrientation orientation) const {
    return orientation == LayoutOrientation::horizontal ? horizontalHugging_ : verticalHugging_;
}

void View::setContentHuggingPriority(float priority, LayoutOrientation orientation) {
    (orientation == LayoutOrientation::horizontal ? horizontalHugging_ : verticalHugging_) = priority;
}

Point View::toSuperview(Point point) const {
    // Own coordinates measured up from the bottom edge, then placed in the superview.
    Point unflipped{point.x, isFlipped() ? frame_.height() - point.y : point.y};
    Point transformed = layer_.transform.apply(unflipped);
    auto parent = superview();
    bool parentFlipped = parent && parent->isFlipped();
    return {frame_.minX() + transformed.x,
            parentFlipped ? frame_.minY() + frame_.height() - transformed.y : frame_.minY() + transformed.y};
}

Point View::fromSuperview(Point point) const {
    auto parent = superview();
    bool parentFlipped = parent && parent->isFlipped();
    Point transformed{point.x - frame_.minX(),
                      parentFlipped ? frame_.minY() + frame_.height() - point.y : point.y - frame_.minY()};
    Point unflipped = layer_.transform.inverted().value_or(AffineTransform{}).apply(transformed);
    return {unflipped.x, isFlipped() ? frame_.height() - unflipped.y : unflipped.y};
}

Point View::convertToWindow(Point point) const {
    for (const View* view = this; view; view = view->superview().get()) point = view->toSuperview(point);
    return point;
}

Point View::convertFromWindow(Point point) const {
    std::vector<const View*> chain;
    for (const View* view = this; view; view = view->superview().get()) chain.push_back(view);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) point = (*it)->fromSuperview(point);
    return point;
}

Point View::convertPointFromView(Point point, const View* view) const {
    return convertFromWindow(view ? view->convertToWindow(point) : point);
}

Point View::convertPointToView(Point point, const View* view) const {
    Point inWindow = convertToWindow(point);
    return view ? view->convertFromWindow(inWindow) : inWindow;
}

std::shared_ptr<View> View::hitTest(Point pointInSuperview) {
    if (hidden_) return nullptr;
    Point local = fromSuperview(pointInSuperview);
    if (!bounds().contains(local)) return nullptr;
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it)
        if (auto hit = (*it)->hitTest(local)) return hit;
    return std::static_pointer_cast<View>(shared_from_this());
}

bool View::performKeyEquivalent(const EventPtr& event) {
    auto children = subviews_;
    for (const auto& child : children)
        if (!child->isHidden() && child->performKeyEquivalent(event)) return true;
    return false;
}

}  // namespace appkit
