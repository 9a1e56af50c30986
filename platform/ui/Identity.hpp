#pragma once

#include "platform/ui/NodePayloads.hpp"

#include <compare>
#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ui {

// Where a node stands in the evaluated tree: the steps from the root, each a child's
// position (with its kind, so another kind of node at the same place is another
// identity), an explicit id given with `.id(…)` in place of the position, or the part a
// host-expanded node shows (a view's body, an image's or reader's content). Identities
// order so that everything below one follows it directly. A plain value; any thread.
class Identity {
public:
    struct Position {
        std::size_t index = 0;
        NodeKind kind = NodeKind::empty;
        friend auto operator<=>(const Position&, const Position&) = default;
    };
    struct ExplicitId {
        std::string id;
        friend auto operator<=>(const ExplicitId&, const ExplicitId&) = default;
    };
    enum class Part { body, content };
    using Step = std::variant<Position, ExplicitId, Part>;

    // The root's identity.
    Identity() = default;

    Identity child(Step step) const;
    // The identity of the child at the index: its explicit id, else its position and kind.
    Identity child(const Node& node, std::size_t index) const;
    bool isRoot() const { return steps_.empty(); }
    // The identity one step up; the root's parent is the root.
    Identity parent() const;
    const Step* last() const { return steps_.empty() ? nullptr : &steps_.back(); }
    // True for the identity itself and everything below it.
    bool isWithin(const Identity& ancestor) const;

    friend auto operator<=>(const Identity&, const Identity&) = default;
    friend bool operator==(const Identity&, const Identity&) = default;

private:
    std::vector<Step> steps_;
};

}  // namespace ui
