#include "platform/ui/AsyncImage.hpp"

#include "platform/foundation/ProcessWide.hpp"
#include "platform/ui/URLSessionImageLoader.hpp"

namespace ui {

Node AsyncImage(std::optional<std::string> url, double scale, std::function<Node(const AsyncImagePhase&)> content) {
    return Node::make(NodeKind::asyncImage, AsyncImageData{std::move(url), scale, std::move(content)});
}

namespace {
// A loader a test installs stands in until the test ends.
foundation::ProcessWide<ImageLoader>& sharedLoader() {
    static foundation::ProcessWide<ImageLoader> loader([] { return std::make_shared<URLSessionImageLoader>(); });
    return loader;
}
}  // namespace

std::shared_ptr<ImageLoader> ImageLoader::shared() { return sharedLoader().get(); }

void ImageLoader::setSharedForTesting(std::shared_ptr<ImageLoader> loader) { sharedLoader().set(std::move(loader)); }

}  // namespace ui
