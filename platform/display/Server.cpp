#include "platform/display/Server.hpp"

#include "platform/appkit/Pasteboard.hpp"
#include "platform/appkit/RunningApplication.hpp"
#include "platform/carbon/EventManager.hpp"

namespace display {

Server::Server() {
    carbon::EventManager::shared().setHotKeyServer(this);
    appkit::Pasteboard::setServer(this);
    appkit::StatusBar::setServer(this);
    appkit::RunningApplication::setServer(this);
}

Server::~Server() {
    // A test may have reset the event manager meanwhile: only this server is taken out.
    if (auto& manager = carbon::EventManager::shared(); manager.hotKeyServer() == this) manager.setHotKeyServer(nullptr);
    if (appkit::Pasteboard::server() == this) appkit::Pasteboard::setServer(nullptr);
    if (appkit::StatusBar::server() == this) appkit::StatusBar::setServer(nullptr);
    if (appkit::RunningApplication::server() == this) appkit::RunningApplication::setServer(nullptr);
}

}  // namespace display
