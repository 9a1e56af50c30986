#pragma once

#include "platform/foundation/Observable.hpp"
#include "platform/system/StandardUpdaterController.hpp"

#include <memory>
#include <optional>

namespace kestrelvault {

// The menu's view of the updater: whether a check can start now, mirrored from the
// updater's own flag, and the command that starts one. Main thread only. Made once by the
// application delegate and kept for the process; the observation holds it weakly and ends
// with it, and each value is stored on the thread that delivers it.
class UpdaterViewModel : public std::enable_shared_from_this<UpdaterViewModel> {
public:
    // Starts the updater and observes it.
    static std::shared_ptr<UpdaterViewModel> make();

    foundation::Observable<bool> canCheckForUpdates{false};

    const std::shared_ptr<updates::StandardUpdaterController>& updaterController() const { return updaterController_; }
    // The menu's "check_for_updates" command: a user-initiated check.
    void checkForUpdates();

    // Only through make(), which subscribes once the object is shared.
    class CreationKey {
        explicit CreationKey() = default;
        friend class UpdaterViewModel;
    };
    explicit UpdaterViewModel(CreationKey);

private:
    void observeUpdater();

    std::shared_ptr<updates::StandardUpdaterController> updaterController_;
    std::optional<foundation::ObservationToken> cancellable_;
};

}  // namespace kestrelvault
