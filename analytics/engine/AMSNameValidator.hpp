#pragma once

#include <cstddef>
#include <string_view>

// The rule every event and user-property name must meet before it is stored: not empty,
// at most 40 characters, only ASCII letters, digits and underscores, starting with a
// letter. Stateless.
class AMSNameValidator {
public:
    static constexpr std::size_t kMaximumNameLength = 40;
    static bool isValidName(std::string_view name);
};
