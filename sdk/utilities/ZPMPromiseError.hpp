#pragma once

#include "platform/foundation/Error.hpp"

#include <cstdint>
#include <memory>

// Errors the promise operators make themselves; they carry no user information.
inline constexpr const char* ZPMPromiseErrorDomain = "com.zadizu.ZPMPromises.Error";

enum class ZPMPromiseErrorCode : std::int64_t {
    timedOut = 1,
    validationFailure = 2,
};

std::shared_ptr<foundation::Error> ZPMPromiseMakeError(ZPMPromiseErrorCode code);
