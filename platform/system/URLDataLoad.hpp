#pragma once

#include "platform/foundation/CompletionHandler.hpp"
#include "platform/foundation/Data.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/system/HTTPURLResponse.hpp"
#include "platform/system/URLRequest.hpp"
#include "platform/system/URLSessionTask.hpp"

#include <memory>

namespace foundation {

// The whole body, the last response and the error (nil on success, whatever the HTTP status).
using URLDataLoadCompletion = CompletionHandler<std::shared_ptr<Data>, std::shared_ptr<URLResponse>, std::shared_ptr<Error>>;

// Loads the request in a session of its own (default configuration) and hands the result to
// the completion once, on the main queue; what a data task with a completion handler does
// on the platform. Cancelling the returned task completes the load with NSURLErrorCancelled.
std::shared_ptr<URLSessionTask> loadDataWithRequest(const URLRequest& request, URLDataLoadCompletion completion);

}  // namespace foundation
