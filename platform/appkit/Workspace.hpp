#pragma once

#include "platform/appkit/Image.hpp"
#include "platform/appkit/RunningApplication.hpp"
#include "platform/appkit/WorkspaceOpenConfiguration.hpp"
#include "platform/foundation/CompletionHandler.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/URL.hpp"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace appkit {

// The installed applications, as bundles: <root>/<Name>.app/Contents/Info.plist with a
// CFBundleIdentifier, under ~/Applications and /Applications. Nothing is cached: every
// question looks at the file system again. Stateless apart from the roots tests set;
// meant for the main thread.
class Workspace {
public:
    static std::shared_ptr<Workspace> sharedWorkspace();

    // The file URL of the first application bundle (roots in order, bundles in name order)
    // whose Info.plist names the bundle identifier; null when none does.
    std::shared_ptr<foundation::URL> URLForApplicationWithBundleIdentifier(const std::string& bundleIdentifier) const;
    // The icon of the file: for an application bundle the image its CFBundleIconFile names
    // in Contents/Resources (".png" assumed without an extension), else a generic icon.
    // Never null.
    std::shared_ptr<Image> iconForFile(const std::filesystem::path& path) const;

    // The application in front of the session (see RunningApplication), or null.
    std::shared_ptr<RunningApplication> frontmostApplication() const;

    // Called once, on a worker queue, when the launch finished: nil, or why it failed.
    using OpenCompletion = foundation::CompletionHandler<std::shared_ptr<foundation::Error>>;
    // Starts the application's executable with the configuration's arguments, as a new
    // process (see ApplicationLauncher).
    void openApplicationAtURL(const std::shared_ptr<foundation::URL>& applicationURL,
                              const std::shared_ptr<WorkspaceOpenConfiguration>& configuration,
                              OpenCompletion completion) const;
    // Starts the application with the configuration's arguments followed by the URLs.
    void openURLs(const std::vector<std::shared_ptr<foundation::URL>>& urls,
                  const std::shared_ptr<foundation::URL>& applicationURL,
                  const std::shared_ptr<WorkspaceOpenConfiguration>& configuration, OpenCompletion completion) const;

    // The application that opens URLs of the URL's scheme: the first bundle (in the order
    // above) that names the scheme among its CFBundleURLTypes; null when none does.
    std::shared_ptr<foundation::URL> URLForApplicationToOpenURL(const foundation::URL& url) const;
    // Starts that application with the URL as its argument; false when there is none.
    bool openURL(const std::shared_ptr<foundation::URL>& url) const;

    // The directories searched for applications: ~/Applications (home at the time of the
    // call) and /Applications, unless a test set others.
    static std::vector<std::filesystem::path> applicationRoots();
    static void setApplicationRootsForTesting(std::optional<std::vector<std::filesystem::path>> roots);

    // The stand-in for the platform's generic application icon: 32 × 32 mid grey.
    static std::shared_ptr<Image> genericApplicationIcon();
};

}  // namespace appkit
