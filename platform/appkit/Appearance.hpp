#pragma once

namespace appkit {

// Light or dark, as the user chose in the platform settings ("AppleInterfaceStyle" =
// "Dark" in the global domain). Read afresh on every call; any thread.
enum class Appearance { light, dark };

Appearance systemAppearance();

}  // namespace appkit
