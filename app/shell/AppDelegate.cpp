#include "app/shell/AppDelegate.hpp"

#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "analytics/engine/DDVAnalytics.hpp"
#include "app/bookmarks/ProfileSettings.hpp"
#include "app/shell/Localized.hpp"
#include "app/shell/ShortcutNames.hpp"
#include "app/shell/WelcomeView.hpp"
#include "app/shell/WindowCloseObserver.hpp"
#include "platform/appkit/ApplicationDelegate.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "platform/objc/Runtime.hpp"
#include "platform/system/SMAppService.hpp"
#include "platform/ui/HostingView.hpp"
#include "sdk/doderivo/ZIZAdu.hpp"

namespace kestrelvault {

objc::Class* AppDelegate::runtimeClass() {
    static objc::Class* const made = [] {
        appkit::declareApplicationDelegateProtocol();
        objc::Class* created = objc::defineClass("AppDelegate");
        created->addProtocol(appkit::NSApplicationDelegateProtocol);
        objc::addMethod(created, appkit::kApplicationDidFinishLaunchingSelector,
                        appkit::DidFinishLaunchingImplementation([](const objc::Id& self, objc::Id notification) {
                            objc::as<AppDelegate>(self)->applicationDidFinishLaunching(notification);
                        }),
                        "v24@0:8@16");
        return created;
    }();
    return made;
}

AppDelegate::AppDelegate()
    : objc::Object(runtimeClass()),
      panelController(nullptr),
      viewModel(SearchViewModel::make()),
      welcomeWindow(nullptr),
      updaterViewModel(UpdaterViewModel::make()) {}

void AppDelegate::applicationDidFinishLaunching(const objc::Id&) {
    dispatch::checkMainThread();
    // First, so that every analytics call below finds the default app configured.
    ZIZAdu::configure();
    panelController = PanelController::make(viewModel);
    std::weak_ptr<AppDelegate> weakSelf = self();
    // On key up: the panel toggles when the shortcut's key is released.
    GlobalShortcuts::onKeyUp(toggleSearch(), [weakSelf] {
        if (auto self = weakSelf.lock()) self->togglePanelFromHotKey();
    });
    // The launch task: the menu-bar icon and the shortcut work while it runs.
    startReloadTask([weakSelf] {
        if (auto self = weakSelf.lock()) self->finishLaunchTask();
    });
}

void AppDelegate::startReloadTask(std::function<void()> then) {
    // Started on the main queue rather than in place: a load with no reader to wait for
    // (every browser switched off) finishes inside the call, and its caller must return first.
    dispatch::mainQueue()->async([weakSelf = std::weak_ptr<AppDelegate>(self()), then = std::move(then)] {
        if (auto self = weakSelf.lock()) self->viewModel->reloadBookmarks(then);
    });
}

void AppDelegate::finishLaunchTask() {
    auto settings = ProfileSettings::shared();
    std::vector<BookmarkAggregator::BrowserEntry> enabled;
    for (auto& entry : viewModel->aggregator()->browserEntries())
        if (!settings->disabledBrowsers.get().count(entry.id)) enabled.push_back(std::move(entry));
    DDVAnalytics::setUserPropertyString(std::to_string(enabled.size()), "enabled_browsers");
    // Every profile counts, also those switched off.
    for (const auto& entry : enabled)
        DDVAnalytics::setUserPropertyString(std::to_string(entry.profiles.size()), "profiles_" + entry.id);

    auto defaults = foundation::UserDefaults::standardUserDefaults();
    if (defaults->boolForKey(hasLaunchedBeforeKey)) return;
    defaults->setBool(true, hasLaunchedBeforeKey);
    // A failure is ignored: the Settings window's switch shows the service's real status.
    servicemanagement::SMAppService::mainAppService()->registerAndReturnError(nullptr);
    showWelcomeWindow();
}

void AppDelegate::togglePanelFromHotKey() {
    dispatch::checkMainThread();
    if (!panelController) return;
    if (panelController->isShowing) return panelController->hide(PanelController::FocusRestoration::previousApplication);
    panelController->show();
}

void AppDelegate::showWelcomeWindow() {
    dispatch::checkMainThread();
    if (welcomeWindow) return welcomeWindow->makeKeyAndOrderFront();
    std::weak_ptr<AppDelegate> weakSelf = self();
    auto content = ui::HostingView::make(ui::make<WelcomeView>([weakSelf] {
        auto self = weakSelf.lock();
        if (self && self->welcomeWindow) self->welcomeWindow->close();
    }));
    constexpr auto style = appkit::WindowStyleMask::titled | appkit::WindowStyleMask::closable;
    auto panel = appkit::Window::make<appkit::Panel>(appkit::Rect(0, 0, 360, 300), style);
    panel->setTitle(localized("welcome_window_title"));
    panel->setLevel(appkit::WindowLevel::floating);
    panel->setContentView(content);
    panel->center();
    welcomeWindow = panel;
    observeWindowWillClose(panel, [weakSelf] {
        if (auto self = weakSelf.lock()) self->welcomeWindow.reset();
    });
    // Shown without activating the application.
    panel->makeKeyAndOrderFront();
}

std::function<void()> AppDelegate::reloadAfterProfileChange() {
    dispatch::checkMainThread();
    std::weak_ptr<AppDelegate> weakSelf = self();
    return [weakSelf] {
        if (auto self = weakSelf.lock()) self->startReloadTask();
    };
}

}  // namespace kestrelvault
