#include "GlobalShortcuts/AlertSheetCompletion.hpp"

namespace GlobalShortcuts {

void alertSheetCompletion(appkit::ModalResponse response) { appkit::Application::shared()->stopModal(response); }

}  // namespace GlobalShortcuts
