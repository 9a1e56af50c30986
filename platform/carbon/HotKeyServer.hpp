#pragma once

#include "platform/carbon/CarbonTypes.hpp"

namespace carbon {

// The window server's side of hot keys: it holds a combination for this process against
// every other application (or says why it cannot) and lets it go again. The event manager
// asks the installed one on every registration and unregistration; with none installed,
// only the combinations reserved for other applications are refused. Main thread only.
class HotKeyServer {
public:
    virtual ~HotKeyServer() = default;

    // noErr, or the status the registration fails with (eventHotKeyExistsErr when another
    // application holds the combination).
    virtual OSStatus grabHotKey(UInt32 keyCode, UInt32 modifiers) = 0;
    virtual void releaseHotKey(UInt32 keyCode, UInt32 modifiers) = 0;
};

}  // namespace carbon
