#include "platform/appkit/Responder.hpp"

#include "platform/appkit/SystemBeep.hpp"

namespace appkit {

void Responder::keyDown(const EventPtr& event) {
    if (auto next = nextResponder())
        next->keyDown(event);
    else
        beep();
}

void Responder::keyUp(const EventPtr& event) {
    if (auto next = nextResponder()) next->keyUp(event);
}

void Responder::mouseDown(const EventPtr& event) {
    if (auto next = nextResponder()) next->mouseDown(event);
}

void Responder::mouseUp(const EventPtr& event) {
    if (auto next = nextResponder()) next->mouseUp(event);
}

void Responder::scrollWheel(const EventPtr& event) {
    if (auto next = nextResponder()) next->scrollWheel(event);
}

void Responder::mouseMoved(const EventPtr& event) {
    if (auto next = nextResponder()) next->mouseMoved(event);
}

void Responder::mouseExited(const EventPtr& event) {
    if (auto next = nextResponder()) next->mouseExited(event);
}

bool Responder::performKeyEquivalent(const EventPtr&) { return false; }

void Responder::doCommandBySelector(const std::string& selector) {
    if (!tryToPerform(selector)) beep();
}

bool Responder::tryToPerform(const std::string& selector) {
    for (std::shared_ptr<Responder> responder = std::static_pointer_cast<Responder>(shared_from_this()); responder;
         responder = responder->nextResponder())
        if (responder->performCommand(selector)) return true;
    return false;
}

bool Responder::performCommand(const std::string&) { return false; }

}  // namespace appkit
