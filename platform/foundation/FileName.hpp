#pragma once

#include <string_view>

namespace foundation {

// Whether a name read from a file (a picture named in a browser's settings, an icon named in
// an application's Info.plist) can only name an entry of the folder it is looked up in: not
// empty, not "." (the folder itself), and holding neither "/" (another folder, or the root)
// nor ".." (the folder above).
inline bool isPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name.find('/') == std::string_view::npos &&
           name.find("..") == std::string_view::npos;
}

}  // namespace foundation
