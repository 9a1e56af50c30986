#pragma once

#include "app/shell/SearchViewModel.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/ui/ScrollViewReader.hpp"
#include "platform/ui/View.hpp"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kestrelvault {

class PanelController;

// The whole content of the search panel: the search row, the result list or an empty-state
// message, the key hints and a short-lived toast, on the translucent backdrop. It follows
// every published change of the view model, keeps the panel's height in step with the
// number of results, and turns clicks and the field's commands into view-model and panel
// operations. Main thread only; made once with the panel and kept as long as it. It holds
// the panel controller weakly (the controller owns the panel that hosts it).
class SearchPanelView : public ui::View {
public:
    SearchPanelView(std::shared_ptr<SearchViewModel> viewModel, std::weak_ptr<PanelController> panelController);

    ui::Node body() override;

    void updatePanelHeight();
    // Shows the message for 1.2 seconds, replacing the one shown.
    void showToast(std::string message);
    void performAndToast(void (SearchViewModel::*action)(), const std::string& localizationKey);
    void handleRowTap(std::int64_t index);
    void handleErrorChange(const std::optional<std::string>& error);
    void scrollToSelectedRow(const ui::ScrollViewProxy& proxy, std::int64_t index);

    // What stands below the search row.
    enum class ResultsArea { resultList, noMatchingBookmarks, noBookmarksFound, nothing };
    static ResultsArea resultsArea(bool hasResults, const std::string& query, bool isLoading, bool hasBookmarks);
    static double listHeight(std::size_t resultCount);
    // The height the panel asks for (before it is clamped to 60…480): room for the list, for
    // a message below the search row, or for the search row alone.
    static double panelHeight(std::size_t resultCount, const std::string& query, ResultsArea area);
    // The same, from the view model's state.
    static ResultsArea resultsArea(const SearchViewModel& viewModel);
    static double panelHeight(const SearchViewModel& viewModel);

    static constexpr double rowHeight = 58;
    static constexpr double toastDuration = 1.2;
    // Before any click: long before any double click could begin.
    static constexpr double distantPast = -62135769600;

    std::shared_ptr<SearchViewModel> viewModel;
    std::weak_ptr<PanelController> panelController;
    ui::State<std::optional<std::int64_t>> lastClickIndex{this, std::nullopt};
    ui::State<double> lastClickTime{this, distantPast};  // seconds since 1970
    ui::State<std::optional<std::string>> toastMessage{this, std::nullopt};
    ui::State<dispatch::WorkItemPtr> toastWorkItem{this, nullptr};

private:
    ui::Node searchRow();
    ui::Node results();
    ui::Node resultList();
    ui::Node keyHintFooter() const;
    static ui::Node keyHint(const std::string& keyCap, const std::string& labelKey);
    ui::Node toast() const;
    // Return and a double click: the panel hides once the opening is on its way, and stays,
    // with the error's toast, when it failed.
    static void openSelectedAndHide(const std::shared_ptr<SearchViewModel>& viewModel,
                                    const std::weak_ptr<PanelController>& panelController);
    static void applyPanelHeight(const SearchViewModel& viewModel, const std::shared_ptr<PanelController>& controller);
};

}  // namespace kestrelvault
