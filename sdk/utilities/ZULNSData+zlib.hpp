#pragma once

#include "platform/foundation/Data.hpp"
#include "platform/foundation/Error.hpp"

#include <cstdint>
#include <memory>

// Gzip coding of data over zlib (the ZULGzip category). Stateless; callable from any thread.
// Errors are only made when the caller passes an out-parameter; nil is returned either way.

inline constexpr const char* ZULNSDataZlibErrorDomain = "com.zadizu.ZULNSDataZlibErrorDomain";
inline constexpr const char* ZULNSDataZlibErrorKey = "ZULNSDataZlibErrorKey";
inline constexpr const char* ZULNSDataZlibRemainingBytesKey = "ZULNSDataZlibRemainingBytesKey";

enum ZULNSDataZlibError : std::int64_t {
    // More than 2^32 - 1 bytes to compress.
    ZULNSDataZlibErrorGreaterThan32BitsToCompress = 1024,
    // A zlib call failed; its status is under ZULNSDataZlibErrorKey.
    ZULNSDataZlibErrorInternal = 1025,
    // Input was left after the compressed stream ended; the count is under
    // ZULNSDataZlibRemainingBytesKey.
    ZULNSDataZlibErrorDataRemaining = 1026,
};

// The data compressed in the gzip format; nil for empty input (without an error).
std::shared_ptr<foundation::Data> zul_dataByGzippingData(const std::shared_ptr<foundation::Data>& data,
                                                         std::shared_ptr<foundation::Error>* error);
// Gzip or zlib-wrapped data inflated; nil for empty input (without an error).
std::shared_ptr<foundation::Data> zul_dataByInflatingGzippedData(const std::shared_ptr<foundation::Data>& data,
                                                                 std::shared_ptr<foundation::Error>* error);
