#pragma once

#include "platform/objc/Object.hpp"

#include <string>

namespace foundation {

// How collections describe their elements: strings quoted only when they need it, nested
// collections indented by four spaces.
std::string describeCollectionElement(const objc::Id& item);
std::string indentCollectionText(const std::string& text);

}  // namespace foundation
