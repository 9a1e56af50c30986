#include "platform/ui/ImageLoadRecord.hpp"

namespace ui {

void ImageLoadRecord::update(const AsyncImageData& data, const std::function<void()>& invalidate) {
    if (state_->started && state_->url == data.url) return;
    state_->started = true;
    state_->url = data.url;
    state_->phase = AsyncImagePhase{};
    release();
    if (data.url) start(invalidate);
}

void ImageLoadRecord::start(const std::function<void()>& invalidate) {
    std::weak_ptr<State> weakState = state_;
    std::string url = *state_->url;
    state_->load = ImageLoader::shared()->load(url, [weakState, url, invalidate](std::shared_ptr<appkit::Image> image,
                                                                                std::string error) {
        auto state = weakState.lock();
        if (!state || state->url != url) return;
        state->phase = image ? AsyncImagePhase{AsyncImagePhase::Kind::success, std::move(image), {}}
                             : AsyncImagePhase{AsyncImagePhase::Kind::failure, nullptr, std::move(error)};
        state->load.reset();
        invalidate();
    });
}

void ImageLoadRecord::release() {
    if (auto load = std::exchange(state_->load, nullptr)) load->cancel();
}

}  // namespace ui
