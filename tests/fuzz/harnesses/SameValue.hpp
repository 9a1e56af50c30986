#pragma once

#include "platform/objc/Object.hpp"

#include <string>

namespace fuzzing {

// Whether two object trees read from storage hold the same values: same structure, same
// texts and bytes, numbers equal by value with Booleans kept apart, and a number or date
// that is not a number equal to another such. Recursion is bounded by the readers' depth.
bool sameValue(const objc::Id& left, const objc::Id& right);

// A short description for a finding (the first characters of each description).
std::string describeDifference(const objc::Id& expected, const objc::Id& found);

}  // namespace fuzzing
