#pragma once

#include <string>

namespace ui {

// The key of a declarative keyboard shortcut: one character (UTF-8), with named keys
// spelled by the characters the platform gives them.
struct KeyEquivalent {
    std::string character;

    static KeyEquivalent upArrow() { return {"\uF700"}; }
    static KeyEquivalent downArrow() { return {"\uF701"}; }
    static KeyEquivalent leftArrow() { return {"\uF702"}; }
    static KeyEquivalent rightArrow() { return {"\uF703"}; }
    static KeyEquivalent escape() { return {"\x1b"}; }
    static KeyEquivalent delete_() { return {"\x08"}; }
    static KeyEquivalent deleteForward() { return {"\uF728"}; }
    static KeyEquivalent home() { return {"\uF729"}; }
    static KeyEquivalent end() { return {"\uF72B"}; }
    static KeyEquivalent pageUp() { return {"\uF72C"}; }
    static KeyEquivalent pageDown() { return {"\uF72D"}; }
    static KeyEquivalent clear() { return {"\uF739"}; }
    static KeyEquivalent tab() { return {"\t"}; }
    static KeyEquivalent space() { return {" "}; }
    static KeyEquivalent return_() { return {"\r"}; }

    friend bool operator==(const KeyEquivalent&, const KeyEquivalent&) = default;
};

}  // namespace ui
