#pragma once

#include <cstdint>
#include <optional>

namespace appkit {

// The keys an event can name as special, by the character the platform gives them (the
// function-key range U+F700… and a few control characters).
enum class SpecialKey : std::uint32_t {
    enter = 0x03,
    backspace = 0x08,
    tab = 0x09,
    newline = 0x0A,
    formFeed = 0x0C,
    carriageReturn = 0x0D,
    backTab = 0x19,
    delete_ = 0x7F,
    lineSeparator = 0x2028,
    paragraphSeparator = 0x2029,
    upArrow = 0xF700,
    downArrow = 0xF701,
    leftArrow = 0xF702,
    rightArrow = 0xF703,
    f1 = 0xF704,
    // f2 … f35 follow f1 one by one, up to 0xF726.
    f35 = 0xF726,
    insert = 0xF727,
    deleteForward = 0xF728,
    home = 0xF729,
    begin = 0xF72A,
    end = 0xF72B,
    pageUp = 0xF72C,
    pageDown = 0xF72D,
    printScreen = 0xF72E,
    scrollLock = 0xF72F,
    pause = 0xF730,
    sysReq = 0xF731,
    break_ = 0xF732,
    reset = 0xF733,
    stop = 0xF734,
    menu = 0xF735,
    user = 0xF736,
    system = 0xF737,
    print = 0xF738,
    clearLine = 0xF739,
    clearDisplay = 0xF73A,
    insertLine = 0xF73B,
    deleteLine = 0xF73C,
    insertCharacter = 0xF73D,
    deleteCharacter = 0xF73E,
    prev = 0xF73F,
    next = 0xF740,
    select = 0xF741,
    execute = 0xF742,
    undo = 0xF743,
    redo = 0xF744,
    find = 0xF745,
    help = 0xF746,
    modeSwitch = 0xF747,
};

// The function key Fn (1 … 35).
constexpr SpecialKey functionKey(int number) {
    return static_cast<SpecialKey>(static_cast<std::uint32_t>(SpecialKey::f1) + static_cast<std::uint32_t>(number - 1));
}

// The special key a character stands for, if any.
std::optional<SpecialKey> specialKeyForCharacter(char32_t character);

}  // namespace appkit
