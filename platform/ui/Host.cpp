#include "platform/ui/Host.hpp"

#include "platform/appkit/AnimationContext.hpp"
#include "platform/appkit/Appearance.hpp"
#include "platform/foundation/Dispatch.hpp"
#include "platform/ui/Layout.hpp"
#include "platform/ui/Representable.hpp"

#include <algorithm>
#include <cctype>

namespace ui {

namespace {

// A child's place in its parent: its explicit id, else its position and kind (so that a
// different kind of node at the same position is a new identity).
std::string segment(const Node& child, std::size_t index) {
    if (child.kind() == NodeKind::identified) return "#" + child.data().text;
    return std::to_string(index) + "." + std::to_string(static_cast<int>(child.kind()));
}

}  // namespace

std::shared_ptr<Host> Host::create(Node root, EnvironmentValues environment) {
    auto host = std::shared_ptr<Host>(new Host(std::move(root), std::move(environment)));
    host->update();
    return host;
}

Host::Host(Node root, EnvironmentValues environment) : root_(std::move(root)), environment_(std::move(environment)) {}

Host::~Host() {
    // Everything shown goes away with the host: its disappear actions still run.
    for (auto& [path, mounted] : mounted_) unmount(mounted);
    auto actions = std::move(pendingActions_);
    for (auto& action : actions) action();
}

EnvironmentValues Host::defaultEnvironment() {
    EnvironmentValues values;
    values.colorScheme = colorSchemeFor(appkit::systemAppearance());
    return values;
}

void Host::setRoot(Node root) {
    root_ = std::move(root);
    update();
}

void Host::setEnvironment(EnvironmentValues environment) {
    environment_ = std::move(environment);
    update();
}

std::function<void()> Host::invalidator() {
    std::weak_ptr<Host> weakSelf = weak_from_this();
    return [weakSelf] {
        if (auto host = weakSelf.lock()) host->setNeedsUpdate();
    };
}

void Host::setNeedsUpdate() {
    if (auto animation = currentAnimation()) pendingAnimation_ = animation;
    if (updating_) {
        needsAnotherPass_ = true;
        return;
    }
    if (updateScheduled_) return;
    updateScheduled_ = true;
    std::weak_ptr<Host> weakSelf = weak_from_this();
    dispatch::mainQueue()->async([weakSelf] {
        if (auto host = weakSelf.lock(); host && host->updateScheduled_) host->update();
    });
}

void Host::update() {
    if (updating_) {
        needsAnotherPass_ = true;
        return;
    }
    auto keepAlive = shared_from_this();
    updateScheduled_ = false;
    updating_ = true;
    do {
        needsAnotherPass_ = false;
        ++evaluations_;
        passAnimation_ = currentAnimation() ? currentAnimation() : std::exchange(pendingAnimation_, std::nullopt);
        for (auto& [path, mounted] : mounted_) mounted.visited = false;
        resolved_ = resolve(root_, "", environment_);
        for (auto it = mounted_.begin(); it != mounted_.end();) {
            if (it->second.visited) {
                ++it;
                continue;
            }
            keepLeavingNode(it->first, it->second);
            unmount(it->second);
            it = mounted_.erase(it);
        }
        passAnimation_.reset();
        // Actions run after the tree is consistent; they may change state again.
        auto actions = std::move(pendingActions_);
        pendingActions_.clear();
        for (auto& action : actions) action();
    } while (needsAnotherPass_);
    updating_ = false;
    if (auto didUpdate = didUpdate_) didUpdate();
}

Host::Mounted& Host::mount(const std::string& path, std::type_index type) {
    auto& mounted = mounted_[path];
    if (mounted.type != type && mounted.type != typeid(void)) {
        // Another kind of view took this place: what lived here and below goes.
        unmount(mounted);
        unmountBelow(path);
        mounted = Mounted();
    }
    mounted.visited = true;
    mounted.type = type;
    return mounted;
}

void Host::unmountBelow(const std::string& path) {
    std::string prefix = path + "/";
    for (auto it = mounted_.lower_bound(prefix); it != mounted_.end() && it->first.compare(0, prefix.size(), prefix) == 0;) {
        unmount(it->second);
        it = mounted_.erase(it);
    }
}

void Host::unmount(Mounted& mounted) {
    if (mounted.onDisappear) pendingActions_.push_back(std::exchange(mounted.onDisappear, nullptr));
    if (mounted.task) mounted.task->cancel();
    if (mounted.load) mounted.load->cancel();
    mounted.receiveToken.reset();
    mounted.subscriptions.clear();
    if (mounted.view) mounted.view->setInvalidationHandler(nullptr);
    if (mounted.hostedView) mounted.hostedView->removeFromSuperview();
    mounted.hostedView.reset();
    mounted.coordinator.reset();
    mounted.view.reset();
}

ResolvedNode Host::resolve(const Node& node, const std::string& path, const EnvironmentValues& environment) {
    const NodeData& data = node.data();
    ResolvedNode resolved{node, path, {}, nullptr};
    switch (data.kind) {
    case NodeKind::component: {
        auto& mounted = mount(path, data.componentType);
        const auto& view = data.component;
        if (mounted.view && mounted.view != view) view->adoptStateFrom(*mounted.view);
        if (mounted.view && mounted.view != view) mounted.view->setInvalidationHandler(nullptr);
        mounted.view = view;
        auto invalidate = invalidator();
        view->setInvalidationHandler(invalidate);
        mounted.subscriptions = view->subscribe(invalidate);
        view->setEnvironment(environment);
        resolved.children.push_back(resolve(view->body(), path + "/body", environment));
        return resolved;
    }
    case NodeKind::representable: {
        auto& mounted = mount(path, data.componentType);
        if (!mounted.hostedView) {
            mounted.coordinator = data.representable->makeCoordinatorErased();
            mounted.hostedView = data.representable->makeViewErased(mounted.coordinator, environment);
            if (auto container = container_.lock(); container && mounted.hostedView)
                container->addSubview(mounted.hostedView);
        }
        if (mounted.hostedView) data.representable->updateViewErased(mounted.hostedView, mounted.coordinator, environment);
        resolved.hostedView = mounted.hostedView;
        return resolved;
    }
    case NodeKind::asyncImage: {
        auto& mounted = mount(path, typeid(AsyncImagePhase));
        if (!mounted.loadStarted || mounted.loadingURL != data.url) {
            mounted.loadStarted = true;
            mounted.loadingURL = data.url;
            mounted.phase = AsyncImagePhase{};
            if (mounted.load) mounted.load->cancel();
            mounted.load.reset();
            if (data.url) startLoad(path, mounted);
        }
        if (data.content) resolved.children.push_back(resolve(data.content(mounted.phase), path + "/content", environment));
        return resolved;
    }
    case NodeKind::lifecycle: {
        auto& mounted = mount(path, typeid(Lifecycle));
        resolveLifecycle(data, mounted);
        break;
    }
    case NodeKind::scroll: {
        auto& mounted = mount(path, typeid(ScrollAnchor));
        resolved.scrollOffset = mounted.scrollOffset;
        break;
    }
    case NodeKind::scrollReader:
        if (data.readerContent)
            resolved.children.push_back(
                resolve(data.readerContent(ScrollViewProxy(weak_from_this(), path)), path + "/content", environment));
        return resolved;
    case NodeKind::transition: {
        auto& mounted = mount(path, typeid(Transition));
        resolved.children.push_back(resolve(data.children.front(), path + "/" + segment(data.children.front(), 0), environment));
        resolveTransition(data, path, mounted, resolved);
        return resolved;
    }
    case NodeKind::identified:
        // The id names the identity of everything below, wherever the node stands.
        resolved.children.push_back(resolve(data.children.front(), path + "/#" + data.text, environment));
        return resolved;
    case NodeKind::environment: {
        EnvironmentValues changed = environment;
        if (data.environment) data.environment(changed);
        resolved.children.push_back(resolve(data.children.front(), path + "/" + segment(data.children.front(), 0), changed));
        return resolved;
    }
    default:
        break;
    }
    for (std::size_t index = 0; index < data.children.size(); ++index)
        resolved.children.push_back(resolve(data.children[index], path + "/" + segment(data.children[index], index), environment));
    insertGhosts(path, resolved);
    return resolved;
}

void Host::resolveTransition(const NodeData& data, const std::string& path, Mounted& mounted, ResolvedNode& resolved) {
    if (!mounted.transitionSeen) {
        mounted.transitionSeen = true;
        double start = 1;
        if (auto ghost = ghosts_.find(path); ghost != ghosts_.end()) {
            // Back before it finished leaving: it returns from where it stands.
            start = *ghost->second.presence;
            ghosts_.erase(ghost);
        } else if (passAnimation_ && evaluations_ > 1) {
            start = 0;
        }
        mounted.presence = start;
        if (start < 1) animatePresence(path, start, 1, false);
    }
    (void)data;
    resolved.presence = mounted.presence;
    mounted.lastResolved = resolved;
}

void Host::keepLeavingNode(const std::string& path, Mounted& mounted) {
    if (!passAnimation_ || !mounted.lastResolved || path.empty()) return;
    auto slash = path.rfind('/');
    std::string parentPath = path.substr(0, slash);
    std::string segmentText = path.substr(slash + 1);
    std::size_t index = std::string::npos;
    if (!segmentText.empty() && std::isdigit(static_cast<unsigned char>(segmentText.front())))
        index = static_cast<std::size_t>(std::stoul(segmentText));
    Ghost ghost{parentPath, index, *mounted.lastResolved, std::make_shared<double>(mounted.presence)};
    ghosts_[path] = std::move(ghost);
    animatePresence(path, mounted.presence, 0, true);
}

void Host::insertGhosts(const std::string& path, ResolvedNode& resolved) {
    for (auto& [ghostPath, ghost] : ghosts_) {
        if (ghost.parentPath != path) continue;
        ResolvedNode shown = ghost.node;
        shown.presence = *ghost.presence;
        std::size_t at = std::min(ghost.index, resolved.children.size());
        resolved.children.insert(resolved.children.begin() + static_cast<std::ptrdiff_t>(at), std::move(shown));
    }
}

void Host::animatePresence(const std::string& path, double from, double to, bool leaving) {
    std::weak_ptr<Host> weakSelf = weak_from_this();
    Animation animation = passAnimation_.value_or(Animation{});
    std::shared_ptr<double> cell;
    if (leaving) cell = ghosts_[path].presence;
    appkit::AnimationContext::runAnimationGroup(
        [&](appkit::AnimationContext& context) {
            context.duration = animation.duration;
            context.timingFunction = animation.timing;
            appkit::AnimationContext::animate([weakSelf, path, from, to, leaving, cell](double progress) {
                auto host = weakSelf.lock();
                if (!host) return;
                double value = from + (to - from) * progress;
                if (leaving) {
                    auto ghost = host->ghosts_.find(path);
                    if (ghost == host->ghosts_.end() || ghost->second.presence != cell) return;
                    *cell = value;
                    if (progress >= 1) host->ghosts_.erase(ghost);
                } else {
                    auto mounted = host->mounted_.find(path);
                    if (mounted == host->mounted_.end()) return;
                    mounted->second.presence = value;
                }
                host->setNeedsUpdate();
            });
        });
}

void Host::resolveLifecycle(const NodeData& data, Mounted& mounted) {
    const Lifecycle& lifecycle = data.lifecycle;
    if (!mounted.appeared) {
        mounted.appeared = true;
        if (lifecycle.onAppear) pendingActions_.push_back(lifecycle.onAppear);
        if (lifecycle.task) {
            auto token = std::make_shared<CancellationToken>();
            mounted.task = token;
            pendingActions_.push_back([work = lifecycle.task, token] {
                if (!token->isCancelled()) work(token);
            });
        }
    }
    if (lifecycle.onChange) {
        const auto& watch = *lifecycle.onChange;
        const auto& previous = mounted.lastWatch;
        if (previous && previous->type == watch.type && !watch.equal(previous->value.get(), watch.value.get()))
            pendingActions_.push_back([watch] { watch.action(watch.value.get()); });
        mounted.lastWatch = watch;
    }
    if (lifecycle.onDisappear) mounted.onDisappear = lifecycle.onDisappear;
    if (lifecycle.onReceive && lifecycle.notificationName) {
        if (!mounted.receiveHandler)
            mounted.receiveHandler = std::make_shared<std::function<void(const foundation::Notification&)>>();
        *mounted.receiveHandler = lifecycle.onReceive;
        if (!mounted.receiveToken) {
            std::weak_ptr<std::function<void(const foundation::Notification&)>> weakHandler = mounted.receiveHandler;
            mounted.receiveToken = foundation::NotificationCenter::defaultCenter()->addObserver(
                *lifecycle.notificationName, nullptr, nullptr, [weakHandler](const foundation::Notification& note) {
                    if (auto handler = weakHandler.lock(); handler && *handler) (*handler)(note);
                });
        }
    }
}

void Host::startLoad(const std::string& path, Mounted& mounted) {
    std::weak_ptr<Host> weakSelf = weak_from_this();
    std::string url = *mounted.loadingURL;
    mounted.load = ImageLoader::shared()->load(url, [weakSelf, path, url](std::shared_ptr<appkit::Image> image,
                                                                         std::string error) {
        auto host = weakSelf.lock();
        if (!host) return;
        auto found = host->mounted_.find(path);
        if (found == host->mounted_.end() || found->second.loadingURL != url) return;
        auto& phase = found->second.phase;
        phase = image ? AsyncImagePhase{AsyncImagePhase::Kind::success, std::move(image), {}}
                      : AsyncImagePhase{AsyncImagePhase::Kind::failure, nullptr, std::move(error)};
        found->second.load.reset();
        host->setNeedsUpdate();
    });
}

void Host::setScrollOffset(const std::string& path, double offset) {
    auto found = mounted_.find(path);
    if (found == mounted_.end()) return;
    found->second.scrollOffset = offset;
    update();
}

void Host::scrollTo(const std::string& readerPath, const std::string& id, ScrollAnchor anchor,
                    std::optional<double> animationDuration, ScrollViewProxy::Timing timing) {
    if (!layout_) return;
    const LayoutNode* scroll = layout_->find([&](const LayoutNode& node) {
        return node.kind() == NodeKind::scroll && node.path.compare(0, readerPath.size(), readerPath) == 0;
    });
    if (!scroll) return;
    auto found = mounted_.find(scroll->path);
    if (found == mounted_.end()) return;
    auto isTarget = [&](const LayoutNode& node) { return node.kind() == NodeKind::identified && node.data().text == id; };
    const LayoutNode* target = scroll->find(isTarget);
    if (!target) {
        // An id around the scroll view itself: its top (or end) is the content's.
        const LayoutNode* around = layout_->find(isTarget);
        if (!around || scroll->path.compare(0, around->path.size(), around->path) != 0) return;
        double end = std::max(0.0, scroll->contentSize.height - scroll->frame.height());
        double offset = anchor == ScrollAnchor::top ? 0 : anchor == ScrollAnchor::bottom ? end : end / 2;
        return setScrollOffset(scroll->path, offset);
    }
    double current = found->second.scrollOffset;
    // The target's place in the content, then the offset that puts it at the anchor.
    double inContent = target->frame.minY() - scroll->frame.minY() + current;
    double wanted = inContent;
    if (anchor == ScrollAnchor::center) wanted = inContent + target->frame.height() / 2 - scroll->frame.height() / 2;
    if (anchor == ScrollAnchor::bottom) wanted = inContent + target->frame.height() - scroll->frame.height();
    double limit = std::max(0.0, scroll->contentSize.height - scroll->frame.height());
    wanted = std::clamp(wanted, 0.0, limit);
    if (!animationDuration || *animationDuration <= 0) return setScrollOffset(scroll->path, wanted);
    std::weak_ptr<Host> weakSelf = weak_from_this();
    std::string path = scroll->path;
    appkit::AnimationContext::runAnimationGroup([&](appkit::AnimationContext& context) {
        context.duration = *animationDuration;
        context.timingFunction = timing == ScrollViewProxy::Timing::linear    ? appkit::AnimationContext::TimingFunction::linear
                                 : timing == ScrollViewProxy::Timing::easeOut ? appkit::AnimationContext::TimingFunction::easeOut
                                                                              : appkit::AnimationContext::TimingFunction::easeInEaseOut;
        appkit::AnimationContext::animate([weakSelf, path, current, wanted](double progress) {
            if (auto host = weakSelf.lock()) host->setScrollOffset(path, current + (wanted - current) * progress);
        });
    });
}

namespace {

std::uint64_t modifierFlagsFor(EventModifiers modifiers) {
    std::uint64_t flags = 0;
    if (modifiers.contains(EventModifiers::command)) flags |= appkit::ModifierFlags::command;
    if (modifiers.contains(EventModifiers::shift)) flags |= appkit::ModifierFlags::shift;
    if (modifiers.contains(EventModifiers::option)) flags |= appkit::ModifierFlags::option;
    if (modifiers.contains(EventModifiers::control)) flags |= appkit::ModifierFlags::control;
    return flags;
}

std::string lowercased(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

bool Host::performKeyEquivalent(const appkit::Event& event) {
    if (!layout_ || event.type() != appkit::EventType::keyDown) return false;
    auto pressed = event.modifierFlags().rawValue &
                   (appkit::ModifierFlags::command | appkit::ModifierFlags::shift | appkit::ModifierFlags::option |
                    appkit::ModifierFlags::control);
    auto key = lowercased(event.charactersIgnoringModifiers().value_or(""));
    std::vector<std::function<void()>> actions;
    layout_->forEach([&](const LayoutNode& node) {
        if (node.kind() != NodeKind::keyboardShortcut) return;
        const auto& shortcut = node.data().shortcut;
        if (shortcut.key.character.empty() || lowercased(shortcut.key.character) != key || modifierFlagsFor(shortcut.modifiers) != pressed) return;
        if (const auto* button = node.find([](const LayoutNode& inner) { return inner.kind() == NodeKind::button; }))
            if (button->data().action) actions.push_back(button->data().action);
    });
    if (actions.empty()) return false;
    actions.front()();
    return true;
}

Size Host::sizeThatFits(ProposedSize proposal) { return Layout::sizeThatFits(resolved_, proposal, environment_); }

const LayoutNode& Host::layout(Rect bounds) {
    Size size = sizeThatFits({bounds.width(), bounds.height()});
    Rect frame(bounds.minX() + (bounds.width() - size.width) / 2, bounds.minY() + (bounds.height() - size.height) / 2,
               size.width, size.height);
    layout_ = Layout::place(resolved_, frame, environment_);
    layout_->forEach([](const LayoutNode& node) {
        if (node.hostedView) node.hostedView->setFrame(node.frame);
    });
    return *layout_;
}

namespace {

bool isDrawn(const LayoutNode& node) {
    switch (node.kind()) {
    case NodeKind::shape:
        // Clear paint takes no clicks, as on the platform; a content shape gives them.
        return !(node.data().fill && node.data().fill->isClear());
    case NodeKind::text:
    case NodeKind::image:
    case NodeKind::symbol:
    case NodeKind::divider:
    case NodeKind::representable:
    case NodeKind::contentShape:
    case NodeKind::toggle:
        return true;
    default:
        return false;
    }
}

// The chain from the root to the frontmost drawn node under the point.
bool hitChain(const LayoutNode& node, Point point, std::vector<const LayoutNode*>& chain) {
    if ((node.kind() == NodeKind::clip || node.kind() == NodeKind::scroll) && !node.frame.contains(point)) return false;
    chain.push_back(&node);
    std::vector<const LayoutNode*> order;
    for (const auto& child : node.children) order.push_back(&child);
    if (node.kind() != NodeKind::background) std::reverse(order.begin(), order.end());
    for (const auto* child : order)
        if (hitChain(*child, point, chain)) return true;
    if (isDrawn(node) && node.frame.contains(point)) return true;
    chain.pop_back();
    return false;
}

}  // namespace

bool Host::tap(Point point) {
    if (!layout_) return false;
    std::vector<const LayoutNode*> chain;
    if (!hitChain(*layout_, point, chain)) return false;
    std::vector<std::function<void()>> actions;
    bool exclusiveTaken = false;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const LayoutNode& node = **it;
        bool exclusive = node.kind() == NodeKind::button || node.kind() == NodeKind::toggle ||
                         (node.kind() == NodeKind::tap && !node.data().simultaneous);
        bool simultaneous = node.kind() == NodeKind::tap && node.data().simultaneous;
        if ((exclusive && !exclusiveTaken) || simultaneous) {
            if (node.kind() == NodeKind::toggle && node.data().isOn && node.data().setOn)
                actions.push_back([data = node.node] { data.data().setOn(!data.data().isOn()); });
            else if (node.data().action)
                actions.push_back(node.data().action);
            if (exclusive) exclusiveTaken = true;
        }
    }
    for (auto& action : actions) action();
    return !actions.empty();
}

}  // namespace ui
