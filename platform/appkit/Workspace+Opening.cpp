// The workspace's opening operations: applications start as processes of their own.
#include "platform/appkit/ApplicationLauncher.hpp"
#include "platform/appkit/Workspace.hpp"

namespace appkit {

void Workspace::openApplicationAtURL(const std::shared_ptr<foundation::URL>& applicationURL,
                                     const std::shared_ptr<WorkspaceOpenConfiguration>& configuration,
                                     OpenCompletion completion) const {
    auto arguments = configuration ? configuration->arguments() : std::vector<std::string>();
    ApplicationLauncher::launch(applicationURL->path(), std::move(arguments), std::move(completion));
}

void Workspace::openURLs(const std::vector<std::shared_ptr<foundation::URL>>& urls,
                         const std::shared_ptr<foundation::URL>& applicationURL,
                         const std::shared_ptr<WorkspaceOpenConfiguration>& configuration,
                         OpenCompletion completion) const {
    auto arguments = configuration ? configuration->arguments() : std::vector<std::string>();
    for (const auto& url : urls)
        if (url) arguments.push_back(url->absoluteString());
    ApplicationLauncher::launch(applicationURL->path(), std::move(arguments), std::move(completion));
}

bool Workspace::openURL(const std::shared_ptr<foundation::URL>& url) const {
    auto application = url ? URLForApplicationToOpenURL(*url) : nullptr;
    if (!application) return false;
    openURLs({url}, application, nullptr, nullptr);
    return true;
}

}  // namespace appkit
