#include "platform/foundation/AppStoreReceipt.hpp"

#include <filesystem>

namespace foundation {

std::shared_ptr<URL> appStoreReceiptURL(const std::shared_ptr<Bundle>& bundle) {
    if (!bundle) return nullptr;
    auto directory = bundle->bundlePath() / "Contents" / "_MASReceipt";
    std::error_code ignored;
    if (std::filesystem::is_regular_file(directory / "sandboxReceipt", ignored))
        return URL::fileURLWithPath((directory / "sandboxReceipt").string());
    return URL::fileURLWithPath((directory / "receipt").string());
}

}  // namespace foundation
