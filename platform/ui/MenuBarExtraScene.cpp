#include "platform/ui/MenuBarExtraScene.hpp"

#include "platform/appkit/Image.hpp"
#include "platform/appkit/StatusBar.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/ui/MenuBuilder.hpp"

namespace ui {

MenuBarExtraScene::MenuBarExtraScene(MenuBarExtra scene) : scene_(std::move(scene)), menu_(appkit::Menu::make()) {}

std::shared_ptr<MenuBarExtraScene> MenuBarExtraScene::make(MenuBarExtra scene) {
    dispatch::checkMainThread();
    auto made = std::make_shared<MenuBarExtraScene>(std::move(scene));
    std::weak_ptr<MenuBarExtraScene> weakScene = made;
    made->host_ = Host::make(made->scene_.content);
    made->host_->setDidUpdate([weakScene] {
        if (auto scene = weakScene.lock()) scene->rebuildMenu();
    });
    made->rebuildMenu();

    auto bundle = foundation::Bundle::mainBundle();
    made->statusItem_ = appkit::StatusBar::systemStatusBar().statusItem();
    made->statusItem_->setTitle(bundle ? bundle->localizedStringForKey(made->scene_.titleKey) : made->scene_.titleKey);
    made->statusItem_->setImage(appkit::Image::imageNamed(made->scene_.imageName));
    made->statusItem_->setAction([weakScene](appkit::Point origin) {
        if (auto scene = weakScene.lock()) scene->toggleMenu(origin);
    });
    return made;
}

MenuBarExtraScene::~MenuBarExtraScene() {
    if (menuWindow_) menuWindow_->cancel();
    appkit::StatusBar::systemStatusBar().removeStatusItem(statusItem_);
}

std::shared_ptr<MenuWindow> MenuBarExtraScene::openMenu() const {
    return menuWindow_ && menuWindow_->isOpen() ? menuWindow_ : nullptr;
}

void MenuBarExtraScene::toggleMenu(appkit::Point origin) {
    dispatch::checkMainThread();
    if (auto open = openMenu()) return open->cancel();
    // The content is built when the menu opens, so what it reads is current.
    host_->update();
    menuWindow_ = MenuWindow::popUp(menu_, origin);
}

void MenuBarExtraScene::rebuildMenu() {
    MenuBuilder::fill(*menu_, host_->resolvedTree(), host_->environment());
    if (auto open = openMenu()) open->menuDidChange();
}

}  // namespace ui
