#pragma once

#include <optional>
#include <string>

namespace appkit {

class Pasteboard;

// The window server's side of the general pasteboard: it carries what this process writes
// to other applications and reads what another application put there since. Installed on
// the general pasteboard by the display (not owned; it removes itself before it goes).
// Main thread only.
class PasteboardServer {
public:
    virtual ~PasteboardServer() = default;

    // The process changed the general pasteboard (cleared or wrote it).
    virtual void generalPasteboardDidChange(const Pasteboard& pasteboard) = 0;
    // The text another application holds on the pasteboard, for the type; nullopt when it
    // holds none of that type or cannot be reached.
    virtual std::optional<std::string> stringFromOtherApplication(const std::string& type) = 0;
};

}  // namespace appkit
