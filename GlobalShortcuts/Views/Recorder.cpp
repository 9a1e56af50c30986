#include "GlobalShortcuts/Views/Recorder.hpp"

#include "GlobalShortcuts/Views/RecorderFormRow.hpp"
#include "platform/foundation/ProcessInfo.hpp"

namespace GlobalShortcuts {

Recorder::Recorder(Name name, OnChange onChange)
    : name_(std::move(name)), onChange_(std::move(onChange)), hasLabel_(false), label_(ui::EmptyView()) {}

Recorder::Recorder(Name name, OnChange onChange, const std::function<ui::Node()>& label)
    : name_(std::move(name)), onChange_(std::move(onChange)), hasLabel_(true), label_(label()) {}

Recorder::Recorder(const ui::LocalizedStringKey& title, Name name, OnChange onChange)
    : Recorder(std::move(name), std::move(onChange), [&] { return ui::Text(title); }) {}

Recorder::Recorder(std::string title, Name name, OnChange onChange)
    : Recorder(std::move(name), std::move(onChange), [&] { return ui::Text(std::move(title)); }) {}

ui::Node Recorder::body() {
    auto control = ui::representable(std::make_shared<RecorderRepresentable>(name_, onChange_));
    if (!hasLabel_) return control;
    if (foundation::ProcessInfo::isOperatingSystemAtLeastVersion({13, 0, 0})) return ui::LabeledContent(label_, control);
    return recorderFormRow(control, label_);
}

RecorderRepresentable::RecorderRepresentable(Name name, RecorderCocoa::OnChange onChange)
    : name_(std::move(name)), onChange_(std::move(onChange)) {}

std::shared_ptr<RecorderCocoa> RecorderRepresentable::makeNSView(Context&) {
    return RecorderCocoa::make(name_, onChange_);
}

void RecorderRepresentable::updateNSView(const std::shared_ptr<RecorderCocoa>& view, Context&) {
    view->setShortcutName(name_);
}

}  // namespace GlobalShortcuts
