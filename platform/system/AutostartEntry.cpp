#include "platform/system/AutostartEntry.hpp"

namespace servicemanagement {

namespace {

// The escapes of a string value: what would end or change the line.
std::string escapeValue(std::string_view text) {
    std::string escaped;
    for (char character : text) {
        switch (character) {
            case '\\': escaped += "\\\\"; break;
            case '\n': escaped += "\\n"; break;
            case '\r': escaped += "\\r"; break;
            case '\t': escaped += "\\t"; break;
            default: escaped += character;
        }
    }
    return escaped;
}

// One quoted Exec argument: inside the quotes '"', '`', '$' and '\' take a backslash, and
// '%' is doubled so that it is not a field code. The value escapes apply on top.
std::string quotedArgument(std::string_view argument) {
    std::string quoted = "\"";
    for (char character : argument) {
        if (character == '"' || character == '`' || character == '$' || character == '\\') quoted += '\\';
        if (character == '%') quoted += '%';
        quoted += character;
    }
    return escapeValue(quoted + "\"");
}

std::string_view trimmed(std::string_view text) {
    auto isSpace = [](char character) { return character == ' ' || character == '\t' || character == '\r'; };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string AutostartEntry::contents() const {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" + escapeValue(name) + "\n"
           "Exec=" + quotedArgument(executable.string()) + "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

AutostartState AutostartEntry::stateOf(std::string_view text) {
    bool inEntry = false;
    bool sawEntry = false;
    bool switchedOff = false;
    while (!text.empty()) {
        auto end = text.find('\n');
        auto line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            // The entry's group comes first; later groups are actions and extensions.
            if (!sawEntry && line != "[Desktop Entry]") return AutostartState::notAnEntry;
            inEntry = !sawEntry;
            sawEntry = true;
            continue;
        }
        auto equals = line.find('=');
        if (!inEntry || equals == std::string_view::npos) continue;
        auto key = trimmed(line.substr(0, equals));
        auto value = trimmed(line.substr(equals + 1));
        if ((key == "Hidden" && value == "true") || (key == "X-GNOME-Autostart-enabled" && value == "false"))
            switchedOff = true;
    }
    if (!sawEntry) return AutostartState::notAnEntry;
    return switchedOff ? AutostartState::switchedOff : AutostartState::starts;
}

}  // namespace servicemanagement
