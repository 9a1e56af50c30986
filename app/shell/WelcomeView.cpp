#include "app/shell/WelcomeView.hpp"

#include "app/shell/Localized.hpp"
#include "platform/appkit/Application.hpp"

namespace kestrelvault {

ui::Node WelcomeView::body() {
    auto setupTapped = onSetupTapped;
    return ui::VStack(
               {ui::Image(appkit::Application::shared()->applicationIconImage()).resizable().frame(80.0, 80.0),
                ui::VStack({ui::Text(localized("welcome_title")).font(ui::Font::title2().withWeight(ui::Font::Weight::semibold)),
                            ui::Text(localized("welcome_description"))
                                .font(ui::Font::body())
                                .foregroundColor(ui::Color::secondaryLabelColor())
                                .multilineTextAlignment(ui::TextAlignment::center)},
                           ui::HorizontalAlignment::center, 8.0),
                ui::SettingsLink(ui::Text(localized("welcome_setup_button")).frame(ui::FlexibleFrame{.minWidth = 180.0}))
                    .buttonStyle(ui::ButtonStyle::borderedProminent)
                    .controlSize(ui::ControlSize::large)
                    .simultaneousTapGesture([setupTapped] {
                        if (setupTapped) setupTapped();
                    })},
               ui::HorizontalAlignment::center, 20.0)
        .padding(40)
        .frame(360.0, std::nullopt);
}

}  // namespace kestrelvault
