#pragma once

#include "app/shell/PanelController.hpp"
#include "app/shell/SearchViewModel.hpp"
#include "app/shell/UpdaterViewModel.hpp"
#include "platform/appkit/Panel.hpp"
#include "platform/objc/Object.hpp"
#include "platform/ui/ObservableObject.hpp"

#include <functional>
#include <memory>

namespace kestrelvault {

// The application's delegate (runtime class "AppDelegate", answering
// "applicationDidFinishLaunching:"): it builds the long-lived objects, wires the global
// shortcut to the search panel and runs the launch sequence (analytics, panel controller,
// shortcut handler, first bookmark load, analytics user properties and, on the first
// launch, the login item and the welcome window). It announces no change of its own.
// Main thread only; made once by the application value's delegate adaptor and kept for the
// process; its tasks, handlers and observers hold it weakly.
class AppDelegate final : public objc::Object, public ui::ObservableObject {
public:
    static objc::Class* runtimeClass();

    AppDelegate();

    std::shared_ptr<PanelController> panelController;
    std::shared_ptr<SearchViewModel> viewModel;
    std::shared_ptr<appkit::Panel> welcomeWindow;
    std::shared_ptr<UpdaterViewModel> updaterViewModel;

    void applicationDidFinishLaunching(const objc::Id& notification);
    // Hides the panel when it shows, else shows it; nothing before launching has finished.
    void togglePanelFromHotKey();
    // Creates the welcome window, or brings the one there is to the front.
    void showWelcomeWindow();
    // The reload the Settings window runs after each browser or profile switch.
    std::function<void()> reloadAfterProfileChange();

    static constexpr const char* hasLaunchedBeforeKey = "hasLaunchedBefore";

private:
    std::shared_ptr<AppDelegate> self() { return std::static_pointer_cast<AppDelegate>(shared_from_this()); }
    // A main-actor task: loads all bookmarks, updates the browser information, runs the
    // current query again, then runs then.
    void startReloadTask(std::function<void()> then = {});
    void finishLaunchTask();
};

}  // namespace kestrelvault
