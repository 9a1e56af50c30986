#pragma once

#include "platform/foundation/Guarded.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace darwin {

// The unified log's message types, with the platform's values.
enum class os_log_type_t : std::uint8_t { defaultType = 0x00, info = 0x01, debug = 0x02, error = 0x10, fault = 0x11 };

// A log handle for one (subsystem, category) pair. Immutable; safe to share between threads.
class LogHandle {
public:
    LogHandle(std::string subsystem, std::string category)
        : subsystem_(std::move(subsystem)), category_(std::move(category)) {}
    const std::string& subsystem() const { return subsystem_; }
    const std::string& category() const { return category_; }

private:
    std::string subsystem_;
    std::string category_;
};

using os_log_t = std::shared_ptr<const LogHandle>;

// One line as the log received it.
struct LogEntry {
    std::string subsystem;
    std::string category;
    os_log_type_t type;
    std::string message;
    // The label of the dispatch queue the line was written from ("" outside any queue).
    std::string queue;
};

// Makes a new handle on every call, as the platform does; callers keep their own.
os_log_t os_log_create(const char* subsystem, const char* category);
// Whether lines of this type are kept: every type but debug, unless debug lines were
// switched on (the platform's default configuration).
bool os_log_type_enabled(const os_log_t& log, os_log_type_t type);
// Writes one line: to syslog, and to the capture while one is attached. Lines of a type
// that is not enabled are dropped.
void os_log_with_type(const os_log_t& log, os_log_type_t type, const std::string& message);

// Test support: attaches a capture sink for its lifetime and records every line written and
// every handle created meanwhile. Only one capture may be attached at a time. Safe to read
// from any thread while lines arrive.
class LogCapture {
public:
    LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    ~LogCapture();

    std::vector<LogEntry> entries() const;
    // Lines whose message contains the text.
    std::vector<LogEntry> entriesContaining(const std::string& text) const;
    std::size_t handlesCreated() const;
    // Keeps debug lines too from now on (the platform's "debug messages enabled").
    void enableDebugLines();

private:
    friend void os_log_with_type(const os_log_t&, os_log_type_t, const std::string&);
    friend os_log_t os_log_create(const char*, const char*);
    friend bool os_log_type_enabled(const os_log_t&, os_log_type_t);

    struct Contents {
        std::vector<LogEntry> entries;
        std::size_t handlesCreated = 0;
        bool debugEnabled = false;
    };
    foundation::Guarded<Contents> contents_;
};

}  // namespace darwin
