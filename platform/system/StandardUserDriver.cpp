#include "platform/system/StandardUserDriver.hpp"

#include "platform/appkit/Alert.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/ThreadChecker.hpp"

namespace updates {

void StandardUserDriver::showUpdateFound(const UpdateFeed& feed, const SoftwareVersion& currentVersion,
                                         Acknowledgement acknowledgement) const {
    std::string information = applicationName_ + " " + feed.version.text() + " is available; you have " +
                              currentVersion.text() + ".";
    // Nothing is downloaded here: the release notes are where the user gets the new version.
    if (feed.releaseNotesURL) information += " Release notes: " + feed.releaseNotesURL->absoluteString();
    show(Kind::result, "A new version of " + applicationName_ + " is available", std::move(information),
         std::move(acknowledgement));
}

void StandardUserDriver::showUpdateNotFound(const SoftwareVersion& currentVersion, Acknowledgement acknowledgement) const {
    show(Kind::result, applicationName_ + " is up to date",
         "Version " + currentVersion.text() + " is the newest version available.", std::move(acknowledgement));
}

void StandardUserDriver::showUpdaterError(const foundation::Error& error, Acknowledgement acknowledgement) const {
    std::string information = error.localizedDescription();
    if (auto reason = foundation::stringValue(error.userInfo()->objectForKey(foundation::NSLocalizedFailureReasonErrorKey)))
        information += " " + *reason;
    show(Kind::failure, applicationName_ + " could not check for updates", std::move(information), std::move(acknowledgement));
}

void StandardUserDriver::show(Kind kind, std::string message, std::string information, Acknowledgement acknowledgement) {
    dispatch::checkMainThread();
    auto alert = std::make_shared<appkit::Alert>();
    alert->setAlertStyle(kind == Kind::failure ? appkit::Alert::Style::warning : appkit::Alert::Style::informational);
    alert->setMessageText(std::move(message));
    alert->setInformativeText(std::move(information));
    alert->addButtonWithTitle("OK");
    alert->showModeless([acknowledgement = std::move(acknowledgement)](appkit::ModalResponse) {
        if (acknowledgement) acknowledgement();
    });
}

}  // namespace updates
