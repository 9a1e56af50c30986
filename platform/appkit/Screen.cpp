#include "platform/appkit/Screen.hpp"

#include "platform/appkit/Window.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/ThreadChecker.hpp"

namespace appkit {

namespace {
std::vector<std::shared_ptr<Screen>>& screenList() {
    static foundation::ProcessWide<std::vector<std::shared_ptr<Screen>>> screens([] {
        return std::make_shared<std::vector<std::shared_ptr<Screen>>>(
            std::vector{std::make_shared<Screen>(Rect(0, 0, 1440, 900))});
    });
    return *screens.get();
}
}  // namespace

std::vector<std::shared_ptr<Screen>> Screen::screens() {
    dispatch::checkMainThread();
    return screenList();
}

std::shared_ptr<Screen> Screen::mainScreen() {
    dispatch::checkMainThread();
    const auto& screens = screenList();
    if (screens.empty()) return nullptr;
    if (auto key = WindowList::shared().keyWindow()) {
        Point centre{key->frame().midX(), key->frame().midY()};
        for (const auto& screen : screens)
            if (screen->frame().contains(centre)) return screen;
    }
    return screens.front();
}

void Screen::setScreenFrames(const std::vector<Rect>& frames) {
    dispatch::checkMainThread();
    auto& screens = screenList();
    screens.clear();
    for (const auto& frame : frames) screens.push_back(std::make_shared<Screen>(frame));
}

}  // namespace appkit
