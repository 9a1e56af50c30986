#include "sdk/doderivo/DDVOptions.hpp"

#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/FileManager.hpp"
#include "platform/foundation/PropertyListSerialization.hpp"
#include "platform/foundation/String.hpp"

std::shared_ptr<DDVOptions> DDVOptions::defaultOptions() {
    auto bundle = foundation::Bundle::mainBundle();
    if (!bundle) return nullptr;
    auto path = bundle->pathForResource(kDDVServiceInfoFileName, kDDVServiceInfoFileType);
    if (!path) return nullptr;
    return optionsWithContentsOfFile(*path);
}

std::shared_ptr<DDVOptions> DDVOptions::optionsWithContentsOfFile(const std::filesystem::path& path) {
    auto data = foundation::FileManager::defaultManager().contentsAtPath(path);
    if (!data) return nullptr;
    auto values = foundation::dictionaryValue(foundation::PropertyListSerialization::propertyListWithData(*data));
    if (!values) return nullptr;
    return std::make_shared<DDVOptions>(std::move(values));
}

DDVOptions::DDVOptions(std::shared_ptr<foundation::Dictionary> values)
    : values_(values ? std::move(values) : foundation::Dictionary::make()) {}

std::optional<std::string> DDVOptions::stringForKey(const char* key) const {
    return foundation::stringValue(values_->objectForKey(key));
}

std::optional<std::string> DDVOptions::appID() const { return stringForKey("APP_ID"); }

std::optional<std::string> DDVOptions::APIKey() const { return stringForKey("API_KEY"); }

std::optional<std::string> DDVOptions::projectID() const { return stringForKey("PROJECT_ID"); }

std::optional<std::string> DDVOptions::bundleID() const {
    if (auto bundleID = stringForKey("BUNDLE_ID")) return bundleID;
    if (auto bundle = foundation::Bundle::mainBundle()) return bundle->bundleIdentifier();
    return std::nullopt;
}
