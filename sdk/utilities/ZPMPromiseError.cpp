#include "sdk/utilities/ZPMPromiseError.hpp"

std::shared_ptr<foundation::Error> ZPMPromiseMakeError(ZPMPromiseErrorCode code) {
    return foundation::Error::make(ZPMPromiseErrorDomain, static_cast<std::int64_t>(code));
}
