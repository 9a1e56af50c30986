#pragma once

#include "platform/carbon/UCKeyboardLayout.hpp"

#include <memory>
#include <string>

namespace carbon {

// The platform setting (global defaults domain) naming the current keyboard layout by its
// input source identifier; the US layout when unset.
inline constexpr const char* kKeyboardLayoutSetting = "KVKeyboardLayout";
inline constexpr const char* kUSKeyboardLayoutID = "com.apple.keylayout.US";
inline constexpr const char* kGermanKeyboardLayoutID = "com.apple.keylayout.German";

// One keyboard input source: its identifier and, for a keyboard layout, its key map.
struct TISInputSource {
    std::string identifier;
    std::shared_ptr<const UCKeyboardLayout> layoutData;  // null for sources without one
};
using TISInputSourceRef = std::shared_ptr<const TISInputSource>;

// The input sources the platform knows by identifier: the standard layouts plus any a test
// registered. Safe from any thread.
class TextInputSources {
public:
    static TISInputSourceRef inputSource(const std::string& identifier);
    static void registerInputSourceForTesting(TISInputSourceRef source);
};

// The layout the settings name, read afresh on every call; null when it names no known
// source.
TISInputSourceRef TISCopyCurrentASCIICapableKeyboardLayoutInputSource();

struct UnicodeKeyLayoutDataProperty {};
inline constexpr UnicodeKeyLayoutDataProperty kTISPropertyUnicodeKeyLayoutData{};
std::shared_ptr<const UCKeyboardLayout> TISGetInputSourceProperty(const TISInputSourceRef& source,
                                                                  UnicodeKeyLayoutDataProperty property);

}  // namespace carbon
