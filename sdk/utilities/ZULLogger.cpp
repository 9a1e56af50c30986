#include "sdk/utilities/ZULLogger.hpp"

#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/ProcessWide.hpp"
#include "platform/system/UnifiedLog.hpp"
#include "sdk/utilities/ZULAppEnvironmentUtil.hpp"

#include <atomic>
#include <map>
#include <memory>

namespace {

// Plain process-wide values, read without a queue hop; atomics so that a change made on one
// thread is seen cleanly by calls that start after it.
std::atomic<ZULLoggerLevel> currentLevel{ZULLoggerLevelNotice};
std::atomic<bool> forcedDebug{false};

foundation::Guarded<std::string>& versionString() {
    static foundation::Guarded<std::string> version;
    return version;
}

std::string currentVersion() { return versionString().copy(); }

// Back to level 5, forced debug off and an empty version.
foundation::ProcessWideReset& settingsReset() {
    static foundation::ProcessWideReset reset([] {
        currentLevel = ZULLoggerLevelNotice;
        forcedDebug = false;
        versionString().lock()->clear();
    });
    return reset;
}

// One os_log handle per (subsystem, category), made on first use. Touched only by work on
// the logging queue; that work holds the cache, so lines still queued at exit find it alive.
struct HandleCache {
    std::map<std::string, std::map<std::string, darwin::os_log_t>> handles;

    darwin::os_log_t handleFor(const std::string& subsystem, const std::string& category) {
        auto& handle = handles[subsystem][category];
        if (!handle) handle = darwin::os_log_create(subsystem.c_str(), category.c_str());
        return handle;
    }
};

dispatch::OnceFlag setupOnce;
dispatch::QueuePtr loggingQueue;
std::shared_ptr<HandleCache> handleCache;

darwin::os_log_type_t logTypeForLevel(ZULLoggerLevel level) {
    switch (level) {
    case ZULLoggerLevelWarning:
    case ZULLoggerLevelNotice: return darwin::os_log_type_t::defaultType;
    case ZULLoggerLevelInfo: return darwin::os_log_type_t::info;
    case ZULLoggerLevelDebug: return darwin::os_log_type_t::debug;
    default: return darwin::os_log_type_t::error;  // 0 to 3, and anything out of range
    }
}

}  // namespace

void ZULLoggerInitialize() {
    dispatch::once(setupOnce, [] {
        currentLevel = ZULLoggerLevelNotice;
        handleCache = std::make_shared<HandleCache>();
        loggingQueue = dispatch::createQueue("ZULLoggingClientQueue", dispatch::Attributes::serial,
                                             dispatch::globalQueue(dispatch::Priority::background));
    });
}

void ZULSetLoggerLevel(ZULLoggerLevel level) {
    ZULLoggerInitialize();
    if (level < ZULLoggerLevelError || level > ZULLoggerLevelDebug) {
        ZULLogError(kZULLoggerSubsystem, "[ZULLogger]", true, "I-COR000023", "Invalid logger level, %ld", level);
        return;
    }
    // An App-Store build may only lower its verbosity below notice.
    if (level >= ZULLoggerLevelNotice && ZULAppEnvironmentUtil::isFromAppStore()) return;
    currentLevel = level;
    settingsReset().arm();
}

ZULLoggerLevel ZULGetLoggerLevel() { return currentLevel; }

void ZULLoggerForceDebug() {
    if (ZULAppEnvironmentUtil::isFromAppStore()) return;
    forcedDebug = true;
    settingsReset().arm();
    ZULSetLoggerLevel(ZULLoggerLevelDebug);
}

bool ZULIsLoggableLevel(ZULLoggerLevel level) {
    ZULLoggerInitialize();
    return forcedDebug || level <= currentLevel;
}

void ZULLoggerRegisterVersion(std::string version) {
    versionString().lock()->assign(std::move(version));
    settingsReset().arm();
}

bool ZULLoggerWillWrite(ZULLoggerLevel level, bool forceLog) {
    ZULLoggerInitialize();
    return forceLog || level <= currentLevel || forcedDebug;
}

void ZULOSLogBasic(ZULLoggerLevel level, std::string_view subsystem, std::string_view category, bool forceLog,
                   std::string_view messageCode, std::string_view message,
                   const std::optional<ZULLogArguments>& arguments) {
    if (!ZULLoggerWillWrite(level, forceLog)) return;
    std::string text = arguments ? foundation::formatWithArguments(message, *arguments) : std::string(message);
    std::string line = foundation::format("%@ - %@[%@] %@", currentVersion(), category, messageCode, text);
    loggingQueue->async([cache = handleCache, subsystem = std::string(subsystem), category = std::string(category),
                         line = std::move(line), level] {
        darwin::os_log_t handle = cache->handleFor(subsystem, category);
        auto type = logTypeForLevel(level);
        if (darwin::os_log_type_enabled(handle, type)) darwin::os_log_with_type(handle, type, line);
    });
}

void ZULLoggerFlushForTesting() {
    ZULLoggerInitialize();
    loggingQueue->sync([] {});
}
