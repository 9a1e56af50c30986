#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace GlobalShortcuts {

// The Carbon virtual key codes with a named constant, in table order: letters, digits,
// modifier keys, whitespace and punctuation, navigation and sound, function keys, keypad.
inline constexpr std::array<std::int64_t, 113> keyCodeTable{
    0, 11, 8, 2, 14, 3, 5, 4, 34, 38, 40, 37, 46, 45, 31, 35, 12, 15, 1, 17, 32, 9, 13, 7, 16, 6,
    29, 18, 19, 20, 21, 23, 22, 26, 28, 25, 57, 56, 63, 59, 58, 55, 54, 61, 62, 60, 36, 42, 50, 43,
    24, 27, 47, 39, 41, 44, 49, 48, 33, 30, 116, 121, 115, 119, 126, 124, 125, 123, 53, 51, 117,
    114, 74, 72, 73, 122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111, 105, 107, 113, 106,
    64, 79, 80, 90, 82, 83, 84, 85, 86, 87, 88, 89, 91, 92, 71, 65, 75, 76, 81, 78, 67, 69,
};

// A physical key by its layout-independent Carbon virtual key code. Any integer is a key;
// the named constants cover the keys of the standard keyboard. A plain value type.
struct Key {
    std::int64_t rawValue = 0;

    constexpr explicit Key(std::int64_t rawValue) : rawValue(rawValue) {}

    friend constexpr bool operator==(Key, Key) = default;

    static const Key a;  // kVK_ANSI_A
    static const Key b;  // kVK_ANSI_B
    static const Key c;  // kVK_ANSI_C
    static const Key d;  // kVK_ANSI_D
    static const Key e;  // kVK_ANSI_E
    static const Key f;  // kVK_ANSI_F
    static const Key g;  // kVK_ANSI_G
    static const Key h;  // kVK_ANSI_H
    static const Key i;  // kVK_ANSI_I
    static const Key j;  // kVK_ANSI_J
    static const Key k;  // kVK_ANSI_K
    static const Key l;  // kVK_ANSI_L
    static const Key m;  // kVK_ANSI_M
    static const Key n;  // kVK_ANSI_N
    static const Key o;  // kVK_ANSI_O
    static const Key p;  // kVK_ANSI_P
    static const Key q;  // kVK_ANSI_Q
    static const Key r;  // kVK_ANSI_R
    static const Key s;  // kVK_ANSI_S
    static const Key t;  // kVK_ANSI_T
    static const Key u;  // kVK_ANSI_U
    static const Key v;  // kVK_ANSI_V
    static const Key w;  // kVK_ANSI_W
    static const Key x;  // kVK_ANSI_X
    static const Key y;  // kVK_ANSI_Y
    static const Key z;  // kVK_ANSI_Z
    static const Key zero;  // kVK_ANSI_0
    static const Key one;  // kVK_ANSI_1
    static const Key two;  // kVK_ANSI_2
    static const Key three;  // kVK_ANSI_3
    static const Key four;  // kVK_ANSI_4
    static const Key five;  // kVK_ANSI_5
    static const Key six;  // kVK_ANSI_6
    static const Key seven;  // kVK_ANSI_7
    static const Key eight;  // kVK_ANSI_8
    static const Key nine;  // kVK_ANSI_9
    static const Key capsLock;  // kVK_CapsLock
    static const Key shift;  // kVK_Shift
    static const Key function;  // kVK_Function
    static const Key control;  // kVK_Control
    static const Key option;  // kVK_Option
    static const Key command;  // kVK_Command
    static const Key rightCommand;  // kVK_RightCommand
    static const Key rightOption;  // kVK_RightOption
    static const Key rightControl;  // kVK_RightControl
    static const Key rightShift;  // kVK_RightShift
    static const Key return_;  // kVK_Return
    static const Key backslash;  // kVK_ANSI_Backslash
    static const Key backtick;  // kVK_ANSI_Grave
    static const Key comma;  // kVK_ANSI_Comma
    static const Key equal;  // kVK_ANSI_Equal
    static const Key minus;  // kVK_ANSI_Minus
    static const Key period;  // kVK_ANSI_Period
    static const Key quote;  // kVK_ANSI_Quote
    static const Key semicolon;  // kVK_ANSI_Semicolon
    static const Key slash;  // kVK_ANSI_Slash
    static const Key space;  // kVK_Space
    static const Key tab;  // kVK_Tab
    static const Key leftBracket;  // kVK_ANSI_LeftBracket
    static const Key rightBracket;  // kVK_ANSI_RightBracket
    static const Key pageUp;  // kVK_PageUp
    static const Key pageDown;  // kVK_PageDown
    static const Key home;  // kVK_Home
    static const Key end;  // kVK_End
    static const Key upArrow;  // kVK_UpArrow
    static const Key rightArrow;  // kVK_RightArrow
    static const Key downArrow;  // kVK_DownArrow
    static const Key leftArrow;  // kVK_LeftArrow
    static const Key escape;  // kVK_Escape
    static const Key delete_;  // kVK_Delete
    static const Key deleteForward;  // kVK_ForwardDelete
    static const Key help;  // kVK_Help
    static const Key mute;  // kVK_Mute
    static const Key volumeUp;  // kVK_VolumeUp
    static const Key volumeDown;  // kVK_VolumeDown
    static const Key f1;  // kVK_F1
    static const Key f2;  // kVK_F2
    static const Key f3;  // kVK_F3
    static const Key f4;  // kVK_F4
    static const Key f5;  // kVK_F5
    static const Key f6;  // kVK_F6
    static const Key f7;  // kVK_F7
    static const Key f8;  // kVK_F8
    static const Key f9;  // kVK_F9
    static const Key f10;  // kVK_F10
    static const Key f11;  // kVK_F11
    static const Key f12;  // kVK_F12
    static const Key f13;  // kVK_F13
    static const Key f14;  // kVK_F14
    static const Key f15;  // kVK_F15
    static const Key f16;  // kVK_F16
    static const Key f17;  // kVK_F17
    static const Key f18;  // kVK_F18
    static const Key f19;  // kVK_F19
    static const Key f20;  // kVK_F20
    static const Key keypad0;  // kVK_ANSI_Keypad0
    static const Key keypad1;  // kVK_ANSI_Keypad1
    static const Key keypad2;  // kVK_ANSI_Keypad2
    static const Key keypad3;  // kVK_ANSI_Keypad3
    static const Key keypad4;  // kVK_ANSI_Keypad4
    static const Key keypad5;  // kVK_ANSI_Keypad5
    static const Key keypad6;  // kVK_ANSI_Keypad6
    static const Key keypad7;  // kVK_ANSI_Keypad7
    static const Key keypad8;  // kVK_ANSI_Keypad8
    static const Key keypad9;  // kVK_ANSI_Keypad9
    static const Key keypadClear;  // kVK_ANSI_KeypadClear
    static const Key keypadDecimal;  // kVK_ANSI_KeypadDecimal
    static const Key keypadDivide;  // kVK_ANSI_KeypadDivide
    static const Key keypadEnter;  // kVK_ANSI_KeypadEnter
    static const Key keypadEquals;  // kVK_ANSI_KeypadEquals
    static const Key keypadMinus;  // kVK_ANSI_KeypadMinus
    static const Key keypadMultiply;  // kVK_ANSI_KeypadMultiply
    static const Key keypadPlus;  // kVK_ANSI_KeypadPlus
};

