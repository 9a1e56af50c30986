#include "platform/x11/XkbKeyNames.hpp"

#include <map>
#include <string>

namespace display {

std::optional<std::uint16_t> virtualKeyCodeForXkbKeyName(std::string_view name) {
    static const std::map<std::string, std::uint16_t, std::less<>> codes{
        // The main block, row by row.
        {"TLDE", 50}, {"AE01", 18}, {"AE02", 19}, {"AE03", 20}, {"AE04", 21}, {"AE05", 23}, {"AE06", 22},
        {"AE07", 26}, {"AE08", 28}, {"AE09", 25}, {"AE10", 29}, {"AE11", 27}, {"AE12", 24}, {"BKSP", 51},
        {"TAB", 48},  {"AD01", 12}, {"AD02", 13}, {"AD03", 14}, {"AD04", 15}, {"AD05", 17}, {"AD06", 16},
        {"AD07", 32}, {"AD08", 34}, {"AD09", 31}, {"AD10", 35}, {"AD11", 33}, {"AD12", 30}, {"BKSL", 42},
        {"CAPS", 57}, {"AC01", 0},  {"AC02", 1},  {"AC03", 2},  {"AC04", 3},  {"AC05", 5},  {"AC06", 4},
        {"AC07", 38}, {"AC08", 40}, {"AC09", 37}, {"AC10", 41}, {"AC11", 39}, {"RTRN", 36}, {"LFSH", 56},
        {"LSGT", 10}, {"AB01", 6},  {"AB02", 7},  {"AB03", 8},  {"AB04", 9},  {"AB05", 11}, {"AB06", 45},
        {"AB07", 46}, {"AB08", 43}, {"AB09", 47}, {"AB10", 44}, {"RTSH", 60}, {"LCTL", 59}, {"LALT", 58},
        {"LWIN", 55}, {"SPCE", 49}, {"RWIN", 54}, {"RALT", 61}, {"RCTL", 62}, {"ESC", 53},
        // The extra keys of Japanese keyboards: Yen, the underscore key, the keypad's comma, and
        // the keys either side of the space bar where the platform's have Eisu and Kana.
        {"AE13", 93}, {"AB11", 94}, {"JPCM", 95}, {"MUHE", 102}, {"HENK", 104},
        // Function keys.
        {"FK01", 122}, {"FK02", 120}, {"FK03", 99},  {"FK04", 118}, {"FK05", 96},  {"FK06", 97},  {"FK07", 98},
        {"FK08", 100}, {"FK09", 101}, {"FK10", 109}, {"FK11", 103}, {"FK12", 111}, {"FK13", 105}, {"FK14", 107},
        {"FK15", 113}, {"FK16", 106}, {"FK17", 64},  {"FK18", 79},  {"FK19", 80},  {"FK20", 90},
        // Navigation: Insert stands where the platform's keyboards have Help.
        {"INS", 114}, {"HOME", 115}, {"PGUP", 116}, {"DELE", 117}, {"END", 119}, {"PGDN", 121}, {"UP", 126},
        {"DOWN", 125}, {"LEFT", 123}, {"RGHT", 124},
        // The keypad: Num Lock stands where the platform's keypads have Clear.
        {"NMLK", 71}, {"KPEQ", 81}, {"KPDV", 75}, {"KPMU", 67}, {"KPSU", 78}, {"KPAD", 69}, {"KPEN", 76},
        {"KPDL", 65}, {"KP0", 82}, {"KP1", 83}, {"KP2", 84}, {"KP3", 85}, {"KP4", 86}, {"KP5", 87}, {"KP6", 88},
        {"KP7", 89}, {"KP8", 91}, {"KP9", 92},
        // Media keys the platform's keyboards carry.
        {"MUTE", 74}, {"VOL-", 73}, {"VOL+", 72}};
    auto found = codes.find(name);
    if (found == codes.end()) return std::nullopt;
    return found->second;
}

}  // namespace display
