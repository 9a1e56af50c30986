#pragma once

#include "platform/appkit/Image.hpp"
#include "platform/ui/CancellationToken.hpp"
#include "platform/ui/Node.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ui {

// Where an asynchronous image load stands: empty (no address, or still loading), success
// with the image, or failure with a reason.
struct AsyncImagePhase {
    enum class Kind { empty, success, failure };
    Kind kind = Kind::empty;
    std::shared_ptr<appkit::Image> image;
    std::string error;
};

// An image loaded from the address while the node is shown; its content is built from the
// phase. The load starts when the node appears (or its address changes) and is dropped
// when it goes away; nothing is cached or retried.
Node AsyncImage(std::optional<std::string> url, double scale, std::function<Node(const AsyncImagePhase&)> content);

// Loads image data and decodes it; the completion runs once on the main queue with the
// image or an error text. Cancelling the returned token drops the load (the completion
// then never runs). The shared loader fetches with URL sessions; tests may install another.
class ImageLoader {
public:
    using Completion = std::function<void(std::shared_ptr<appkit::Image> image, std::string error)>;

    virtual ~ImageLoader() = default;
    virtual std::shared_ptr<CancellationToken> load(const std::string& url, Completion completion) = 0;

    static std::shared_ptr<ImageLoader> shared();
    static void setSharedForTesting(std::shared_ptr<ImageLoader> loader);
};

}  // namespace ui
