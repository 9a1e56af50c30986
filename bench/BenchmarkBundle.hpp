#pragma once

namespace bench {

// Makes the application bundle the bench programs use the main bundle: Kestrelvault.app
// beside the executable when there is one, else the one the bench build assembled.
void useApplicationBundle(const char* executablePath);

}  // namespace bench
