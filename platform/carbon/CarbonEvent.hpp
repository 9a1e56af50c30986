#pragma once

#include "platform/carbon/CarbonTypes.hpp"

#include <cstddef>
#include <map>
#include <memory>
#include <vector>

namespace carbon {

// One Carbon event: a class, a kind and typed parameters. Immutable once built; events are
// made by the window server side (the display) and read by handlers on the main thread.
class CarbonEvent {
public:
    CarbonEvent(OSType eventClass, UInt32 kind);

    static std::shared_ptr<CarbonEvent> makeHotKeyEvent(UInt32 kind, EventHotKeyID identifier);
    static std::shared_ptr<CarbonEvent> makeRawKeyEvent(UInt32 kind, UInt32 keyCode, UInt32 modifiers);

    OSType eventClass() const { return eventClass_; }
    UInt32 kind() const { return kind_; }

    void setParameter(OSType name, OSType type, const void* data, std::size_t size);

    struct Parameter {
        OSType type = 0;
        std::vector<std::byte> bytes;
    };
    const Parameter* parameter(OSType name) const;

private:
    OSType eventClass_;
    UInt32 kind_;
    std::map<OSType, Parameter> parameters_;
};

using EventRef = std::shared_ptr<const CarbonEvent>;

UInt32 GetEventKind(const EventRef& event);
OSType GetEventClass(const EventRef& event);
// Copies the parameter into data when it exists with the desired type and fits the buffer.
OSStatus GetEventParameter(const EventRef& event, OSType name, OSType desiredType, OSType* actualType,
                           std::size_t bufferSize, std::size_t* actualSize, void* data);

}  // namespace carbon
