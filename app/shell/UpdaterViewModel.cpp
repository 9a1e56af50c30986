#include "app/shell/UpdaterViewModel.hpp"
#include "platform/foundation/ThreadChecker.hpp"

namespace kestrelvault {

UpdaterViewModel::UpdaterViewModel(CreationKey)
    : updaterController_(std::make_shared<updates::StandardUpdaterController>(true, nullptr, nullptr)) {}

std::shared_ptr<UpdaterViewModel> UpdaterViewModel::make() {
    dispatch::checkMainThread();
    auto viewModel = std::make_shared<UpdaterViewModel>(CreationKey());
    viewModel->observeUpdater();
    return viewModel;
}

void UpdaterViewModel::observeUpdater() {
    cancellable_ = updaterController_->updater()->canCheckForUpdates.observe(
        [weakSelf = weak_from_this()](const bool& canCheck) {
            if (auto self = weakSelf.lock()) self->canCheckForUpdates = canCheck;
        },
        foundation::ObservingOptions::initialAndNew);
}

void UpdaterViewModel::checkForUpdates() { updaterController_->checkForUpdates(nullptr); }

}  // namespace kestrelvault
