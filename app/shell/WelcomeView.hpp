#pragma once

#include "platform/ui/View.hpp"

#include <functional>

namespace kestrelvault {

// The content of the first-launch welcome panel: the application's icon, a title, a
// description and one button that opens Settings and tells the application (which closes
// the panel). No state. Main thread only.
class WelcomeView : public ui::View {
public:
    explicit WelcomeView(std::function<void()> onSetupTapped = nullptr) : onSetupTapped(std::move(onSetupTapped)) {}

    std::function<void()> onSetupTapped;

    ui::Node body() override;
};

}  // namespace kestrelvault