inline constexpr Key Key::a{keyCodeTable[0]};
inline constexpr Key Key::b{keyCodeTable[1]};
inline constexpr Key Key::c{keyCodeTable[2]};
inline constexpr Key Key::d{keyCodeTable[3]};
inline constexpr Key Key::e{keyCodeTable[4]};
inline constexpr Key Key::f{keyCodeTable[5]};
inline constexpr Key Key::g{keyCodeTable[6]};
inline constexpr Key Key::h{keyCodeTable[7]};
inline constexpr Key Key::i{keyCodeTable[8]};
inline constexpr Key Key::j{keyCodeTable[9]};
inline constexpr Key Key::k{keyCodeTable[10]};
inline constexpr Key Key::l{keyCodeTable[11]};
inline constexpr Key Key::m{keyCodeTable[12]};
inline constexpr Key Key::n{keyCodeTable[13]};
inline constexpr Key Key::o{keyCodeTable[14]};
inline constexpr Key Key::p{keyCodeTable[15]};
inline constexpr Key Key::q{keyCodeTable[16]};
inline constexpr Key Key::r{keyCodeTable[17]};
inline constexpr Key Key::s{keyCodeTable[18]};
inline constexpr Key Key::t{keyCodeTable[19]};
inline constexpr Key Key::u{keyCodeTable[20]};
inline constexpr Key Key::v{keyCodeTable[21]};
inline constexpr Key Key::w{keyCodeTable[22]};
inline constexpr Key Key::x{keyCodeTable[23]};
inline constexpr Key Key::y{keyCodeTable[24]};
inline constexpr Key Key::z{keyCodeTable[25]};
inline constexpr Key Key::zero{keyCodeTable[26]};
inline constexpr Key Key::one{keyCodeTable[27]};
inline constexpr Key Key::two{keyCodeTable[28]};
inline constexpr Key Key::three{keyCodeTable[29]};
inline constexpr Key Key::four{keyCodeTable[30]};
inline constexpr Key Key::five{keyCodeTable[31]};
inline constexpr Key Key::six{keyCodeTable[32]};
inline constexpr Key Key::seven{keyCodeTable[33]};
inline constexpr Key Key::eight{keyCodeTable[34]};
inline constexpr Key Key::nine{keyCodeTable[35]};
inline constexpr Key Key::capsLock{keyCodeTable[36]};
inline constexpr Key Key::shift{keyCodeTable[37]};
inline constexpr Key Key::function{keyCodeTable[38]};
inline constexpr Key Key::control{keyCodeTable[39]};
inline constexpr Key Key::option{keyCodeTable[40]};
inline constexpr Key Key::command{keyCodeTable[41]};
inline constexpr Key Key::rightCommand{keyCodeTable[42]};
inline constexpr Key Key::rightOption{keyCodeTable[43]};
inline constexpr Key Key::rightControl{keyCodeTable[44]};
inline constexpr Key Key::rightShift{keyCodeTable[45]};
inline constexpr Key Key::return_{keyCodeTable[46]};
inline constexpr Key Key::backslash{keyCodeTable[47]};
inline constexpr Key Key::backtick{keyCodeTable[48]};
inline constexpr Key Key::comma{keyCodeTable[49]};
inline constexpr Key Key::equal{keyCodeTable[50]};
inline constexpr Key Key::minus{keyCodeTable[51]};
inline constexpr Key Key::period{keyCodeTable[52]};
inline constexpr Key Key::quote{keyCodeTable[53]};
inline constexpr Key Key::semicolon{keyCodeTable[54]};
inline constexpr Key Key::slash{keyCodeTable[55]};
inline constexpr Key Key::space{keyCodeTable[56]};
inline constexpr Key Key::tab{keyCodeTable[57]};
inline constexpr Key Key::leftBracket{keyCodeTable[58]};
inline constexpr Key Key::rightBracket{keyCodeTable[59]};
inline constexpr Key Key::pageUp{keyCodeTable[60]};
inline constexpr Key Key::pageDown{keyCodeTable[61]};
inline constexpr Key Key::home{keyCodeTable[62]};
inline constexpr Key Key::end{keyCodeTable[63]};
inline constexpr Key Key::upArrow{keyCodeTable[64]};
inline constexpr Key Key::rightArrow{keyCodeTable[65]};
inline constexpr Key Key::downArrow{keyCodeTable[66]};
inline constexpr Key Key::leftArrow{keyCodeTable[67]};
inline constexpr Key Key::escape{keyCodeTable[68]};
inline constexpr Key Key::delete_{keyCodeTable[69]};
inline constexpr Key Key::deleteForward{keyCodeTable[70]};
inline constexpr Key Key::help{keyCodeTable[71]};
inline constexpr Key Key::mute{keyCodeTable[72]};
inline constexpr Key Key::volumeUp{keyCodeTable[73]};
inline constexpr Key Key::volumeDown{keyCodeTable[74]};
inline constexpr Key Key::f1{keyCodeTable[75]};
inline constexpr Key Key::f2{keyCodeTable[76]};
inline constexpr Key Key::f3{keyCodeTable[77]};
inline constexpr Key Key::f4{keyCodeTable[78]};
inline constexpr Key Key::f5{keyCodeTable[79]};
inline constexpr Key Key::f6{keyCodeTable[80]};
inline constexpr Key Key::f7{keyCodeTable[81]};
inline constexpr Key Key::f8{keyCodeTable[82]};
inline constexpr Key Key::f9{keyCodeTable[83]};
inline constexpr Key Key::f10{keyCodeTable[84]};
inline constexpr Key Key::f11{keyCodeTable[85]};
inline constexpr Key Key::f12{keyCodeTable[86]};
inline constexpr Key Key::f13{keyCodeTable[87]};
inline constexpr Key Key::f14{keyCodeTable[88]};
inline constexpr Key Key::f15{keyCodeTable[89]};
inline constexpr Key Key::f16{keyCodeTable[90]};
inline constexpr Key Key::f17{keyCodeTable[91]};
inline constexpr Key Key::f18{keyCodeTable[92]};
inline constexpr Key Key::f19{keyCodeTable[93]};
inline constexpr Key Key::f20{keyCodeTable[94]};
inline constexpr Key Key::keypad0{keyCodeTable[95]};
inline constexpr Key Key::keypad1{keyCodeTable[96]};
inline constexpr Key Key::keypad2{keyCodeTable[97]};
inline constexpr Key Key::keypad3{keyCodeTable[98]};
inline constexpr Key Key::keypad4{keyCodeTable[99]};
inline constexpr Key Key::keypad5{keyCodeTable[100]};
inline constexpr Key Key::keypad6{keyCodeTable[101]};
inline constexpr Key Key::keypad7{keyCodeTable[102]};
inline constexpr Key Key::keypad8{keyCodeTable[103]};
inline constexpr Key Key::keypad9{keyCodeTable[104]};
inline constexpr Key Key::keypadClear{keyCodeTable[105]};
inline constexpr Key Key::keypadDecimal{keyCodeTable[106]};
inline constexpr Key Key::keypadDivide{keyCodeTable[107]};
inline constexpr Key Key::keypadEnter{keyCodeTable[108]};
inline constexpr Key Key::keypadEquals{keyCodeTable[109]};
inline constexpr Key Key::keypadMinus{keyCodeTable[110]};
inline constexpr Key Key::keypadMultiply{keyCodeTable[111]};
inline constexpr Key Key::keypadPlus{keyCodeTable[112]};

}  // namespace GlobalShortcuts

template <>
struct std::hash<GlobalShortcuts::Key> {
    std::size_t operator()(GlobalShortcuts::Key key) const noexcept { return std::hash<std::int64_t>()(key.rawValue); }
};
