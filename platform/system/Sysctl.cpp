#include "platform/system/Sysctl.hpp"

#include "platform/foundation/Guarded.hpp"
#include "platform/foundation/ProcessWide.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace darwin {

namespace {

foundation::Guarded<std::map<std::string, std::optional<std::string>>>& overrides() {
    static foundation::Guarded<std::map<std::string, std::optional<std::string>>> table;
    return table;
}

std::optional<std::string> firstLineOf(const char* path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    // Device-tree strings end in a zero byte, firmware files in a newline.
    auto end = text.find_first_of(std::string("\n\0", 2));
    if (end != std::string::npos) text.resize(end);
    if (text.empty()) return std::nullopt;
    return text;
}

std::optional<std::string> machineValue(const std::string& name) {
    {
        auto table = overrides().lock();
        auto found = table->find(name);
        if (found != table->end()) return found->second;
    }
    if (name == "hw.model") {
        if (auto product = firstLineOf("/sys/devices/virtual/dmi/id/product_name")) return product;
        return firstLineOf("/proc/device-tree/model");
    }
    return std::nullopt;
}

}  // namespace

int sysctlbyname(const char* name, void* oldValue, std::size_t* oldLength, const void* newValue, std::size_t) {
    if (!name || !oldLength) {
        errno = EINVAL;
        return -1;
    }
    if (newValue) {
        errno = EPERM;
        return -1;
    }
    auto value = machineValue(name);
    if (!value) {
        *oldLength = 0;
        errno = ENOENT;
        return -1;
    }
    std::size_t size = value->size() + 1;
    if (!oldValue) {
        *oldLength = size;
        return 0;
    }
    if (*oldLength < size) {
        std::memcpy(oldValue, value->c_str(), *oldLength);
        errno = ENOMEM;
        return -1;
    }
    std::memcpy(oldValue, value->c_str(), size);
    *oldLength = size;
    return 0;
}

void setSysctlValueForTesting(const std::string& name, std::optional<std::string> value) {
    static foundation::ProcessWideReset reset([] { overrides().lock()->clear(); });
    overrides().lock()->insert_or_assign(name, std::move(value));
    reset.arm();
}

}  // namespace darwin
