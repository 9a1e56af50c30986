// Entry point of Kestrelvault: the application on the X server DISPLAY names, its icon in
// the desktop's system tray, until the user quits it from the menu.
#include "app/shell/KestrelvaultApp.hpp"
#include "platform/ui/LaunchedApplication.hpp"
#include "platform/x11/X11Display.hpp"

#include <cstdio>
#include <cstdlib>
#include <memory>

int main() {
    auto display = display::X11Display::connect("");
    if (!display) {
        std::fprintf(stderr, "Kestrelvault needs an X display: %s; `make demo` shows it on a virtual one.\n",
                     display.error().c_str());
        return EXIT_FAILURE;
    }
    auto application = ui::LaunchedApplication::launch(std::make_unique<kestrelvault::KestrelvaultApp>());
    application->run();
    return EXIT_SUCCESS;
}
