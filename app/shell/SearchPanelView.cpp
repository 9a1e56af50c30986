#include "app/shell/SearchPanelView.hpp"

#include "app/shell/BookmarkRowView.hpp"
#include "app/shell/Localized.hpp"
#include "app/shell/PanelController.hpp"
#include "app/shell/SearchField.hpp"
#include "app/shell/VisualEffectView.hpp"
#include "platform/appkit/Event.hpp"
#include "platform/foundation/Clock.hpp"

#include <algorithm>
#include <array>

namespace kestrelvault {

using ui::Color;
using ui::EdgeInsets;
using ui::Font;
using ui::Node;

namespace {

constexpr double listHeightLimit = 400;
constexpr double minimumPanelHeight = 60;
constexpr double maximumPanelHeight = 480;
constexpr double toastAnimationDuration = 0.2;

Node emptyMessage(const std::string& key, double horizontalPadding) {
    return ui::Text(localized(key))
        .font(Font::systemFontOfSize(14))
        .foregroundColor(Color::secondaryLabelColor())
        .padding(EdgeInsets{20, horizontalPadding, 20, horizontalPadding});
}

Node divider() { return ui::Divider().opacity(0.5); }

// Key caps of modifier combinations are spaced out so the symbols do not run together.
bool holdsModifierSymbol(const std::string& keyCap) {
    static const std::array<const char*, 4> symbols{"⇧", "⌘", "⌥", "⌃"};
    return std::any_of(symbols.begin(), symbols.end(),
                       [&](const char* symbol) { return keyCap.find(symbol) != std::string::npos; });
}

}  // namespace

SearchPanelView::SearchPanelView(std::shared_ptr<SearchViewModel> viewModel,
                                 std::weak_ptr<PanelController> panelController)
    : viewModel(std::move(viewModel)), panelController(std::move(panelController)) {
    observes(this->viewModel->query);
    observes(this->viewModel->results);
    observes(this->viewModel->selectedIndex);
    observes(this->viewModel->lastError);
    observes(this->viewModel->hasMultipleBrowsers);
    observes(this->viewModel->browsersWithMultipleProfiles);
}

SearchPanelView::ResultsArea SearchPanelView::resultsArea(bool hasResults, const std::string& query, bool isLoading,
                                                          bool hasBookmarks) {
    if (hasResults) return ResultsArea::resultList;
    if (isLoading) return ResultsArea::nothing;
    if (!query.empty()) return ResultsArea::noMatchingBookmarks;
    return hasBookmarks ? ResultsArea::nothing : ResultsArea::noBookmarksFound;
}

double SearchPanelView::listHeight(std::size_t resultCount) {
    return std::min(static_cast<double>(resultCount) * rowHeight + 8, listHeightLimit);
}

double SearchPanelView::panelHeight(std::size_t resultCount, const std::string& query, ResultsArea area) {
    if (resultCount > 0) return listHeight(resultCount) + 69 + 32;
    // "No bookmarks found" below an empty query needs the room of any other message.
    return query.empty() && area != ResultsArea::noBookmarksFound ? 68 : 125;
}

SearchPanelView::ResultsArea SearchPanelView::resultsArea(const SearchViewModel& viewModel) {
    const auto& aggregator = viewModel.aggregator();
    return resultsArea(!viewModel.results.get().empty(), viewModel.query.get(), aggregator->isLoading(),
                       !aggregator->allBookmarks().empty());
}

double SearchPanelView::panelHeight(const SearchViewModel& viewModel) {
    return panelHeight(viewModel.results.get().size(), viewModel.query.get(), resultsArea(viewModel));
}

Node SearchPanelView::body() {
    // The content stands in the middle of the panel and the backdrop covers all of it; when
    // the panel is capped below the content's height, the list gives up the difference.
    auto stack = ui::VStack({searchRow(), results(), viewModel->results.get().empty() ? ui::EmptyView() : keyHintFooter()},
                            ui::HorizontalAlignment::center, 0.0)
                     .frame(ui::FlexibleFrame{.maxWidth = appkit::infinity, .maxHeight = appkit::infinity});
    return ui::ZStack({std::move(stack), toast()}, ui::Alignment::bottom())
        .background(ui::representable(std::make_shared<VisualEffectView>()))
        .clipShape(ui::Shape{ui::ShapeKind::roundedRectangle, 12})
        // The toolkit reports the view as shown once its panel is on screen, after the
        // showing that created it has placed the panel (so the top edge is known).
        .onAppear([model = viewModel, controller = panelController] {
            dispatch::mainQueue()->async([model, controller] { applyPanelHeight(*model, controller.lock()); });
        })
        // The height follows what it is worked out from, so it also changes when the query
        // empties or fills without the result count moving (no matches below an empty query).
        .onChange<double>(panelHeight(*viewModel), [this](const double&) { updatePanelHeight(); })
        .onChange<std::optional<std::string>>(viewModel->lastError.get(),
                                              [this](const std::optional<std::string>& error) { handleErrorChange(error); });
}

Node SearchPanelView::searchRow() {
    auto model = viewModel;
    std::weak_ptr<PanelController> controller = panelController;
    auto hide = [controller] {
        if (auto panel = controller.lock()) panel->hide(PanelController::FocusRestoration::previousApplication);
    };
    auto field = std::make_shared<SearchField>(
        ui::Binding<std::string>([model] { return model->query.get(); },
                                 [model](const std::string& text) { model->query = text; }),
        [model] { model->moveSelectionDown(); }, [model] { model->moveSelectionUp(); }, hide,
        [model, controller] { openSelectedAndHide(model, controller); },
        [this] { performAndToast(&SearchViewModel::copySelectedURL, "url_copied"); },
        [this] { performAndToast(&SearchViewModel::copySelectedMarkdown, "markdown_copied"); });
    return ui::HStack({ui::Symbol("globe")
                           .font(Font::systemFontOfSize(22, Font::Weight::regular))
                           .foregroundColor(Color::tertiaryLabelColor()),
                       ui::representable(field).frame(std::nullopt, 30.0)},
                      ui::VerticalAlignment::center, 12.0)
        .padding(EdgeInsets{14, 16, 14, 16});
}

Node SearchPanelView::results() {
    switch (resultsArea(*viewModel)) {
    case ResultsArea::resultList:
        return ui::VStack({divider(), resultList()}, ui::HorizontalAlignment::center, 0.0);
    case ResultsArea::noMatchingBookmarks:
        return ui::VStack({divider(), emptyMessage("no_matching_bookmarks", 0)}, ui::HorizontalAlignment::center, 0.0);
    case ResultsArea::noBookmarksFound:
        return ui::VStack({divider(), emptyMessage("no_bookmarks_found", 20)}, ui::HorizontalAlignment::center, 0.0);
    case ResultsArea::nothing:
        break;
    }
    return ui::EmptyView();
}

Node SearchPanelView::resultList() {
    const auto& bookmarks = viewModel->results.get();
    const auto& multipleProfiles = viewModel->browsersWithMultipleProfiles.get();
    std::vector<Node> rows;
    for (std::size_t index = 0; index < bookmarks.size(); ++index) {
        const auto& bookmark = bookmarks[index];
        auto row = std::make_shared<BookmarkRowView>(
            bookmark, static_cast<std::int64_t>(index) == viewModel->selectedIndex.get(),
            viewModel->hasMultipleBrowsers.get(), multipleProfiles.count(std::string(rawValue(bookmark.browser))) > 0);
        rows.push_back(ui::component(row)
                           .onTapGesture([this, index] { handleRowTap(static_cast<std::int64_t>(index)); })
                           .id(std::to_string(index)));
    }
    double height = listHeight(bookmarks.size());
    return ui::ScrollViewReader([this, rows = std::move(rows), height](const ui::ScrollViewProxy& proxy) {
        return ui::ScrollView(ui::VStack(rows, ui::HorizontalAlignment::center, 0.0), true)
            .frame(ui::FlexibleFrame{.maxHeight = height})
            .onChange<std::int64_t>(viewModel->selectedIndex.get(),
                                    [this, proxy](const std::int64_t& index) { scrollToSelectedRow(proxy, index); });
    });
}

Node SearchPanelView::keyHint(const std::string& keyCap, const std::string& labelKey) {
    return ui::HStack({ui::Text(keyCap)
                           .font(Font::monospacedSystemFontOfSize(12, Font::Weight::medium))
                           .tracking(holdsModifierSymbol(keyCap) ? 2 : 0)
                           .padding(EdgeInsets{2, 6, 2, 6})
                           .background(ui::RoundedRectangle(4).fill(Color::separatorColor().opacity(0.3))),
                       ui::Text(localized(labelKey))
                           .font(Font::systemFontOfSize(12))
                           .foregroundColor(Color::secondaryLabelColor())},
                      ui::VerticalAlignment::center, 5.0);
}

Node SearchPanelView::keyHintFooter() const {
    return ui::HStack({keyHint("\u21A9\uFE0E", "hint_open"), keyHint("⌘C", "hint_copy"),
                       keyHint("⇧⌘C", "hint_copy_markdown"), keyHint("esc", "hint_close")},
                      ui::VerticalAlignment::center, 16.0)
        .padding(EdgeInsets{8, 16, 8, 16})
        .frame(ui::FlexibleFrame{.maxWidth = appkit::infinity})
        .background(Color::separatorColor().opacity(0.15));
}

Node SearchPanelView::toast() const {
    const auto& message = toastMessage.get();
    if (!message) return ui::EmptyView();
    return ui::Text(*message)
        .font(Font::systemFontOfSize(12, Font::Weight::medium))
        .foregroundColor(Color::whiteColor())
        .padding(EdgeInsets{6, 12, 6, 12})
        .background(ui::Capsule().fill(Color::blackColor().opacity(0.7)))
        .padding(EdgeInsets{0, 0, 8, 0})
        .transition(ui::Transition::fadeAndMoveFromBottom());
}

void SearchPanelView::updatePanelHeight() { applyPanelHeight(*viewModel, panelController.lock()); }

void SearchPanelView::applyPanelHeight(const SearchViewModel& viewModel, const std::shared_ptr<PanelController>& controller) {
    double height = panelHeight(viewModel);
    if (!controller || !controller->panel || !controller->panelTopY) return;
    height = std::clamp(height, minimumPanelHeight, maximumPanelHeight);
    auto frame = controller->panel->frame();
    controller->panel->setFrame(appkit::Rect(frame.minX(), *controller->panelTopY - height, frame.width(), height), true,
                                false);
}

void SearchPanelView::showToast(std::string message) {
    if (const auto& pending = toastWorkItem.get()) pending->cancel();
    ui::withAnimation(ui::Animation::easeInOut(toastAnimationDuration), [&] { toastMessage.set(std::move(message)); });
    // The removal holds the toast's storage, not this view value, which the host may replace.
    auto toast = toastMessage.binding();
    auto removal = dispatch::WorkItem::create([toast] {
        ui::withAnimation(ui::Animation::easeInOut(toastAnimationDuration), [&] { toast.set(std::nullopt); });
    });
    toastWorkItem.set(removal);
    removal->after(dispatch::mainQueue(), std::chrono::milliseconds(static_cast<int>(toastDuration * 1000)));
}

void SearchPanelView::performAndToast(void (SearchViewModel::*action)(), const std::string& localizationKey) {
    ((*viewModel).*action)();
    showToast(localized(localizationKey));
}

void SearchPanelView::handleRowTap(std::int64_t index) {
    double now = foundation::Clock::wallSecondsSince1970();
    if (lastClickIndex.get() == index && now - lastClickTime.get() < appkit::Event::doubleClickInterval()) {
        openSelectedAndHide(viewModel, panelController);
    } else {
        // A keyboard move that left the selection where it was (a single result) has not
        // scrolled yet; this selection is the click's, and clicks do not scroll.
        viewModel->scrollToSelection = false;
        viewModel->selectedIndex = index;
    }
    lastClickIndex.set(index);
    lastClickTime.set(now);
}

void SearchPanelView::openSelectedAndHide(const std::shared_ptr<SearchViewModel>& viewModel,
                                          const std::weak_ptr<PanelController>& panelController) {
    auto controller = panelController.lock();
    auto showing = controller ? controller->showings() : 0;
    viewModel->openSelected([panelController, showing](SearchViewModel::OpenOutcome outcome) {
        auto controller = panelController.lock();
        if (outcome == SearchViewModel::OpenOutcome::finished && controller && controller->showings() == showing)
            controller->hide(PanelController::FocusRestoration::previousApplication);
    });
}

void SearchPanelView::handleErrorChange(const std::optional<std::string>& error) {
    if (!error) return;
    showToast(*error);
    viewModel->lastError = std::nullopt;
}

void SearchPanelView::scrollToSelectedRow(const ui::ScrollViewProxy& proxy, std::int64_t index) {
    if (!viewModel->scrollToSelection) return;
    viewModel->scrollToSelection = false;
    proxy.scrollTo(std::to_string(index), ui::ScrollAnchor::center, 0.15, ui::ScrollViewProxy::Timing::easeOut);
}

}  // namespace kestrelvault
