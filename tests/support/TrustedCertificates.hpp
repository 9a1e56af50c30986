#pragma once

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Data.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/PropertyListSerialization.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "platform/system/SecTrust.hpp"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace testsupport {

// Lists the DER certificate as trusted in the platform settings of the current home (the
// global defaults domain), as a user who added it to the system's trust would.
inline void trustCertificateInPlatformSettings(const std::vector<std::uint8_t>& der) {
    auto settings = foundation::Dictionary::make(
        {{security::KVTrustedCertificatesKey, foundation::Array::make({foundation::Data::make(der)})}});
    auto data = foundation::PropertyListSerialization::dataWithPropertyList(settings, foundation::PropertyListFormat::binary);
    auto directory = std::filesystem::path(std::getenv("HOME")) / "Library" / "Preferences";
    std::filesystem::create_directories(directory);
    std::ofstream(directory / ".GlobalPreferences.plist", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data->bytes().data()), static_cast<std::streamsize>(data->length()));
}

}  // namespace testsupport
