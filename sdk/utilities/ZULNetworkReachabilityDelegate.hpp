#pragma once

#include "platform/objc/Runtime.hpp"

// A network reachability delegate answers this selector; it is told on the main thread
// each time the network's connected flag was set from a reachability report.
inline constexpr const char* kZULNetworkReachabilityDidChangeSelector = "reachabilityDidChange";

using ZULNetworkReachabilityDidChangeImplementation = objc::InstanceImplementation<void>;
