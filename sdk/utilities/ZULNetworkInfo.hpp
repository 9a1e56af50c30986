#pragma once

#include <cstdint>
#include <string>

// The kind of network connection, which a desktop build cannot tell. Class methods only;
// stateless, callable from any thread.
class ZULNetworkInfo {
public:
    ZULNetworkInfo() = delete;

    // Always -1 (unknown).
    static std::int64_t getNetworkType();
    // Always "" (empty).
    static std::string getNetworkRadioType();
};
