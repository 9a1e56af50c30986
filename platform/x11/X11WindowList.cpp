#include "platform/x11/X11WindowList.hpp"

#include "platform/appkit/WindowList.hpp"

#include <algorithm>

namespace display {

void X11WindowList::update(const X11ScreenLayout& layout) {
    auto living = appkit::WindowList::shared().windows();
    std::erase_if(windows_, [](const std::unique_ptr<X11Window>& mirrored) {
        auto window = mirrored->window();
        return !window || X11Window::kindOf(*window) != mirrored->kind();
    });
    for (const auto& window : living)
        if (window->isVisible() && !find(*window))
            windows_.push_back(std::make_unique<X11Window>(connection_, visuals_, window));
    for (const auto& mirrored : windows_) mirrored->place(layout);
    restack();
    for (const auto& mirrored : windows_) mirrored->draw();
}

void X11WindowList::restack() {
    std::vector<xcb_window_t> order;
    for (const auto& window : appkit::WindowList::shared().orderedWindows())
        if (auto* mirrored = find(*window)) order.push_back(mirrored->identifier());
    if (order == stacked_) return;
    // Back to front, each raised above all: the front window ends up on top.
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const std::uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(connection_.get(), *it, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    }
    stacked_ = std::move(order);
}

X11Window* X11WindowList::find(xcb_window_t identifier) const {
    for (const auto& mirrored : windows_)
        if (mirrored->identifier() == identifier) return mirrored.get();
    return nullptr;
}

X11Window* X11WindowList::find(const appkit::Window& window) const {
    for (const auto& mirrored : windows_)
        if (mirrored->window().get() == &window) return mirrored.get();
    return nullptr;
}

}  // namespace display
