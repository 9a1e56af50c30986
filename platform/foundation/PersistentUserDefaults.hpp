#pragma once

#include "platform/foundation/UserDefaults.hpp"

namespace foundation {

// The user defaults of one domain over the preferences files, with the process-wide
// registration domain behind it. Holds no values of its own, so any number of objects over
// the same domain agree; safe from any thread.
class PersistentUserDefaults final : public UserDefaults {
public:
    explicit PersistentUserDefaults(std::string domain);

    const std::string& domain() const override { return domain_; }
    objc::Id objectForKey(const std::string& key) const override;
    void setObject(const objc::Id& value, const std::string& key) override;
    void removeObjectForKey(const std::string& key) override;
    void registerDefaults(const std::shared_ptr<Dictionary>& defaults) override;
    std::shared_ptr<Dictionary> dictionaryRepresentation() const override;
    std::shared_ptr<Dictionary> persistentDomainForName(const std::string& domain) const override;

    // Empties the registration domain.
    static void resetRegistrationForTesting();

private:
    std::string domain_;
};

}  // namespace foundation
