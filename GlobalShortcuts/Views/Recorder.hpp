#pragma once

#include "GlobalShortcuts/Name.hpp"
#include "GlobalShortcuts/RecorderCocoa/RecorderCocoa.hpp"
#include "platform/ui/LocalizedStringKey.hpp"
#include "platform/ui/Representable.hpp"
#include "platform/ui/View.hpp"

#include <functional>
#include <string>

namespace GlobalShortcuts {

// The recorder control of one Name as a declarative view, alone or with a label beside it:
// a labelled content row from macOS 13 on, a form row (controls lined up) before. A value
// rebuilt at will; the control is made once per identity and only learns later Names (its
// change callable stays the one it was made with). Main thread only.
class Recorder final : public ui::View {
public:
    using OnChange = RecorderCocoa::OnChange;

    explicit Recorder(Name name, OnChange onChange = nullptr);
    // The label is built once, here.
    Recorder(Name name, OnChange onChange, const std::function<ui::Node()>& label);
    // A title looked up in the application's own string tables.
    Recorder(const ui::LocalizedStringKey& title, Name name, OnChange onChange = nullptr);
    // A title shown as it stands.
    Recorder(std::string title, Name name, OnChange onChange = nullptr);

    ui::Node body() override;

private:
    Name name_;
    OnChange onChange_;
    bool hasLabel_;
    ui::Node label_;
};

// Hosts the recorder control: made with the Name and callable of its first value, then
// given each later value's Name.
class RecorderRepresentable final : public ui::NSViewRepresentable<RecorderCocoa, void> {
public:
    RecorderRepresentable(Name name, RecorderCocoa::OnChange onChange);

    std::shared_ptr<void> makeCoordinator() override { return nullptr; }
    std::shared_ptr<RecorderCocoa> makeNSView(Context& context) override;
    void updateNSView(const std::shared_ptr<RecorderCocoa>& view, Context& context) override;

private:
    Name name_;
    RecorderCocoa::OnChange onChange_;
};

}  // namespace GlobalShortcuts
