#include "platform/ui/View.hpp"

namespace ui {

void View::adoptStateFrom(View& previous) {
    if (previous.states_.size() != states_.size()) return;
    for (std::size_t index = 0; index < states_.size(); ++index) states_[index]->adopt(*previous.states_[index]);
}

void View::setInvalidationHandler(const std::function<void()>& handler) {
    for (auto* state : states_) state->setInvalidationHandler(handler);
}

std::vector<foundation::ObservationToken> View::subscribe(const std::function<void()>& handler) const {
    std::vector<foundation::ObservationToken> tokens;
    for (const auto& observation : observations_) tokens.push_back(observation(handler));
    return tokens;
}

}  // namespace ui
