#include "GlobalShortcuts/Views/KeyboardShortcutEvents.hpp"

#include "GlobalShortcuts/HandlerDispatch.hpp"
#include "platform/ui/CancellationToken.hpp"

namespace GlobalShortcuts {

namespace {

using Stream = foundation::AsyncStream<EventType>;

// Consumes the stream the task makes while the task runs; cancelling the task ends it,
// which takes the stream's registration away.
ui::Node consumeWhileShown(ui::Node content, std::function<Stream()> makeStream,
                           std::function<void(const EventType&)> onEvent) {
    return content.task([makeStream, onEvent](const std::shared_ptr<ui::CancellationToken>& token) {
        auto consumer = std::make_shared<Stream::Consumer>(makeStream().forEach(onEvent));
        token->onCancel([consumer] { consumer->cancel(); });
    });
}

}  // namespace

ui::Node onKeyboardShortcut(ui::Node content, const Name& name, std::function<void(EventType)> action) {
    return consumeWhileShown(
        std::move(content), [name] { return events(name); }, [action](const EventType& type) { action(type); });
}

ui::Node onKeyboardShortcut(ui::Node content, const Name& name, EventType type, std::function<void()> action) {
    return consumeWhileShown(
        std::move(content), [name, type] { return events(type, name); }, [action](const EventType&) { action(); });
}

}  // namespace GlobalShortcuts
