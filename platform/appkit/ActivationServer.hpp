#pragma once

namespace appkit {

class RunningApplication;

// The window server's side of activation: this process brought another application to the
// front, and the server gives that application's window the focus (the process's own
// activation shows in its key window). Installed on the session by the display (not owned;
// it removes itself before it goes). Main thread only.
class ActivationServer {
public:
    virtual ~ActivationServer() = default;

    virtual void otherApplicationDidActivate(const RunningApplication& application) = 0;
};

}  // namespace appkit
