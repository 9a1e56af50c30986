#pragma once

#include <optional>
#include <string>

// Facts about the environment the process runs in. Class methods only, callable from any
// thread; the encryption flag and the two device models are computed once, on first use,
// and kept for the life of the process (resetForTesting forgets them).
class ZULAppEnvironmentUtil {
public:
    ZULAppEnvironmentUtil() = delete;

    static bool isFromAppStore();
    static bool isAppStoreReceiptSandbox();
    static bool isSimulator();
    // The named system value as text; nullopt when it has no size or is not UTF-8.
    static std::optional<std::string> getSysctlEntry(const char* name);
    static std::string deviceModel();
    static std::string deviceSimulatorModel();
    // "14.2.1", or "13.6" when the patch version is 0.
    static std::string systemVersion();
    static bool isAppExtension();
    static bool isAppClip();
    static bool supportsBackgroundURLSessionUploads();
    static std::string applePlatform();
    static std::string appleDevicePlatform();
    static std::string deploymentType();

    static void resetForTesting();
};
