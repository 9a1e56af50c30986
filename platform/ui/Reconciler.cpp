#include "platform/ui/Reconciler.hpp"

#include "platform/ui/Representable.hpp"

namespace ui {

Reconciler::Reconciler(Hooks hooks)
    : hooks_(std::move(hooks)), transitions_(std::make_shared<TransitionAnimator>(hooks_.invalidate)) {}

Reconciler::~Reconciler() { releaseAll(); }

ResolvedNode Reconciler::reconcile(const Node& root, const EnvironmentValues& environment,
                                   std::optional<Animation> animation, bool animatesArrivals) {
    transitions_->beginPass(animation, animatesArrivals);
    for (auto& [identity, mounted] : mounted_) mounted.visited = false;
    ResolvedNode resolved = resolve(root, Identity(), environment);
    for (auto it = mounted_.begin(); it != mounted_.end();) {
        if (it->second.visited) {
            ++it;
            continue;
        }
        if (const auto* transition = std::get_if<TransitionRecord>(&it->second.record))
            transitions_->leave(it->first, *transition);
        it->second.release(pending_);
        it = mounted_.erase(it);
    }
    transitions_->endPass();
    return resolved;
}

ScrollRecord* Reconciler::scrollRecord(const Identity& identity) {
    auto found = mounted_.find(identity);
    return found == mounted_.end() ? nullptr : std::get_if<ScrollRecord>(&found->second.record);
}

void Reconciler::releaseAll() {
    for (auto& [identity, mounted] : mounted_) mounted.release(pending_);
    mounted_.clear();
}

template <class Record>
Record& Reconciler::mount(const Identity& identity, std::type_index type) {
    auto& mounted = mounted_[identity];
    if (mounted.type != type) {
        // Another kind of node took this place: what lived here and below goes.
        if (mounted.type != typeid(void)) {
            mounted.release(pending_);
            releaseBelow(identity);
        }
        mounted.type = type;
        mounted.record = Record{};
    }
    mounted.visited = true;
    return std::get<Record>(mounted.record);
}

void Reconciler::releaseBelow(const Identity& identity) {
    for (auto it = mounted_.upper_bound(identity); it != mounted_.end() && it->first.isWithin(identity);) {
        it->second.release(pending_);
        it = mounted_.erase(it);
    }
}

ResolvedNode Reconciler::resolve(const Node& node, const Identity& identity, const EnvironmentValues& environment) {
    ResolvedNode resolved{node, identity, {}, nullptr};
    switch (node.kind()) {
    case NodeKind::component:
        resolveView(node.data<ComponentData>(), resolved, environment);
        return resolved;
    case NodeKind::representable:
        resolveHostedView(node.data<RepresentableData>(), resolved, environment);
        return resolved;
    case NodeKind::asyncImage: {
        const auto& data = node.data<AsyncImageData>();
        auto& record = mount<ImageLoadRecord>(identity, typeid(ImageLoadRecord));
        record.update(data, hooks_.invalidate);
        if (data.content)
            resolved.children.push_back(
                resolve(data.content(record.phase()), identity.child(Identity::Part::content), environment));
        return resolved;
    }
    case NodeKind::scrollReader:
        if (const auto& content = node.data<ScrollReaderData>().content)
            resolved.children.push_back(resolve(content(ScrollViewProxy(hooks_.scrollController, identity)),
                                                identity.child(Identity::Part::content), environment));
        return resolved;
    case NodeKind::transition: {
        auto& record = mount<TransitionRecord>(identity, typeid(TransitionRecord));
        const auto& child = node.children().front();
        resolved.children.push_back(resolve(child, identity.child(child, 0), environment));
        transitions_->arrive(identity, record, resolved);
        return resolved;
    }
    case NodeKind::identified: {
        // The id names the identity of everything below, wherever the node stands.
        Identity::ExplicitId id{node.data<IdentifiedData>().id};
        resolved.children.push_back(resolve(node.children().front(), identity.child(std::move(id)), environment));
        return resolved;
    }
    case NodeKind::environment: {
        EnvironmentValues changed = environment;
        if (const auto& change = node.data<EnvironmentData>().change) change(changed);
        const auto& child = node.children().front();
        resolved.children.push_back(resolve(child, identity.child(child, 0), changed));
        return resolved;
    }
    case NodeKind::lifecycle:
        mount<LifecycleRecord>(identity, typeid(LifecycleRecord)).update(node.data<Lifecycle>(), pending_);
        break;
    case NodeKind::scroll:
        resolved.scrollOffset = mount<ScrollRecord>(identity, typeid(ScrollRecord)).offset;
        break;
    default:
        break;
    }
    resolveChildren(node, resolved, environment);
    return resolved;
}

void Reconciler::resolveChildren(const Node& node, ResolvedNode& resolved, const EnvironmentValues& environment) {
    const auto& children = node.children();
    for (std::size_t index = 0; index < children.size(); ++index)
        resolved.children.push_back(
            resolve(children[index], resolved.identity.child(children[index], index), environment));
    transitions_->insertLeaving(resolved.identity, resolved);
}

void Reconciler::resolveView(const ComponentData& data, ResolvedNode& resolved, const EnvironmentValues& environment) {
    auto& record = mount<ViewRecord>(resolved.identity, data.type);
    const auto& view = data.view;
    if (record.view && record.view != view) {
        // The new value of the view takes over the state of the previous one.
        view->adoptStateFrom(*record.view);
        record.view->setInvalidationHandler(nullptr);
    }
    record.view = view;
    view->setInvalidationHandler(hooks_.invalidate);
    record.subscriptions = view->subscribe(hooks_.invalidate);
    view->setEnvironment(environment);
    resolved.children.push_back(resolve(view->body(), resolved.identity.child(Identity::Part::body), environment));
}

void Reconciler::resolveHostedView(const RepresentableData& data, ResolvedNode& resolved,
                                   const EnvironmentValues& environment) {
    auto& record = mount<HostedViewRecord>(resolved.identity, data.type);
    if (!record.view) {
        record.coordinator = data.representable->makeCoordinatorErased();
        record.view = data.representable->makeViewErased(record.coordinator, environment);
        if (auto container = container_.lock(); container && record.view) container->addSubview(record.view);
    }
    if (record.view) data.representable->updateViewErased(record.view, record.coordinator, environment);
    resolved.hostedView = record.view;
}

}  // namespace ui
