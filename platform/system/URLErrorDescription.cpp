#include "platform/system/URLErrorDescription.hpp"

#include "platform/system/URLTransfer.hpp"

namespace foundation {

std::string localizedDescriptionForURLError(std::int64_t code, const std::shared_ptr<URL>& failingURL) {
    switch (code) {
        case NSURLErrorCancelled: return "The request was cancelled.";
        case NSURLErrorBadURL: return "The address is not a valid URL.";
        case NSURLErrorTimedOut: return "The request timed out.";
        case NSURLErrorUnsupportedURL: return "The address is not a URL that can be loaded.";
        case NSURLErrorCannotFindHost: return "A server with the specified hostname could not be found.";
        case NSURLErrorCannotConnectToHost: return "Could not connect to the server.";
        case NSURLErrorNetworkConnectionLost: return "The network connection was lost.";
        case NSURLErrorHTTPTooManyRedirects: return "The server redirected the request too many times.";
        case NSURLErrorBadServerResponse: return "The server returned a response that could not be read.";
        case NSURLErrorSecureConnectionFailed:
            return "An SSL error has occurred and a secure connection to the server cannot be made.";
        case NSURLErrorServerCertificateUntrusted:
            if (!failingURL || !failingURL->host()) return "The certificate for this server is invalid.";
            return "The certificate for this server is invalid. You might be connecting to a server that is pretending "
                   "to be \u201C" + *failingURL->host() + "\u201D, which could put your confidential information at risk.";
        case NSURLErrorCannotCreateFile: return "The downloaded file could not be stored.";
        case NSURLErrorFileDoesNotExist: return "The file to send could not be read.";
        case NSURLErrorDataLengthExceedsMaximum: return "The response is larger than allowed.";
        default: return "An unknown network error occurred.";
    }
}

}  // namespace foundation
