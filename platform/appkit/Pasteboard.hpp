#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/appkit/PasteboardServer.hpp"

namespace appkit {

// The pasteboard type of plain text.
inline constexpr const char* NSPasteboardTypeString = "public.utf8-plain-text";

// A named pasteboard holding one value per type. The general pasteboard is one shared
// instance for the process, kept in memory and carried to other applications by the
// display's pasteboard server when one is installed: once another application took it over,
// reads go to that application. Main thread only, like the platform's; lives for the process.
class Pasteboard {
public:
    static std::shared_ptr<Pasteboard> generalPasteboard();
    // Test support: a fresh, empty general pasteboard.
    static void resetForTesting();

    // Removes every value and returns the new change count.
    std::int64_t clearContents();
    // Stores the text under the type; counts as a change. Always succeeds here.
    bool setString(std::string text, const std::string& type);
    std::optional<std::string> stringForType(const std::string& type) const;
    // Grows by one with every clear and every write, so callers can tell whether the
    // contents were touched.
    std::int64_t changeCount() const { return changeCount_; }

    // The window server of the general pasteboard; null for none.
    static void setServer(PasteboardServer* server);
    static PasteboardServer* server();
    // Told by the server: another application put something on the pasteboard. The
    // process's own values go and the change counts.
    void takenByOtherApplication();

private:
    void didChange();

    std::map<std::string, std::string> values_;
    std::int64_t changeCount_ = 0;
    bool heldByOtherApplication_ = false;
};

}  // namespace appkit
