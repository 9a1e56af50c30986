#include "platform/system/UnifiedLog.hpp"

#include "platform/foundation/Dispatch.hpp"

#include <atomic>
#include <cassert>
#include <syslog.h>

namespace darwin {

namespace {

// Guards the pointer to the attached capture; the capture guards its own contents.
std::mutex captureMutex;
LogCapture* attachedCapture = nullptr;

int syslogPriority(os_log_type_t type) {
    switch (type) {
    case os_log_type_t::fault: return LOG_CRIT;
    case os_log_type_t::error: return LOG_ERR;
    case os_log_type_t::info: return LOG_INFO;
    case os_log_type_t::debug: return LOG_DEBUG;
    case os_log_type_t::defaultType: break;
    }
    return LOG_NOTICE;
}

}  // namespace

os_log_t os_log_create(const char* subsystem, const char* category) {
    auto handle = std::make_shared<const LogHandle>(subsystem ? subsystem : "", category ? category : "");
    std::lock_guard lock(captureMutex);
    if (attachedCapture) {
        std::lock_guard captureLock(attachedCapture->mutex_);
        ++attachedCapture->handlesCreated_;
    }
    return handle;
}

bool os_log_type_enabled(const os_log_t& log, os_log_type_t type) {
    if (!log) return false;
    if (type != os_log_type_t::debug) return true;
    std::lock_guard lock(captureMutex);
    if (!attachedCapture) return false;
    std::lock_guard captureLock(attachedCapture->mutex_);
    return attachedCapture->debugEnabled_;
}

void os_log_with_type(const os_log_t& log, os_log_type_t type, const std::string& message) {
    if (!os_log_type_enabled(log, type)) return;
    syslog(syslogPriority(type), "%s", message.c_str());
    std::lock_guard lock(captureMutex);
    if (!attachedCapture) return;
    std::lock_guard captureLock(attachedCapture->mutex_);
    attachedCapture->entries_.push_back(
        {log->subsystem(), log->category(), type, message, dispatch::currentQueueLabel()});
}

LogCapture::LogCapture() {
    std::lock_guard lock(captureMutex);
    assert(!attachedCapture && "only one log capture at a time");
    attachedCapture = this;
}

LogCapture::~LogCapture() {
    std::lock_guard lock(captureMutex);
    if (attachedCapture == this) attachedCapture = nullptr;
}

std::vector<LogEntry> LogCapture::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

std::vector<LogEntry> LogCapture::entriesContaining(const std::string& text) const {
    std::vector<LogEntry> matching;
    for (auto& entry : entries())
        if (entry.message.find(text) != std::string::npos) matching.push_back(entry);
    return matching;
}

std::size_t LogCapture::handlesCreated() const {
    std::lock_guard lock(mutex_);
    return handlesCreated_;
}

void LogCapture::enableDebugLines() {
    std::lock_guard lock(mutex_);
    debugEnabled_ = true;
}

}  // namespace darwin
