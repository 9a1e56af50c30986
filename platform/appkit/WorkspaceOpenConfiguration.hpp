#pragma once

#include <memory>
#include <string>
#include <vector>

namespace appkit {

// How the workspace opens an application: the launch arguments, and whether a new
// instance is started even when one is running. Filled on the main thread before the
// open call and only read afterwards.
class WorkspaceOpenConfiguration {
public:
    // The default configuration: no arguments, no new instance.
    static std::shared_ptr<WorkspaceOpenConfiguration> configuration() {
        return std::make_shared<WorkspaceOpenConfiguration>();
    }

    const std::vector<std::string>& arguments() const { return arguments_; }
    void setArguments(std::vector<std::string> arguments) { arguments_ = std::move(arguments); }

    bool createsNewApplicationInstance() const { return createsNewApplicationInstance_; }
    void setCreatesNewApplicationInstance(bool createsNewInstance) {
        createsNewApplicationInstance_ = createsNewInstance;
    }

private:
    std::vector<std::string> arguments_;
    bool createsNewApplicationInstance_ = false;
};

}  // namespace appkit
