#include "platform/ui/MenuWindow.hpp"

#include "platform/appkit/Panel.hpp"
#include "platform/appkit/Screen.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/ui/MenuView.hpp"

#include <algorithm>

namespace ui {

namespace {

std::shared_ptr<appkit::Screen> screenAt(appkit::Point point) {
    for (const auto& screen : appkit::Screen::screens())
        if (screen->frame().contains(point)) return screen;
    return appkit::Screen::mainScreen();
}

}  // namespace

MenuWindow::MenuWindow(std::shared_ptr<appkit::Menu> menu) : menu_(std::move(menu)) {}

MenuWindow::~MenuWindow() {
    endTrackingObserver_.reset();
    becomeKeyObserver_.reset();
    highlightObserver_.cancel();
    if (window_) window_->orderOut();
}

std::shared_ptr<MenuWindow> MenuWindow::popUp(std::shared_ptr<appkit::Menu> menu, appkit::Point origin) {
    dispatch::checkMainThread();
    auto window = std::make_shared<MenuWindow>(std::move(menu));
    window->open(origin);
    return window;
}

Node MenuWindow::content() {
    std::weak_ptr<MenuWindow> weakSelf = weak_from_this();
    return make<MenuView>(menu_, [weakSelf](std::shared_ptr<appkit::MenuItem> item) {
        if (auto self = weakSelf.lock()) self->choose(item);
    });
}

void MenuWindow::open(appkit::Point origin) {
    content_ = HostingView::make(content());
    auto size = content_->fittingSize();
    // The window's frame: below the point, kept on its screen.
    auto screen = screenAt(origin)->frame();
    double x = std::clamp(origin.x, screen.minX(), std::max(screen.minX(), screen.maxX() - size.width));
    double y = origin.y - size.height;
    if (y < screen.minY()) y = std::min(origin.y, screen.maxY() - size.height);
    // Like the platform's menus it never takes key status: the key window keeps it (the
    // search panel stays open under the menu), and keys reach the tracking menu.
    window_ = appkit::Window::make<appkit::Panel>(appkit::Rect(x, y, size.width, size.height),
                                              appkit::WindowStyleMask::borderless);
    window_->setLevel(appkit::WindowLevel::popUpMenu);
    window_->setOpaque(false);
    window_->setBackgroundColor(appkit::Color::clearColor());
    window_->setAcceptsMouseMovedEvents(true);  // the item under the pointer is highlighted
    std::static_pointer_cast<appkit::Panel>(window_)->setHidesOnDeactivate(false);
    window_->setContentView(content_);

    std::weak_ptr<MenuWindow> weakSelf = weak_from_this();
    auto center = foundation::NotificationCenter::defaultCenter();
    endTrackingObserver_ = center->addObserver(appkit::NSMenuDidEndTrackingNotification, menu_, nullptr,
                                               [weakSelf](const foundation::Notification&) {
                                                   if (auto self = weakSelf.lock()) self->didEndTracking();
                                               });
    // Another window taking key status (the user turned to it) closes the menu.
    becomeKeyObserver_ = center->addObserver(appkit::NSWindowDidBecomeKeyNotification, nullptr, nullptr,
                                             [weakSelf](const foundation::Notification&) {
                                                 if (auto self = weakSelf.lock()) self->cancel();
                                             });
    highlightObserver_ = menu_->observeHighlight([weakSelf](const std::shared_ptr<appkit::MenuItem>&) {
        if (auto self = weakSelf.lock()) self->menuDidChange();
    });
    window_->orderFront();
    appkit::Application::shared()->beginMenuTracking(menu_);
}

void MenuWindow::menuDidChange() {
    dispatch::checkMainThread();
    if (content_) content_->host()->setRoot(content());
}

void MenuWindow::cancel() {
    dispatch::checkMainThread();
    auto application = appkit::Application::shared();
    if (application->trackingMenu() == menu_)
        application->endMenuTracking();
    else
        didEndTracking();
}

void MenuWindow::didEndTracking() {
    auto keepAlive = shared_from_this();
    endTrackingObserver_.reset();
    becomeKeyObserver_.reset();
    highlightObserver_.cancel();
    if (window_) window_->orderOut();
}

void MenuWindow::choose(const std::shared_ptr<appkit::MenuItem>& item) {
    if (!isOpen() || !item->isEnabled()) return;
    cancel();
    item->performAction();
}

}  // namespace ui
