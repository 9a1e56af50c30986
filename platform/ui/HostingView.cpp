#include "platform/ui/HostingView.hpp"
#include "platform/foundation/ThreadChecker.hpp"

namespace ui {

HostingView::HostingView(Rect frame) : appkit::View(frame) {}

std::shared_ptr<HostingView> HostingView::make(Node root, Rect frame, EnvironmentValues environment) {
    dispatch::checkMainThread();
    auto view = std::make_shared<HostingView>(frame);
    // The container is known before the first evaluation so hosted views land in it.
    auto host = Host::make(EmptyView(), std::move(environment));
    host->setContainer(view);
    std::weak_ptr<HostingView> weakView = view;
    host->setDidUpdate([weakView] {
        if (auto view = weakView.lock()) view->layoutTree();
    });
    view->host_ = host;
    host->setRoot(std::move(root));
    return view;
}

void HostingView::setFrame(const Rect& frame) {
    dispatch::checkMainThread();
    appkit::View::setFrame(frame);
    layoutTree();
}

Size HostingView::fittingSize() const { return host_ ? host_->sizeThatFits({}) : Size{}; }

void HostingView::layoutTree() {
    dispatch::checkMainThread();
    if (host_) host_->layout(bounds());
}

void HostingView::mouseUp(const appkit::EventPtr& event) {
    Point local = convertPointFromView(event->locationInWindow(), nullptr);
    if (!host_ || !host_->tap(local)) appkit::View::mouseUp(event);
}

void HostingView::mouseMoved(const appkit::EventPtr& event) {
    if (host_) host_->hover(convertPointFromView(event->locationInWindow(), nullptr));
}

void HostingView::mouseExited(const appkit::EventPtr&) {
    if (host_) host_->hover(std::nullopt);
}

void HostingView::scrollWheel(const appkit::EventPtr& event) {
    Point local = convertPointFromView(event->locationInWindow(), nullptr);
    if (!host_ || !host_->scrollBy(local, event->scrollingDeltaY())) appkit::View::scrollWheel(event);
}

bool HostingView::performKeyEquivalent(const appkit::EventPtr& event) {
    if (appkit::View::performKeyEquivalent(event)) return true;
    return host_ && host_->performKeyEquivalent(*event);
}

}  // namespace ui
