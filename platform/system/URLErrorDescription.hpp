#pragma once

#include "platform/foundation/URL.hpp"

#include <cstdint>
#include <memory>
#include <string>

namespace foundation {

// What a failed load of the URL loading error domain says to the person who sees it: one
// sentence for each code, naming what could not be done (the server not found, the
// connection refused or lost, the certificate not trusted), never the transfer library's own
// text, which goes to the system log instead. The failing URL's host is named where the
// sentence needs it. Safe on any thread.
std::string localizedDescriptionForURLError(std::int64_t code, const std::shared_ptr<URL>& failingURL);

}  // namespace foundation
