#include "platform/appkit/AboutPanel.hpp"

#include "platform/appkit/ImageView.hpp"
#include "platform/appkit/TextField.hpp"
#include "platform/appkit/Application.hpp"
#include "platform/foundation/Bundle.hpp"
#include "platform/foundation/String.hpp"
#include "platform/foundation/ThreadChecker.hpp"

#include <cmath>
#include <vector>

namespace appkit {

namespace {

constexpr double margin = 20;
constexpr double iconSide = 64;
constexpr int creditLines = 3;

std::string infoString(const std::shared_ptr<foundation::Bundle>& bundle, const char* key) {
    auto value = bundle ? foundation::stringValue(bundle->objectForInfoDictionaryKey(key)) : std::nullopt;
    return value.value_or("");
}

std::string versionLine(const std::shared_ptr<foundation::Bundle>& bundle) {
    std::string shortVersion = infoString(bundle, "CFBundleShortVersionString");
    std::string build = infoString(bundle, "CFBundleVersion");
    if (shortVersion.empty()) std::swap(shortVersion, build);
    if (shortVersion.empty()) return "";
    if (build.empty() || build == shortVersion) return "Version " + shortVersion;
    return "Version " + shortVersion + " (" + build + ")";
}

// A line of text at a size, with the room pango gives it.
double lineHeight(const Font& font) { return std::ceil(font.pointSize * 1.3); }

}  // namespace

std::shared_ptr<Window> AboutPanel::make(const AboutPanelOptions& options) {
    dispatch::checkMainThread();
    auto bundle = foundation::Bundle::mainBundle();
    std::string name = infoString(bundle, "CFBundleName");
    if (name.empty()) name = infoString(bundle, "CFBundleExecutable");

    // Top to bottom: the icon, the name, the version, the credits.
    struct Row {
        std::shared_ptr<View> view;
        double height;
        double spaceAbove;
    };
    std::vector<Row> rows;
    auto iconView = std::make_shared<ImageView>();
    iconView->setImage(Application::shared()->applicationIconImage());
    rows.push_back({iconView, iconSide, margin});
    Font nameFont = Font::systemFontOfSize(14, Font::Weight::bold);
    rows.push_back({TextField::labelWithString(name, nameFont, TextAlignment::center), lineHeight(nameFont), 10});
    Font versionFont = Font::systemFontOfSize(10);
    if (auto version = versionLine(bundle); !version.empty()) rows.push_back({TextField::labelWithString(version, versionFont, TextAlignment::center), lineHeight(versionFont), 4});
    if (options.credits) {
        Font creditsFont = options.credits->font.value_or(Font::systemFontOfSize(13));
        rows.push_back({TextField::labelWithString(options.credits->string, creditsFont, TextAlignment::center, creditLines), creditLines * lineHeight(creditsFont), 12});
    }
    double height = margin;
    for (const auto& row : rows) height += row.spaceAbove + row.height;

    auto panel = Window::make(Rect(0, 0, contentWidth, height), WindowStyleMask::titled | WindowStyleMask::closable);
    double top = 0;
    for (const auto& row : rows) {
        top += row.spaceAbove;
        double width = row.view == iconView ? iconSide : contentWidth - 2 * margin;
        row.view->setFrame(Rect((contentWidth - width) / 2, height - top - row.height, width, row.height));
        panel->contentView()->addSubview(row.view);
        top += row.height;
    }
    panel->center();
    return panel;
}

}  // namespace appkit
