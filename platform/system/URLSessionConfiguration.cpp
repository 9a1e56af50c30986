#include "platform/system/URLSessionConfiguration.hpp"

namespace foundation {

URLSessionConfiguration URLSessionConfiguration::defaultSessionConfiguration() { return {}; }

URLSessionConfiguration URLSessionConfiguration::backgroundSessionConfigurationWithIdentifier(std::string identifier) {
    URLSessionConfiguration configuration;
    configuration.identifier = std::move(identifier);
    return configuration;
}

}  // namespace foundation
