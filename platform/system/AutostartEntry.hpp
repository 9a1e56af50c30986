#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace servicemanagement {

// What a desktop session makes of an autostart file at login.
enum class AutostartState {
    starts,          // a "[Desktop Entry]" group the user left on
    switchedOff,     // the user switched it off in the desktop's start-up settings
                     // ("Hidden=true" or "X-GNOME-Autostart-enabled=false")
    notAnEntry,      // no "[Desktop Entry]" group: the session ignores the file
};

// A desktop autostart entry (a ".desktop" file under ~/.config/autostart) that starts one
// executable when the user logs in. A plain value.
struct AutostartEntry {
    std::string name;
    std::filesystem::path executable;

    // The file's text. The executable is one quoted argument of Exec, escaped so that no
    // character of the path reads as a field code, a quote, a variable or a line break.
    std::string contents() const;

    static AutostartState stateOf(std::string_view text);
};

}  // namespace servicemanagement
