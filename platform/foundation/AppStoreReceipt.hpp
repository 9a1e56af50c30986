#pragma once

#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/URL.hpp"

#include <memory>

namespace foundation {

// The App Store receipt of an application bundle, as the platform places it:
// Contents/_MASReceipt/sandboxReceipt when the bundle carries a sandbox receipt, otherwise
// Contents/_MASReceipt/receipt (whether or not that file exists). Nil without a bundle.
std::shared_ptr<URL> appStoreReceiptURL(const std::shared_ptr<Bundle>& bundle);

}  // namespace foundation
