#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

struct StoredEvent {
    std::string name;
    std::string origin;
    std::string parameters;
    std::int64_t timestamp = 0;
};

struct StoredUserProperty {
    std::string name;
    std::string value;
    std::int64_t setTimestamp = 0;
};

// The rows of the measurement database at the path, in insertion order; empty when the file
// does not exist.
std::vector<StoredEvent> storedEvents(const std::filesystem::path& database);
std::vector<StoredUserProperty> storedUserProperties(const std::filesystem::path& database);

}  // namespace testsupport
