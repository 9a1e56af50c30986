#pragma once

#include "platform/appkit/AboutPanelOptions.hpp"
#include "platform/appkit/Window.hpp"

#include <memory>

namespace appkit {

// The standard About panel: a titled, closable window showing the application's icon (the
// workspace icon of the main bundle), its name (CFBundleName), its version
// ("Version <CFBundleShortVersionString> (<CFBundleVersion>)") and the credits, centred one
// under the other. Credits wrap within three lines. Main thread only.
class AboutPanel {
public:
    static constexpr double contentWidth = 280;

    static std::shared_ptr<Window> make(const AboutPanelOptions& options);
};

}  // namespace appkit
