#include "platform/objc/Class.hpp"

#include <memory>
#include <unordered_map>
#include <utility>

namespace objc {

class ClassRegistry {
public:
    static ClassRegistry& shared() {
        static ClassRegistry registry;
        return registry;
    }

    Class* allocate(Class* superclass, std::string_view name, std::size_t extraBytes) {
        std::size_t size = (superclass ? superclass->instanceSize() : sizeof(void*)) + extraBytes;
        auto classes = classes_.lock();
        std::string key(name);
        if (classes->byName.count(key) || classes->pendingNames.count(key)) return nullptr;
        return classes->add(std::unique_ptr<Class>(new Class(key, superclass, size)));
    }

    void registerClass(Class* runtimeClass) { classes_.lock()->registerPending(runtimeClass); }

    // Finds or creates and registers in one step, so that threads defining the same class
    // at once all get it (a pending allocation by another thread is not visible by name).
    Class* define(std::string_view name, Class* superclass) {
        std::size_t size = superclass->instanceSize();
        auto classes = classes_.lock();
        std::string key(name);
        if (auto found = classes->byName.find(key); found != classes->byName.end())
            return found->second->superclass() == superclass ? found->second : nullptr;
        if (classes->pendingNames.count(key)) return nullptr;
        Class* handle = classes->add(std::unique_ptr<Class>(new Class(key, superclass, size)));
        classes->registerPending(handle);
        return handle;
    }

    std::vector<Class*> registered() {
        auto classes = classes_.lock();
        std::vector<Class*> list;
        for (const auto& [name, runtimeClass] : classes->byName) list.push_back(runtimeClass);
        return list;
    }

    Class* find(std::string_view name) {
        auto classes = classes_.lock();
        auto found = classes->byName.find(std::string(name));
        return found == classes->byName.end() ? nullptr : found->second;
    }

private:
    struct Classes {
        std::vector<std::unique_ptr<Class>> owned;
        std::unordered_map<std::string, Class*> byName;
        std::unordered_map<std::string, Class*> pendingNames;

