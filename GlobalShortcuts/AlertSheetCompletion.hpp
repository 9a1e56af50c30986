#pragma once

#include "platform/appkit/Application.hpp"

namespace GlobalShortcuts {

// The completion of an alert shown as a sheet: ends the application's current modal
// session with the sheet's response, so the session run for the sheet's window answers
// it. Main thread only.
void alertSheetCompletion(appkit::ModalResponse response);

}  // namespace GlobalShortcuts
