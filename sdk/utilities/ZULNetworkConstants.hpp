#pragma once

#include <cstdint>

// Errors of the network layer: domain, codes and the user-information key.
inline constexpr const char* kZULNetworkErrorDomain = "com.zul.network.ErrorDomain";
inline constexpr const char* kZULNetworkErrorContext = "Context";

enum ZULNetworkErrorCode : std::int64_t {
    // The URL's absolute string is empty.
    ZULNetworkErrorCodeInvalidURL = 1,
    // The URL session or its task was not made.
    ZULNetworkErrorCodeInvalidSession = 2,
    // Compressing the payload failed.
    ZULNetworkErrorCodeCompressionFailed = 3,
    // The request was not made, or the fetcher gave no session identifier.
    ZULNetworkErrorCodeRequestNotStarted = 4,
    // The task completed with neither a response nor an error.
    ZULNetworkErrorCodeEmptyResponse = 5,
};

// The prefix of every fetcher's session identifier ("<prefix>-<UUID>").
inline constexpr const char* kZULNetworkBackgroundSessionConfigIDPrefix = "com.zul.network.background-upload";
inline constexpr const char* kZULNetworkApplicationSupportSubdirectory = "ZUL/Network";
inline constexpr const char* kZULNetworkTempDirectoryName = "ZULNetworkTemporaryDirectory";
inline constexpr const char* kZULNetworkTempFolderFormat = "ZULUpload_temp_%@";
// Temporary files older than this, in seconds, are removed.
inline constexpr double kZULNetworkTempFolderExpireTime = 3600;
// The timeout of a request, in seconds, when none is set.
inline constexpr double kZULNetworkTimeOutInterval = 60;

inline constexpr const char* kZULNetworkLoggerService = "[ZULNetwork]";
inline constexpr const char* kZULNetworkMessageCodeFormat = "I-NET%06ld";

// The numbered lines of the network layer.
enum ZULNetworkMessageCode : std::int64_t {
    kZULNetworkMessageCodeNetwork000 = 900000,  // "Uploading data. Host"
    kZULNetworkMessageCodeNetwork001 = 900001,  // "Downloading data. Host"
    kZULNetworkMessageCodeNetwork002 = 900002,  // request not made; logger delegate refused
    kZULNetworkMessageCodeNetwork003 = 900003,  // background session not found after relaunch
    kZULNetworkMessageCodeURLSession000 = 901000,  // request body not written to file
    kZULNetworkMessageCodeURLSession001 = 901001,  // download without a path
    kZULNetworkMessageCodeURLSession002 = 901002,  // download unreadable
    kZULNetworkMessageCodeURLSession004 = 901004,  // empty server trust
    kZULNetworkMessageCodeURLSession005 = 901005,  // no credential for the trust
    kZULNetworkMessageCodeURLSession006 = 901006,  // SSL challenge received
    kZULNetworkMessageCodeURLSession007 = 901007,  // challenge cancelled
    kZULNetworkMessageCodeURLSession008 = 901008,  // trust evaluation failed
    kZULNetworkMessageCodeURLSession009 = 901009,  // nil system completion handler
    kZULNetworkMessageCodeURLSession010 = 901010,  // system handler without identifier
    kZULNetworkMessageCodeURLSession011 = 901011,  // several system handlers for one identifier
    kZULNetworkMessageCodeURLSession012 = 901012,  // temporary folder not listed
    kZULNetworkMessageCodeURLSession013 = 901013,  // temporary file not removed
    kZULNetworkMessageCodeURLSession014 = 901014,  // temporary folder not accessible
    kZULNetworkMessageCodeURLSession015 = 901015,  // temporary folder not created
    kZULNetworkMessageCodeURLSession016 = 901016,  // backup exclusion failed
    kZULNetworkMessageCodeURLSession017 = 901017,  // the load failed
    kZULNetworkMessageCodeURLSession019 = 901019,  // session discarded
};

// Log levels of network lines (those of the SDK logger).
enum ZULNetworkLogLevel : std::int64_t {
    kZULNetworkLogLevelError = 3,
    kZULNetworkLogLevelWarning = 4,
    kZULNetworkLogLevelInfo = 6,
    kZULNetworkLogLevelDebug = 7,
};
