#pragma once

#include "platform/appkit/AboutPanelOptions.hpp"
#include "platform/appkit/Event.hpp"
#include "platform/appkit/Image.hpp"
#include "platform/appkit/Menu.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/RunLoop.hpp"
#include "platform/foundation/UserActivity.hpp"
#include "platform/objc/Object.hpp"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace appkit {

// What a modal session answers.
using ModalResponse = std::int64_t;
inline constexpr ModalResponse NSModalResponseStop = -1000;
inline constexpr ModalResponse NSModalResponseAbort = -1001;
inline constexpr ModalResponse NSAlertFirstButtonReturn = 1000;
inline constexpr ModalResponse NSAlertSecondButtonReturn = 1001;

// Activation policies with the platform's values.
enum class ApplicationActivationPolicy : std::int64_t { regular = 0, accessory = 1, prohibited = 2 };

// Posted with the application as object when it comes to or leaves the front.
inline constexpr const char* NSApplicationDidBecomeActiveNotification = "NSApplicationDidBecomeActiveNotification";
inline constexpr const char* NSApplicationDidResignActiveNotification = "NSApplicationDidResignActiveNotification";
// Posted with the application as object once launching has finished, and when it is about
// to end.
inline constexpr const char* NSApplicationDidFinishLaunchingNotification = "NSApplicationDidFinishLaunchingNotification";
inline constexpr const char* NSApplicationWillTerminateNotification = "NSApplicationWillTerminateNotification";

class RunningApplication;
class Window;

// The shared application: its event queue, local event monitors, main menu and menu
// tracking, and its delegate. Queued events are handled by a source of the main run loop
// (in the common modes): while a menu tracks, key events go to that menu, everything else
// goes through sendEvent; Up and Down move the menu's highlight, and Escape, Return or an
// item performed by its key equivalent ends the tracking (Return performs the highlighted
// item; an item runs once the menu has closed). Main thread only, except shared(), delegate() and setDelegate(),
// which any thread may call (the SDK reaches the delegate from the thread it is set up on);
// the one instance lives for the process (resetForTesting() drops it, and the window list
// with it, for a test that restarts the application). Its runtime class "NSApplication"
// answers "sharedApplication", "delegate" and "setDelegate:".
class Application final : public objc::Object {
public:
    static std::shared_ptr<Application> shared();
    static void resetForTesting();
    static objc::Class* runtimeClass();

    Application();
    ~Application() override;

    // The first queued event whose type is in the mask; with dequeue it leaves the queue.
    // Without a deadline it never waits; with one it runs the current run loop in the mode
    // until an event arrives or the deadline passes.
    EventPtr nextEvent(EventTypeMask mask, std::optional<foundation::Clock::TimePoint> until, std::string_view mode,
                       bool dequeue);
    void postEvent(EventPtr event, bool atStart);
    std::size_t queuedEventCount() const { return queue_.size(); }
    // Local monitors first (in the order added; one returning none ends the event), then key
    // equivalents of the main menu for key-down events, then the windows.
    void sendEvent(const EventPtr& event);

    objc::Id addLocalMonitor(EventTypeMask mask, std::function<EventPtr(const EventPtr&)> handler);
    void removeLocalMonitor(const objc::Id& monitor);

    const std::shared_ptr<Menu>& mainMenu() const { return mainMenu_; }
    void setMainMenu(std::shared_ptr<Menu> menu) { mainMenu_ = std::move(menu); }

    // Menu tracking, as when the user opens one of the application's menus; each posts its
    // notification with the menu as object (ending when nothing tracks does nothing).
    void beginMenuTracking(std::shared_ptr<Menu> menu);
    void endMenuTracking();
    const std::shared_ptr<Menu>& trackingMenu() const { return trackingMenu_; }

    // The life cycle (Application+Lifecycle.cpp). finishLaunching tells the delegate
    // (applicationDidFinishLaunching:, when it answers) and then posts the notification;
    // run() serves the main run loop until terminate(), which posts the will-terminate
    // notification and makes run() return.
    void finishLaunching();
    void run();
    void terminate(const objc::Id& sender);
    bool isRunning() const { return running_; }
    bool isTerminated() const { return terminated_; }

    // Activation (Application+Activation.cpp): brings this application to the front. While
    // it is not in front it has no key window (the key window resigns and gets key status
    // back on return), and its visible panels that hide on deactivate are ordered out until
    // it returns.
    void activate();
    bool isActive() const;

    // Runs the main run loop in the modal panel mode until stopModal() and answers its
    // code. On the manual clock, a session that goes idle with nothing left that could
    // stop it ends with NSModalResponseAbort instead of spinning.
    ModalResponse runModal();
    // Ends the innermost modal session with the code; nothing when none runs.
    void stopModal(ModalResponse code);
    bool isRunningModal() const { return !modalStops_.empty(); }

    // The delegate, held weakly. Setting it tells key-value observers of "delegate", on the
    // setting thread, also when the same object is set again.
    objc::Id delegate() const;
    void setDelegate(objc::Id delegate);
    // Events for the delegate, sent through the runtime to whatever class it answers to now
    // and only when it answers the selector (ApplicationDelegate.hpp). Continuing an
    // activity answers whether the delegate did. Remote-notification registration always
    // fails here, there being no push service: the delegate hears so on the main queue.
    bool continueUserActivity(const objc::Id& userActivity, foundation::UserActivityRestorationHandler handler);
    void registerForRemoteNotifications();

    // Until one is set, the main bundle's Info.plist decides, as on the platform:
    // LSBackgroundOnly gives prohibited, LSUIElement accessory, anything else regular.
    ApplicationActivationPolicy activationPolicy() const;
    bool setActivationPolicy(ApplicationActivationPolicy policy);

    // The main bundle's icon as the workspace gives it (a generic icon without a bundle).
    std::shared_ptr<Image> applicationIconImage() const;
    // Shows the standard About panel (see AboutPanel) in front and key; while it is on
    // screen, showing it again brings the same panel forward.
    void orderFrontStandardAboutPanelWithOptions(const AboutPanelOptions& options);

    // Where events go that nothing before took: the key window's handling.
    void setWindowEventHandler(std::function<void(const EventPtr&)> handler) { windowHandler_ = std::move(handler); }

private:
    struct LocalMonitor;
    friend class RunningApplication;

    // Called by RunningApplication as this process comes to or leaves the front.
    void becomeActive();
    void resignActive();

    void ensureEventSource();
    void signalEventSource();
    void handleQueuedEvents();
    void handleTrackingKey(const Event& event);

    std::deque<EventPtr> queue_;
    std::vector<std::shared_ptr<LocalMonitor>> monitors_;
    std::shared_ptr<Menu> mainMenu_;
    std::shared_ptr<Menu> trackingMenu_;
    bool running_ = false;
    bool terminated_ = false;
    std::function<void(const EventPtr&)> windowHandler_;
    std::shared_ptr<foundation::RunLoop::Source> eventSource_;
    std::unique_ptr<foundation::RunLoopToken> eventSourceToken_;
    int waitingForEvent_ = 0;
    std::vector<std::optional<ModalResponse>> modalStops_;  // one per running session
    std::weak_ptr<Window> keyWindowBeforeDeactivation_;
    std::vector<std::weak_ptr<Window>> hiddenOnDeactivation_;
    // Read and set from any thread (the delegate proxy of the SDK reaches it from its own).
    foundation::Guarded<objc::WeakId> delegate_;
    std::optional<ApplicationActivationPolicy> activationPolicy_;
    std::shared_ptr<Window> aboutPanel_;
};

}  // namespace appkit
