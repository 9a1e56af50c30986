#pragma once

#include "platform/foundation/Bundle.hpp"

#include <memory>
#include <string>

namespace GlobalShortcuts {

inline constexpr const char* resourceBundleName = "GlobalShortcuts_GlobalShortcuts.bundle";

// The package's resource bundle (its string tables), found once on first use next to the
// main bundle's resources, the package's own code or the main bundle; the process stops
// when none of them holds it. Safe from any thread.
std::shared_ptr<foundation::Bundle> resourceBundle();
// The text of a localization key in the bundle's default table; the key when it has none.
std::string localizedString(const std::string& key);

// Test support: the next use looks for the bundle again.
void resetResourceBundleForTesting();

}  // namespace GlobalShortcuts
