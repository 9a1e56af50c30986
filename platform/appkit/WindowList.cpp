#include "platform/appkit/WindowList.hpp"

#include "platform/appkit/Application.hpp"
#include "platform/appkit/Window.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <algorithm>

namespace appkit {

WindowList::WindowList() {
    // Events the application's monitors and menus did not take go to the window they were
    // made in (clicks on a screen point), else to the key window.
    Application::shared()->setWindowEventHandler([](const EventPtr& event) {
        auto& list = WindowList::shared();
        auto target = event->isKeyEvent() ? nullptr : list.windowWithNumber(event->windowNumber());
        if (!target) target = list.keyWindow();
        if (target) target->sendEvent(event);
    });
}

foundation::ProcessWide<WindowList>& WindowList::instance() {
    static foundation::ProcessWide<WindowList> list([] { return std::shared_ptr<WindowList>(new WindowList()); });
    return list;
}

WindowList& WindowList::shared() { return *instance().get(); }

void WindowList::resetForTesting() { instance().reset(); }

std::vector<std::shared_ptr<Window>> WindowList::windows() const {
    std::vector<std::shared_ptr<Window>> result;
    for (const auto& weak : all_)
        if (auto window = weak.lock()) result.push_back(window);
    return result;
}

std::shared_ptr<Window> WindowList::windowWithNumber(int windowNumber) const {
    for (const auto& weak : all_)
        if (auto window = weak.lock(); window && window->windowNumber() == windowNumber) return window;
    return nullptr;
}

void WindowList::add(const std::shared_ptr<Window>& window) {
    dispatch::checkMainThread();
    std::erase_if(all_, [](const std::weak_ptr<Window>& weak) { return weak.expired(); });
    // Ordering front adds again (after a reset the list starts empty); a window is listed once.
    if (std::any_of(all_.begin(), all_.end(), [&](const std::weak_ptr<Window>& weak) { return weak.lock() == window; }))
        return;
    all_.push_back(window);
}

void WindowList::orderFront(const std::shared_ptr<Window>& window) {
    dispatch::checkMainThread();
    std::erase(ordered_, window);
    // A window stays behind those of a higher level.
    auto position = std::find_if(ordered_.begin(), ordered_.end(),
                                 [&](const std::shared_ptr<Window>& other) { return other->level() <= window->level(); });
    ordered_.insert(position, window);
}

void WindowList::orderOut(const std::shared_ptr<Window>& window) {
    dispatch::checkMainThread();
    std::erase(ordered_, window);
}

void WindowList::setKeyWindow(const std::shared_ptr<Window>& window) {
    dispatch::checkMainThread();
    key_ = window;
}
void WindowList::setMainWindow(const std::shared_ptr<Window>& window) {
    dispatch::checkMainThread();
    main_ = window;
}

void WindowList::passKeyStatusOn() {
    if (keyWindow()) return;
    auto ordered = ordered_;
    for (const auto& window : ordered)
        if (window->canBecomeKeyWindow()) {
            window->makeKeyWindow();
            return;
        }
}

}  // namespace appkit
