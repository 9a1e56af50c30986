#pragma once

#include "platform/appkit/Event.hpp"
#include "platform/objc/Object.hpp"

#include <memory>
#include <string>

namespace appkit {

// A link of the responder chain (views, then their window). Events and command selectors
// a responder does not handle go to its next responder; a command nobody performs and a
// key nobody takes sound the system beep. Main thread only; the chain holds its links
// weakly.
class Responder : public objc::Object {
public:
    std::shared_ptr<Responder> nextResponder() const { return nextResponder_.lock(); }
    void setNextResponder(const std::shared_ptr<Responder>& responder) { nextResponder_ = responder; }

    virtual bool acceptsFirstResponder() const { return false; }
    virtual bool becomeFirstResponder() { return true; }
    virtual bool resignFirstResponder() { return true; }

    virtual void keyDown(const EventPtr& event);
    virtual void keyUp(const EventPtr& event);
    virtual void mouseDown(const EventPtr& event);
    virtual void mouseUp(const EventPtr& event);
    virtual void scrollWheel(const EventPtr& event);
    // The pointer moved over the responder, or left its window.
    virtual void mouseMoved(const EventPtr& event);
    virtual void mouseExited(const EventPtr& event);
    // Key equivalents (Command shortcuts, arrows) are offered here before keyDown.
    virtual bool performKeyEquivalent(const EventPtr& event);

    // Performs the command selector ("moveDown:", "copy:") here or further up the chain;
    // beeps when nobody does.
    virtual void doCommandBySelector(const std::string& selector);
    // Performs the selector here or up the chain; false when nobody knows it.
    bool tryToPerform(const std::string& selector);

protected:
    // Performs the command when this responder knows it.
    virtual bool performCommand(const std::string& selector);

private:
    std::weak_ptr<Responder> nextResponder_;
};

using ResponderPtr = std::shared_ptr<Responder>;

}  // namespace appkit
