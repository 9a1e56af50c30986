#include "platform/ui/SettingsScene.hpp"

#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/ui/HostingView.hpp"

namespace ui {

namespace {

// The platform's title: the application's name and "Settings".
std::string windowTitle() {
    auto bundle = foundation::Bundle::mainBundle();
    auto name = bundle ? bundle->objectForInfoDictionaryKey("CFBundleName") : nullptr;
    auto text = objc::as<foundation::String>(name);
    return text ? text->value() + " Settings" : std::string("Settings");
}

}  // namespace

std::shared_ptr<SettingsScene> SettingsScene::make(Settings scene) {
    dispatch::checkMainThread();
    auto made = std::make_shared<SettingsScene>(std::move(scene));
    std::weak_ptr<SettingsScene> weakScene = made;
    setOpenSettingsAction([weakScene] {
        if (auto scene = weakScene.lock()) scene->open();
    });
    return made;
}

SettingsScene::~SettingsScene() {
    closeObserver_.reset();
    if (window_) window_->orderOut();
}

void SettingsScene::open() {
    dispatch::checkMainThread();
    if (window_) return window_->makeKeyAndOrderFront();
    auto content = HostingView::make(scene_.content ? scene_.content() : EmptyView());
    auto size = content->fittingSize();
    window_ = appkit::Window::make(appkit::Rect(0, 0, size.width, size.height),
                                     appkit::WindowStyleMask::titled | appkit::WindowStyleMask::closable);
    window_->setIdentifier(windowIdentifier);
    window_->setTitle(windowTitle());
    window_->setContentView(content);
    window_->center();
    std::weak_ptr<SettingsScene> weakSelf = weak_from_this();
    closeObserver_ = foundation::NotificationCenter::defaultCenter()->addObserver(
        appkit::NSWindowWillCloseNotification, window_, nullptr, [weakSelf](const foundation::Notification&) {
            auto self = weakSelf.lock();
            if (!self) return;
            // The closing window keeps itself alive until it is ordered out.
            self->window_.reset();
            self->closeObserver_.reset();
        });
    window_->makeKeyAndOrderFront();
}

}  // namespace ui
