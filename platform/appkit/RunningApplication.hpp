#pragma once

#include "platform/appkit/ActivationServer.hpp"
#include "platform/objc/Object.hpp"

#include <cstdint>
#include <memory>
#include <string>

namespace appkit {

// Options of an activation, with the platform's bit values.
enum class ApplicationActivationOptions : std::uint32_t {
    none = 0,
    activateAllWindows = 1 << 0,
    activateIgnoringOtherApps = 1 << 1,
};

// A handle on an application of the session: this process's own (currentApplication) or
// another one the window server knows by bundle identifier. Exactly one application is
// frontmost; activating one brings it to the front, and when this application comes to or
// leaves the front the shared Application hears of it (see Application::isActive). Main
// thread only; handles live as long as someone holds them, the session keeps each
// application's one handle until resetForTesting(). Bringing another application to the front
// tells the window server, which focuses that application's window.
class RunningApplication final : public objc::Object {
public:
    // This process, under the main bundle's identifier; frontmost at start.
    static std::shared_ptr<RunningApplication> currentApplication();
    // The handle of the application with the bundle identifier, started on first mention.
    static std::shared_ptr<RunningApplication> withBundleIdentifier(const std::string& bundleIdentifier);
    // The application in front.
    static std::shared_ptr<RunningApplication> frontmostApplication();
    static void resetForTesting();
    // The window server told of activations; null without one.
    static void setServer(ActivationServer* server);
    static ActivationServer* server();

    const std::string& bundleIdentifier() const { return bundleIdentifier_; }
    bool isCurrent() const { return isCurrent_; }
    bool isActive() const;
    // Brings the application to the front.
    void activate(ApplicationActivationOptions options = ApplicationActivationOptions::none);

    std::string description() const override;

    RunningApplication(std::string bundleIdentifier, bool isCurrent)
        : bundleIdentifier_(std::move(bundleIdentifier)), isCurrent_(isCurrent) {}

private:
    std::string bundleIdentifier_;
    bool isCurrent_;
};

}  // namespace appkit
