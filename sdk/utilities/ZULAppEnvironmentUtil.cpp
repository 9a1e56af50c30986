#include "sdk/utilities/ZULAppEnvironmentUtil.hpp"

#include "platform/foundation/AppStoreReceipt.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/Format.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/ProcessInfo.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/system/Sysctl.hpp"
#include "sdk/utilities/ZULMainImageEncryption.hpp"

#include <simdjson.h>
#include <sys/utsname.h>

#include <vector>

namespace {

// A value computed on first use and kept until the process-wide state is reset (tests).
template <class T>
class ComputedOnce {
public:
    template <class Compute>
    T get(Compute compute) {
        auto value = value_.lock();
        if (!*value) {
            *value = compute();
            reset_.arm();
        }
        return **value;
    }
    void reset() { value_.lock()->reset(); }

private:
    foundation::Guarded<std::optional<T>> value_;
    foundation::ProcessWideReset reset_{[this] { reset(); }};
};

ComputedOnce<bool> mainImageEncrypted;
ComputedOnce<std::string> deviceModelValue;
ComputedOnce<std::string> deviceSimulatorModelValue;

constexpr const char* receiptCheckKey = "DoderivoAppStoreReceiptURLCheckEnabled";

}  // namespace

bool ZULAppEnvironmentUtil::isFromAppStore() {
    bool encrypted = mainImageEncrypted.get([] { return ZULIsLoadedMainImageEncrypted(); });
    if (isSimulator()) return false;
    return !isAppStoreReceiptSandbox() && encrypted;
}

bool ZULAppEnvironmentUtil::isAppStoreReceiptSandbox() {
    auto bundle = foundation::Bundle::mainBundle();
    if (bundle) {
        auto switchValue = foundation::numberValue(bundle->objectForInfoDictionaryKey(receiptCheckKey));
        if (switchValue && !switchValue->boolValue()) return false;
    }
    auto receipt = foundation::appStoreReceiptURL(bundle);
    return receipt && receipt->lastPathComponent() == "sandboxReceipt";
}

bool ZULAppEnvironmentUtil::isSimulator() { return false; }

std::optional<std::string> ZULAppEnvironmentUtil::getSysctlEntry(const char* name) {
    std::size_t size = 0;
    darwin::sysctlbyname(name, nullptr, &size, nullptr, 0);
    if (size == 0) return std::nullopt;
    std::vector<char> buffer(size + 1, '\0');
    darwin::sysctlbyname(name, buffer.data(), &size, nullptr, 0);
    // Read as a UTF-8 C string: the value ends at its first zero byte, and bytes that are
    // not UTF-8 make no string at all.
    std::string text(buffer.data());
    if (!simdjson::validate_utf8(text.data(), text.size())) return std::nullopt;
    return text;
}

std::string ZULAppEnvironmentUtil::deviceModel() {
    return deviceModelValue.get([] {
        auto model = getSysctlEntry("hw.model");
        if (model && !model->empty()) return *model;
        struct utsname systemInfo;
        if (uname(&systemInfo) == 0) return std::string(systemInfo.machine);
        return model.value_or("");
    });
}

std::string ZULAppEnvironmentUtil::deviceSimulatorModel() {
    return deviceSimulatorModelValue.get([] { return getSysctlEntry("hw.model").value_or(""); });
}

std::string ZULAppEnvironmentUtil::systemVersion() {
    auto version = foundation::ProcessInfo::operatingSystemVersion();
    auto text = foundation::format("%ld.%ld", version.majorVersion, version.minorVersion);
    if (version.patchVersion != 0) text += foundation::format(".%ld", version.patchVersion);
    return text;
}

bool ZULAppEnvironmentUtil::isAppExtension() { return false; }

bool ZULAppEnvironmentUtil::isAppClip() { return false; }

bool ZULAppEnvironmentUtil::supportsBackgroundURLSessionUploads() { return !(isAppExtension() || isAppClip()); }

std::string ZULAppEnvironmentUtil::applePlatform() { return "macos"; }

std::string ZULAppEnvironmentUtil::appleDevicePlatform() { return applePlatform(); }

std::string ZULAppEnvironmentUtil::deploymentType() { return "cmake"; }

void ZULAppEnvironmentUtil::resetForTesting() {
    mainImageEncrypted.reset();
    deviceModelValue.reset();
    deviceSimulatorModelValue.reset();
}