        // Allocated, not yet visible by name.
        Class* add(std::unique_ptr<Class> runtimeClass) {
            Class* handle = runtimeClass.get();
            owned.push_back(std::move(runtimeClass));
            pendingNames.emplace(handle->name(), handle);
            return handle;
        }
        void registerPending(Class* runtimeClass) {
            auto pending = pendingNames.find(runtimeClass->name());
            if (pending == pendingNames.end() || pending->second != runtimeClass) return;
            pendingNames.erase(pending);
            runtimeClass->registered_.store(true);
            byName.emplace(runtimeClass->name(), runtimeClass);
        }
    };
    Guarded<Classes> classes_;
};

Class::Class(std::string name, Class* superclass, std::size_t instanceSize)
    : name_(std::move(name)), superclass_(superclass), tables_(Tables{instanceSize, {}, {}, {}, {}}) {}

std::size_t Class::instanceSize() const { return tables_.lock()->instanceSize; }

bool Class::addMethod(std::string_view selector, Implementation implementation, std::string_view typeEncoding) {
    auto tables = tables_.lock();
    if (tables->instanceMethods.find(selector) != tables->instanceMethods.end()) return false;
    tables->instanceMethods.emplace(std::string(selector),
                                    Method{std::string(selector), std::string(typeEncoding), std::move(implementation)});
    return true;
}

bool Class::addClassMethod(std::string_view selector, Implementation implementation, std::string_view typeEncoding) {
    auto tables = tables_.lock();
    if (tables->classMethods.find(selector) != tables->classMethods.end()) return false;
    tables->classMethods.emplace(std::string(selector),
                                 Method{std::string(selector), std::string(typeEncoding), std::move(implementation)});
    return true;
}

Implementation Class::replaceIn(MethodTable& methods, std::string_view selector, Implementation implementation,
                                std::string_view typeEncoding) {
    auto found = methods.find(selector);
    if (found == methods.end()) {
        methods.emplace(std::string(selector),
                        Method{std::string(selector), std::string(typeEncoding), std::move(implementation)});
        return {};
    }
    return std::exchange(found->second.implementation, std::move(implementation));
}

Implementation Class::replaceMethod(std::string_view selector, Implementation implementation,
                                    std::string_view typeEncoding) {
    return replaceIn(tables_.lock()->instanceMethods, selector, std::move(implementation), typeEncoding);
}

Implementation Class::replaceClassMethod(std::string_view selector, Implementation implementation,
                                         std::string_view typeEncoding) {
    return replaceIn(tables_.lock()->classMethods, selector, std::move(implementation), typeEncoding);
}

// Each class along the chain is looked at under its own lock; a method found is copied out.
bool Class::findInstanceMethod(std::string_view selector, Method& method) const {
    for (const Class* current = this; current; current = current->superclass_) {
        auto tables = current->tables_.lock();
        auto found = tables->instanceMethods.find(selector);
        if (found != tables->instanceMethods.end()) {
            method = found->second;
            return true;
        }
    }
    return false;
}

bool Class::findClassMethod(std::string_view selector, Method& method) const {
    for (const Class* current = this; current; current = current->superclass_) {
        auto tables = current->tables_.lock();
        auto found = tables->classMethods.find(selector);
        if (found != tables->classMethods.end()) {
            method = found->second;
            return true;
        }
    }
    return false;
}

std::vector<std::string> Class::instanceMethodSelectors() const {
    auto tables = tables_.lock();
    std::vector<std::string> selectors;
    for (const auto& [selector, method] : tables->instanceMethods) selectors.push_back(selector);
    return selectors;
}

void Class::addProtocol(std::string_view protocol) { tables_.lock()->protocols.emplace(protocol); }

bool Class::conformsToProtocol(std::string_view protocol) const {
    for (const Class* current = this; current; current = current->superclass_) {
        auto tables = current->tables_.lock();
        if (tables->protocols.find(protocol) != tables->protocols.end()) return true;
    }
    return false;
}

bool Class::addIvar(std::string_view name, std::size_t size, std::uint8_t alignment, std::string_view typeEncoding) {
    auto tables = tables_.lock();
    if (registered_.load()) return false;  // the platform refuses ivars once a class is registered
    if (alignment >= 16) return false;
    for (const auto& ivar : tables->ivars)
        if (ivar.name == name) return false;
    std::size_t boundary = std::size_t{1} << alignment;
    std::size_t offset = (tables->instanceSize + boundary - 1) / boundary * boundary;
    tables->ivars.push_back(Ivar{std::string(name), std::string(typeEncoding), offset, size});
    tables->instanceSize = offset + size;
    return true;
}

std::vector<const Ivar*> Class::ivars() const {
    auto tables = tables_.lock();
    std::vector<const Ivar*> list;
    for (const auto& ivar : tables->ivars) list.push_back(&ivar);
    return list;
}

bool Class::isSubclassOf(const Class* other) const {
    for (const Class* current = this; current; current = current->superclass_)
        if (current == other) return true;
    return false;
}

Class* rootClass() {
    static Class* root = [] {
        Class* created = allocateClassPair(nullptr, "NSObject");
        registerClassPair(created);
        return created;
    }();
    return root;
}

Class* lookUpClass(std::string_view name) {
    rootClass();
    return ClassRegistry::shared().find(name);
}

Class* allocateClassPair(Class* superclass, std::string_view name, std::size_t extraBytes) {
    return ClassRegistry::shared().allocate(superclass, name, extraBytes);
}

void registerClassPair(Class* runtimeClass) {
    if (runtimeClass) ClassRegistry::shared().registerClass(runtimeClass);
}

std::vector<Class*> copyClassList() {
    rootClass();
    return ClassRegistry::shared().registered();
}

Class* defineClass(std::string_view name, Class* superclass) {
    if (!superclass) superclass = rootClass();
    return ClassRegistry::shared().define(name, superclass);
}

}  // namespace objc
