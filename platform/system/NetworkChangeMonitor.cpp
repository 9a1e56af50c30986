#include "platform/system/NetworkChangeMonitor.hpp"

#include "platform/foundation/Guarded.hpp"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <thread>
#include <vector>

namespace systemconfiguration {

namespace {

struct MonitorState {
    std::map<std::uint64_t, std::function<void()>> observers;
    std::uint64_t nextIdentifier = 1;
    bool watching = false;
    // Wakes the watcher so it can see that nobody observes any more.
    int wakeDescriptor = -1;
};

foundation::Guarded<MonitorState>& state() {
    static foundation::Guarded<MonitorState> monitorState;
    return monitorState;
}

void notifyObservers() {
    std::vector<std::function<void()>> observers;
    {
        auto monitor = state().lock();
        for (const auto& [identifier, observer] : monitor->observers) observers.push_back(observer);
    }
    for (const auto& observer : observers) observer();
}

int openRoutingSocket() {
    int descriptor = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (descriptor < 0) return -1;
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE;
    if (::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

// Reads changes until nobody observes; owns both descriptors.
void watch(int routingDescriptor, int wakeDescriptor) {
    std::vector<char> buffer(16384);
    for (;;) {
        pollfd descriptors[2] = {{routingDescriptor, POLLIN, 0}, {wakeDescriptor, POLLIN, 0}};
        if (::poll(descriptors, 2, -1) < 0) continue;
        if (descriptors[1].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] auto ignored = ::read(wakeDescriptor, &count, sizeof count);
            auto monitor = state().lock();
            if (monitor->observers.empty()) {
                monitor->watching = false;
                monitor->wakeDescriptor = -1;
                break;
            }
        }
        if (descriptors[0].revents & POLLIN) {
            bool changed = false;
            while (::recv(routingDescriptor, buffer.data(), buffer.size(), MSG_DONTWAIT) > 0) changed = true;
            if (changed) notifyObservers();
        }
    }
    ::close(routingDescriptor);
    ::close(wakeDescriptor);
}

}  // namespace

NetworkChangeMonitor::Observation::~Observation() {
    auto monitor = state().lock();
    monitor->observers.erase(identifier_);
    if (monitor->observers.empty() && monitor->wakeDescriptor >= 0) {
        std::uint64_t one = 1;
        [[maybe_unused]] auto ignored = ::write(monitor->wakeDescriptor, &one, sizeof one);
    }
}

std::unique_ptr<NetworkChangeMonitor::Observation> NetworkChangeMonitor::observe(std::function<void()> onChange) {
    auto monitor = state().lock();
    std::uint64_t identifier = monitor->nextIdentifier++;
    monitor->observers.emplace(identifier, std::move(onChange));
    if (!monitor->watching) {
        // Without a routing socket (a sandbox may refuse one) nothing is reported.
        int routingDescriptor = openRoutingSocket();
        int wakeDescriptor = routingDescriptor >= 0 ? ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK) : -1;
        if (wakeDescriptor >= 0) {
            monitor->watching = true;
            monitor->wakeDescriptor = wakeDescriptor;
            std::thread(watch, routingDescriptor, wakeDescriptor).detach();
        } else if (routingDescriptor >= 0) {
            ::close(routingDescriptor);
        }
    }
    return std::make_unique<Observation>(identifier);
}

void NetworkChangeMonitor::simulateChangeForTesting() { notifyObservers(); }

bool NetworkChangeMonitor::isWatchingForTesting() { return state().lock()->watching; }

}  // namespace systemconfiguration
