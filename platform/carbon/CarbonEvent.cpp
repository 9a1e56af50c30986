#include "platform/carbon/CarbonEvent.hpp"

#include <cstring>

namespace carbon {

CarbonEvent::CarbonEvent(OSType eventClass, UInt32 kind) : eventClass_(eventClass), kind_(kind) {}

std::shared_ptr<CarbonEvent> CarbonEvent::makeHotKeyEvent(UInt32 kind, EventHotKeyID identifier) {
    auto event = std::make_shared<CarbonEvent>(kEventClassKeyboard, kind);
    event->setParameter(kEventParamDirectObject, typeEventHotKeyID, &identifier, sizeof identifier);
    return event;
}

std::shared_ptr<CarbonEvent> CarbonEvent::makeRawKeyEvent(UInt32 kind, UInt32 keyCode, UInt32 modifiers) {
    auto event = std::make_shared<CarbonEvent>(kEventClassKeyboard, kind);
    event->setParameter(kEventParamKeyCode, typeUInt32, &keyCode, sizeof keyCode);
    event->setParameter(kEventParamKeyModifiers, typeUInt32, &modifiers, sizeof modifiers);
    return event;
}

void CarbonEvent::setParameter(OSType name, OSType type, const void* data, std::size_t size) {
    Parameter parameter{type, std::vector<std::byte>(size)};
    if (size) std::memcpy(parameter.bytes.data(), data, size);
    parameters_[name] = std::move(parameter);
}

const CarbonEvent::Parameter* CarbonEvent::parameter(OSType name) const {
    auto found = parameters_.find(name);
    return found == parameters_.end() ? nullptr : &found->second;
}

UInt32 GetEventKind(const EventRef& event) { return event ? event->kind() : 0; }

OSType GetEventClass(const EventRef& event) { return event ? event->eventClass() : 0; }

OSStatus GetEventParameter(const EventRef& event, OSType name, OSType desiredType, OSType* actualType,
                           std::size_t bufferSize, std::size_t* actualSize, void* data) {
    if (!event) return paramErr;
    const auto* parameter = event->parameter(name);
    if (!parameter) return eventParameterNotFoundErr;
    if (parameter->type != desiredType) return errAECoercionFail;
    if (actualType) *actualType = parameter->type;
    if (actualSize) *actualSize = parameter->bytes.size();
    if (data) {
        if (bufferSize < parameter->bytes.size()) return paramErr;
        std::memcpy(data, parameter->bytes.data(), parameter->bytes.size());
    }
    return noErr;
}

}  // namespace carbon
