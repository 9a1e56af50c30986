// Entry point of Kestrelvault. It runs on the X server DISPLAY names; the application shell
// is still being assembled, and until it stands, this program says so instead of pretending
// to run.
#include "platform/display/x11/X11Display.hpp"

#include <cstdio>
#include <cstdlib>

int main() {
    std::string failure;
    auto display = display::X11Display::connect("", failure);
    if (!display) {
        std::fprintf(stderr, "Kestrelvault needs an X display: %s\n",
                     failure.c_str());
        return EXIT_FAILURE;
    }
    std::puts("Kestrelvault: the application shell is not built yet; run `make test` to exercise the libraries.");
    return EXIT_SUCCESS;
}
