#include "sdk/utilities/ZULNetworkInfo.hpp"

std::int64_t ZULNetworkInfo::getNetworkType() { return -1; }

std::string ZULNetworkInfo::getNetworkRadioType() { return ""; }
