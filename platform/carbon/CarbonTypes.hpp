#pragma once

#include <cstdint>

namespace carbon {

using OSStatus = std::int32_t;
using OSType = std::uint32_t;
using UInt32 = std::uint32_t;
using UInt16 = std::uint16_t;
using UniChar = char16_t;
using UniCharCount = std::size_t;
using OptionBits = std::uint32_t;

// A four-character code as the platform writes it ('keyb').
constexpr OSType fourCharCode(const char (&code)[5]) {
    return (OSType(std::uint8_t(code[0])) << 24) | (OSType(std::uint8_t(code[1])) << 16) |
           (OSType(std::uint8_t(code[2])) << 8) | OSType(std::uint8_t(code[3]));
}

// Status codes.
inline constexpr OSStatus noErr = 0;
inline constexpr OSStatus paramErr = -50;
inline constexpr OSStatus eventInternalErr = -9868;
inline constexpr OSStatus eventParameterNotFoundErr = -9870;
inline constexpr OSStatus eventNotHandledErr = -9874;
inline constexpr OSStatus eventHotKeyExistsErr = -9878;
inline constexpr OSStatus eventHotKeyInvalidErr = -9879;
inline constexpr OSStatus errAECoercionFail = -1700;
inline constexpr OSStatus kUCOutputBufferTooSmall = -25340;

// Event classes, kinds and parameters of the keyboard.
inline constexpr OSType kEventClassKeyboard = fourCharCode("keyb");
inline constexpr UInt32 kEventRawKeyDown = 1;
inline constexpr UInt32 kEventRawKeyRepeat = 2;
inline constexpr UInt32 kEventRawKeyUp = 3;
inline constexpr UInt32 kEventRawKeyModifiersChanged = 4;
inline constexpr UInt32 kEventHotKeyPressed = 5;
inline constexpr UInt32 kEventHotKeyReleased = 6;

inline constexpr OSType kEventParamDirectObject = fourCharCode("----");
inline constexpr OSType kEventParamKeyCode = fourCharCode("kcod");
inline constexpr OSType kEventParamKeyModifiers = fourCharCode("kmod");
inline constexpr OSType typeEventHotKeyID = fourCharCode("hkid");
inline constexpr OSType typeUInt32 = fourCharCode("magn");

// Carbon modifier bits.
inline constexpr UInt32 cmdKey = 0x100;
inline constexpr UInt32 shiftKey = 0x200;
inline constexpr UInt32 alphaLock = 0x400;
inline constexpr UInt32 optionKey = 0x800;
inline constexpr UInt32 controlKey = 0x1000;
inline constexpr UInt32 kEventKeyModifierFnMask = 0x20000;

struct EventTypeSpec {
    OSType eventClass = 0;
    UInt32 eventKind = 0;
    friend bool operator==(const EventTypeSpec&, const EventTypeSpec&) = default;
};

struct EventHotKeyID {
    OSType signature = 0;
    UInt32 id = 0;
};

}  // namespace carbon
