#include "platform/security/SecKeychain.hpp"

#include "platform/objc/Class.hpp"

namespace security {

SecKeychain::SecKeychain(std::filesystem::path path)
    : objc::Object(objc::defineClass("SecKeychain")), path_(std::move(path)) {}

std::shared_ptr<SecKeychain> SecKeychain::openAtPath(std::filesystem::path path) {
    return std::make_shared<SecKeychain>(std::move(path));
}

std::string SecKeychain::description() const { return "<SecKeychain " + path_.string() + ">"; }

}  // namespace security
