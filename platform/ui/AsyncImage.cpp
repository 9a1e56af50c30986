#include "platform/ui/AsyncImage.hpp"

#include "platform/ui/URLSessionImageLoader.hpp"

namespace ui {

Node AsyncImage(std::optional<std::string> url, double scale, std::function<Node(const AsyncImagePhase&)> content) {
    return Node::make(NodeKind::asyncImage, AsyncImageData{std::move(url), scale, std::move(content)});
}

namespace {
std::shared_ptr<ImageLoader>& sharedLoader() {
    static std::shared_ptr<ImageLoader> loader;
    return loader;
}
}  // namespace

std::shared_ptr<ImageLoader> ImageLoader::shared() {
    auto& loader = sharedLoader();
    if (!loader) loader = std::make_shared<URLSessionImageLoader>();
    return loader;
}

void ImageLoader::setSharedForTesting(std::shared_ptr<ImageLoader> loader) { sharedLoader() = std::move(loader); }

}  // namespace ui
