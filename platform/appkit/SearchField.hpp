#pragma once

#include "platform/appkit/SearchFieldCell.hpp"
#include "platform/appkit/TextField.hpp"

namespace appkit {

// A text field for searching, drawn rounded with a magnifier and, while it holds text, a
// cancel button; clicking the cancel button empties the field as an edit (the delegate
// hears controlTextDidChange), also while the field is being edited. Main thread only.
class SearchField : public TextField {
public:
    explicit SearchField(Rect frame = Rect(0, 0, 130, 22));

    std::shared_ptr<SearchFieldCell> searchCell() const { return std::static_pointer_cast<SearchFieldCell>(cell()); }
    Size intrinsicContentSize() const override { return {noIntrinsicMetric, 22}; }

    // What the cancel button does.
    void clearByCancelButton();
    // Whether the cancel button shows: the cell has one and the field holds text.
    bool showsCancelButton() const;
    // Where the cancel button sits in a field of these bounds, at the trailing end.
    static Rect cancelButtonFrame(const Rect& bounds);

    // The cancel button takes clicks before the field editor that covers the field.
    std::shared_ptr<View> hitTest(Point pointInSuperview) override;
    void mouseDown(const EventPtr& event) override;

private:
    void wireCancelButton(const std::shared_ptr<ButtonCell>& cell);

    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
};

}  // namespace appkit
