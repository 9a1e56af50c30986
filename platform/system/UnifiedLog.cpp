#include "platform/system/UnifiedLog.hpp"

#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Exception.hpp"

#include <atomic>
#include <syslog.h>

namespace darwin {

namespace {

// The attached capture, if any; held locked while a line goes into it, so the capture
// cannot go away meanwhile. The capture guards its own contents.
foundation::Guarded<LogCapture*> attachedCapture{nullptr};

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
    if (auto capture = attachedCapture.lock(); *capture) ++(*capture)->contents_.lock()->handlesCreated;
    return handle;
}

bool os_log_type_enabled(const os_log_t& log, os_log_type_t type) {
    if (!log) return false;
    if (type != os_log_type_t::debug) return true;
    auto capture = attachedCapture.lock();
    return *capture && (*capture)->contents_.lock()->debugEnabled;
}

void os_log_with_type(const os_log_t& log, os_log_type_t type, const std::string& message) {
    if (!os_log_type_enabled(log, type)) return;
    syslog(syslogPriority(type), "%s", message.c_str());
    auto capture = attachedCapture.lock();
    if (!*capture) return;
    (*capture)->contents_.lock()->entries.push_back(
        {log->subsystem(), log->category(), type, message, dispatch::currentQueueLabel()});
}

LogCapture::LogCapture() {
    bool alreadyAttached = false;
    {
        auto capture = attachedCapture.lock();
        alreadyAttached = *capture != nullptr;
        if (!alreadyAttached) *capture = this;
    }
    if (alreadyAttached) foundation::AssertionHandler::handleFailure("only one log capture at a time");
}

LogCapture::~LogCapture() {
    auto capture = attachedCapture.lock();
    if (*capture == this) *capture = nullptr;
}

std::vector<LogEntry> LogCapture::entries() const { return contents_.lock()->entries; }

std::vector<LogEntry> LogCapture::entriesContaining(const std::string& text) const {
    std::vector<LogEntry> matching;
    for (auto& entry : entries())
        if (entry.message.find(text) != std::string::npos) matching.push_back(entry);
    return matching;
}

std::size_t LogCapture::handlesCreated() const { return contents_.lock()->handlesCreated; }

void LogCapture::enableDebugLines() { contents_.lock()->debugEnabled = true; }

}  // namespace darwin
