#include "platform/display/KeyCombination.hpp"

#include "platform/carbon/CarbonTypes.hpp"

#include <cctype>
#include <charconv>
#include <map>
#include <string>
#include <vector>

namespace display {

namespace {

const std::map<std::string, std::uint16_t>& keyNames() {
    static const std::map<std::string, std::uint16_t> names = [] {
        std::map<std::string, std::uint16_t> table{
            {"a", 0},   {"b", 11},  {"c", 8},   {"d", 2},   {"e", 14},  {"f", 3},   {"g", 5},   {"h", 4},
            {"i", 34},  {"j", 38},  {"k", 40},  {"l", 37},  {"m", 46},  {"n", 45},  {"o", 31},  {"p", 35},
            {"q", 12},  {"r", 15},  {"s", 1},   {"t", 17},  {"u", 32},  {"v", 9},   {"w", 13},  {"x", 7},
            {"y", 16},  {"z", 6},   {"0", 29},  {"1", 18},  {"2", 19},  {"3", 20},  {"4", 21},  {"5", 23},
            {"6", 22},  {"7", 26},  {"8", 28},  {"9", 25},  {"space", 49}, {"return", 36}, {"enter", 36},
            {"tab", 48}, {"escape", 53}, {"esc", 53}, {"delete", 51}, {"backspace", 51}, {"forwarddelete", 117},
            {"up", 126}, {"down", 125}, {"left", 123}, {"right", 124}, {"home", 115}, {"end", 119},
            {"pageup", 116}, {"pagedown", 121}, {"help", 114}, {"`", 50}, {"-", 27}, {"=", 24}, {"[", 33},
            {"]", 30}, {"\\", 42}, {";", 41}, {"'", 39}, {",", 43}, {".", 47}, {"/", 44},
            {"keypadclear", 71}, {"keypaddecimal", 65}, {"keypaddivide", 75}, {"keypadenter", 76},
            {"keypadequals", 81}, {"keypadminus", 78}, {"keypadmultiply", 67}, {"keypadplus", 69}};
        const std::uint16_t functionCodes[] = {122, 120, 99,  118, 96,  97,  98,  100, 101, 109,
                                               103, 111, 105, 107, 113, 106, 64,  79,  80,  90};
        for (int number = 1; number <= 20; ++number) table[std::string("f").append(std::to_string(number))] = functionCodes[number - 1];
        const std::uint16_t keypadCodes[] = {82, 83, 84, 85, 86, 87, 88, 89, 91, 92};
        for (int digit = 0; digit < 10; ++digit) table[std::string("keypad").append(std::to_string(digit))] = keypadCodes[digit];
        return table;
    }();
    return names;
}

std::optional<std::uint32_t> modifierNamed(const std::string& name) {
    static const std::map<std::string, std::uint32_t> modifiers{
        {"shift", carbon::shiftKey},     {"cmd", carbon::cmdKey},         {"command", carbon::cmdKey},
        {"opt", carbon::optionKey},      {"option", carbon::optionKey},   {"alt", carbon::optionKey},
        {"ctrl", carbon::controlKey},    {"control", carbon::controlKey}, {"fn", carbon::kEventKeyModifierFnMask},
        {"capslock", carbon::alphaLock}};
    auto found = modifiers.find(name);
    if (found == modifiers.end()) return std::nullopt;
    return found->second;
}

std::optional<std::uint16_t> keyNamed(const std::string& name) {
    if (name.rfind("code:", 0) == 0) {
        unsigned value = 0;
        auto [end, error] = std::from_chars(name.data() + 5, name.data() + name.size(), value);
        if (error != std::errc() || end != name.data() + name.size() || value > 0xFFFF) return std::nullopt;
        return static_cast<std::uint16_t>(value);
    }
    auto found = keyNames().find(name);
    if (found == keyNames().end()) return std::nullopt;
    return found->second;
}

}  // namespace

std::optional<KeyCombination> KeyCombination::parse(std::string_view text) {
    std::vector<std::string> parts;
    std::string current;
    for (std::size_t index = 0; index < text.size(); ++index) {
        char character = text[index];
        if (character == '+' && !current.empty()) {
            parts.push_back(current);
            current.clear();
            continue;
        }
        current += static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
    }
    if (current.empty()) return std::nullopt;
    parts.push_back(current);

    KeyCombination combination;
    for (std::size_t index = 0; index + 1 < parts.size(); ++index) {
        auto modifier = modifierNamed(parts[index]);
        if (!modifier) return std::nullopt;
        combination.carbonModifiers |= *modifier;
    }
    auto key = keyNamed(parts.back());
    if (!key) return std::nullopt;
    combination.keyCode = *key;
    return combination;
}

}  // namespace display
