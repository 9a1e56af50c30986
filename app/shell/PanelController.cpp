#include "app/shell/PanelController.hpp"

#include "analytics/engine/DDVAnalytics.hpp"
#include "app/shell/SearchPanelView.hpp"
#include "platform/appkit/AnimationContext.hpp"
#include "platform/appkit/Application.hpp"
#include "platform/appkit/Screen.hpp"
#include "platform/appkit/WindowAnimator.hpp"
#include "platform/appkit/WindowList.hpp"
#include "platform/appkit/Workspace.hpp"
#include "platform/foundation/ThreadChecker.hpp"
#include "platform/ui/HostingView.hpp"

namespace kestrelvault {

namespace {

constexpr double hiddenScale = 0.97;
constexpr int overlayLevel = 2;  // above normal windows, one below the panel's floating level
constexpr std::uint64_t spacesBehavior =
    appkit::WindowCollectionBehavior::canJoinAllSpaces | appkit::WindowCollectionBehavior::fullScreenAuxiliary;

}  // namespace

std::shared_ptr<PanelController> PanelController::make(std::shared_ptr<SearchViewModel> viewModel) {
    dispatch::checkMainThread();
    return std::make_shared<PanelController>(std::move(viewModel));
}

PanelController::PanelController(std::shared_ptr<SearchViewModel> viewModel) : viewModel(std::move(viewModel)) {}

PanelController::~PanelController() {
    removeOverlay();
    if (panel) panel->orderOut();
}

void PanelController::show() {
    dispatch::checkMainThread();
    if (!panel) createPanel();
    for (const auto& window : appkit::WindowList::shared().windows())
        if (window->identifier() == settingsWindowIdentifier) window->close();
    previousApp = appkit::Workspace::sharedWorkspace()->frontmostApplication();
    viewModel->reset();
    // The field shows the emptied query before a key typed right after the shortcut reaches
    // it: the window server may hand that key on before the view's next update.
    content_->host()->update();
    // Runs after show() returns, so the panel is on screen while the bookmarks load.
    dispatch::mainQueue()->async([self = shared_from_this()] { self->viewModel->reloadBookmarks([self] {}); });
    positionPanel();
    installOverlay();
    panel->setAlphaValue(0);
    panel->contentView()->layer().transform = appkit::AffineTransform::scale(hiddenScale, hiddenScale);
    appkit::Application::shared()->activate();
    panel->makeKeyAndOrderFront();
    isShowing = true;
    ++showings_;
    DDVAnalytics::logEventWithName("open_search", nullptr);
    animateIn();
}

void PanelController::createPanel() {
    panel = appkit::Window::make<FloatingPanel>(appkit::Rect(0, 0, panelWidth, initialPanelHeight));
    content_ = ui::HostingView::make(ui::make<SearchPanelView>(viewModel, weak_from_this()));
    content_->setWantsLayer(true);
    panel->setContentView(content_);
    std::weak_ptr<PanelController> weakSelf = weak_from_this();
    resignKeyObserver_ = foundation::NotificationCenter::defaultCenter()->addObserver(
        appkit::NSWindowDidResignKeyNotification, panel, dispatch::mainQueue(),
        [weakSelf](const foundation::Notification&) {
            // After the event that took key status away has been handled, unless a showing
            // made the panel key again meanwhile (that showing is not to be undone).
            dispatch::mainQueue()->async([weakSelf] {
                auto self = weakSelf.lock();
                if (self && !self->panel->isKeyWindow()) self->hide(FocusRestoration::none);
            });
        });
}

void PanelController::positionPanel() {
    auto screen = appkit::Screen::mainScreen();
    if (!screen || !panel) return;
    const auto& frame = screen->frame();
    const auto& size = panel->frame().size;
    double top = frame.minY() + 0.65 * frame.height() + 60;
    panelTopY = top;
    panel->setFrame(appkit::Rect(frame.midX() - size.width / 2, top - size.height, size.width, size.height), true);
}

void PanelController::installOverlay() {
    appkit::Rect cover;
    for (const auto& screen : appkit::Screen::screens()) cover = cover.unionWith(screen->frame());
    overlayWindow = appkit::Window::make(cover, appkit::WindowStyleMask::borderless);
    overlayWindow->setBackgroundColor(appkit::Color::white(0, 0.001));
    overlayWindow->setOpaque(false);
    overlayWindow->setHasShadow(false);
    overlayWindow->setLevel(overlayLevel);
    overlayWindow->setCollectionBehavior(spacesBehavior);
    overlayWindow->orderFront();
    std::weak_ptr<PanelController> weakSelf = weak_from_this();
    overlayClickMonitor = appkit::Event::addLocalMonitorForEvents(
        appkit::eventMaskFromType(appkit::EventType::leftMouseDown) |
            appkit::eventMaskFromType(appkit::EventType::rightMouseDown),
        [weakSelf](const appkit::EventPtr& event) {
            auto self = weakSelf.lock();
            return self ? self->overlayClickHandler(event) : event;
        });
}

appkit::EventPtr PanelController::overlayClickHandler(const appkit::EventPtr& event) {
    if (!overlayWindow || event->windowNumber() != overlayWindow->windowNumber()) return event;
    hide(FocusRestoration::previousApplication);
    return nullptr;
}

void PanelController::removeOverlay() {
    if (overlayClickMonitor) appkit::Event::removeMonitor(std::exchange(overlayClickMonitor, nullptr));
    if (overlayWindow) overlayWindow->orderOut();
    overlayWindow.reset();
}

void PanelController::hide(FocusRestoration restoreFocus) {
    dispatch::checkMainThread();
    if (!isShowing) return;
    isShowing = false;
    removeOverlay();
    animateOut();
    if (restoreFocus == FocusRestoration::previousApplication && previousApp)
        previousApp->activate(appkit::ApplicationActivationOptions::none);
    previousApp.reset();
}

void PanelController::animateIn() {
    std::weak_ptr<appkit::View> content = panel->contentView();
    appkit::AnimationContext::runAnimationGroup([&](appkit::AnimationContext& context) {
        context.duration = 0.15;
        context.timingFunction = appkit::AnimationContext::TimingFunction::easeOut;
        appkit::animator(panel).setAlphaValue(1);
        appkit::AnimationContext::animate([content](double progress) {
            double scale = hiddenScale + (1 - hiddenScale) * progress;
            if (auto view = content.lock()) view->layer().transform = appkit::AffineTransform::scale(scale, scale);
        });
    });
}

void PanelController::animateOut() {
    std::weak_ptr<PanelController> weakSelf = weak_from_this();
    appkit::AnimationContext::runAnimationGroup(
        [&](appkit::AnimationContext& context) {
            context.duration = 0.12;
            context.timingFunction = appkit::AnimationContext::TimingFunction::easeIn;
            appkit::animator(panel).setAlphaValue(0);
        },
        [weakSelf] {
            dispatch::mainQueue()->async([weakSelf] {
                auto self = weakSelf.lock();
                // A showing that came during the fade owns the panel now: ordering it out
                // would leave the user with an invisible panel that still holds the focus.
                if (!self || self->isShowing) return;
                self->panel->orderOut();
                self->panel->setAlphaValue(1);
            });
        });
}

}  // namespace kestrelvault
