#pragma once

#include "platform/ui/AsyncImage.hpp"

namespace ui {

// Image loads over a URL session (libcurl): a GET of the address, a 2xx answer of at most
// 4 MiB whose body decodes as PNG or JPEG is the image; anything else fails. One session per load, its
// delegate calls on the main queue. Main thread only.
class URLSessionImageLoader final : public ImageLoader {
public:
    std::shared_ptr<CancellationToken> load(const std::string& url, Completion completion) override;
};

}  // namespace ui
