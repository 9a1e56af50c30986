#pragma once

#include <string>

namespace fixtures {

// Lays out an application bundle in the temporary home whose Info.plist and Resources are
// the ones in the source tree (as the assemble step copies them) and makes it the main bundle.
void useApplicationResources();
// Makes the language the platform settings prefer (the global domain's "AppleLanguages").
void preferLanguage(const std::string& language);

}  // namespace fixtures
