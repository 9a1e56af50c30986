#pragma once

#include "platform/appkit/Application.hpp"
#include "platform/ui/Scene.hpp"

#include <memory>
#include <vector>

namespace ui {

// The application value: its scenes, asked once when it launches (see
// LaunchedApplication). Main thread only.
class App {
public:
    App() = default;
    App(const App&) = delete;
    App& operator=(const App&) = delete;
    virtual ~App() = default;

    virtual std::vector<Scene> body() = 0;
};

// Makes the application's delegate, a runtime object of the Delegate type, and makes it the
// shared application's delegate; the adaptor keeps it (the application holds its delegate
// only weakly), so it lives as long as the App value that has the adaptor as a member.
template <class Delegate>
class ApplicationDelegateAdaptor {
public:
    ApplicationDelegateAdaptor() : delegate_(std::make_shared<Delegate>()) {
        appkit::Application::shared()->setDelegate(delegate_);
    }

    const std::shared_ptr<Delegate>& wrappedValue() const { return delegate_; }

private:
    std::shared_ptr<Delegate> delegate_;
};

}  // namespace ui
