#pragma once

#include "platform/appkit/ButtonCell.hpp"
#include "platform/appkit/TextFieldCell.hpp"

#include <memory>

namespace appkit {

// The cell of a search field, with its two buttons: the magnifier (search button) and the
// cancel button that clears the field. Either may be taken out (set to null) and put back.
class SearchFieldCell : public TextFieldCell {
public:
    SearchFieldCell()
        : searchButtonCell_(std::make_shared<ButtonCell>("search")), cancelButtonCell_(std::make_shared<ButtonCell>("cancel")) {}

    const std::shared_ptr<ButtonCell>& searchButtonCell() const { return searchButtonCell_; }
    void setSearchButtonCell(std::shared_ptr<ButtonCell> cell) { searchButtonCell_ = std::move(cell); }
    const std::shared_ptr<ButtonCell>& cancelButtonCell() const { return cancelButtonCell_; }
    void setCancelButtonCell(std::shared_ptr<ButtonCell> cell) { cancelButtonCell_ = std::move(cell); }

private:
    std::shared_ptr<ButtonCell> searchButtonCell_;
    std::shared_ptr<ButtonCell> cancelButtonCell_;
};

}  // namespace appkit
