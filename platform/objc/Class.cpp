#include "platform/objc/Class.hpp"

#include <memory>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>
#include <utility>

namespace objc {

namespace {

std::shared_mutex& tableLock() {
    static std::shared_mutex lock;
    return lock;
}

}  // namespace

class ClassRegistry {
public:
    static ClassRegistry& shared() {
        static ClassRegistry registry;
        return registry;
    }

    Class* allocate(Class* superclass, std::string_view name, std::size_t extraBytes) {
        std::lock_guard lock(mutex_);
        std::string key(name);
        if (byName_.count(key) || pendingNames_.count(key)) return nullptr;
        std::size_t size = (superclass ? superclass->instanceSize() : sizeof(void*)) + extraBytes;
        auto runtimeClass = std::unique_ptr<Class>(new Class(key, superclass, size));
        Class* handle = runtimeClass.get();
        owned_.push_back(std::move(runtimeClass));
        pendingNames_.emplace(key, handle);
        return handle;
    }

    void registerClass(Class* runtimeClass) {
        std::lock_guard lock(mutex_);
        registerLocked(runtimeClass);
    }

    // Finds or creates and registers in one step, so that threads defining the same class
    // at once all get it (a pending allocation by another thread is not visible by name).
    Class* define(std::string_view name, Class* superclass) {
        std::lock_guard lock(mutex_);
        std::string key(name);
        if (auto found = byName_.find(key); found != byName_.end())
            return found->second->superclass() == superclass ? found->second : nullptr;
        if (pendingNames_.count(key)) return nullptr;
        auto runtimeClass = std::unique_ptr<Class>(new Class(key, superclass, superclass->instanceSize()));
        Class* handle = runtimeClass.get();
        owned_.push_back(std::move(runtimeClass));
        pendingNames_.emplace(key, handle);
        registerLocked(handle);
        return handle;
    }

    std::vector<Class*> registered() {
        std::lock_guard lock(mutex_);
        std::vector<Class*> list;
        for (const auto& [name, runtimeClass] : byName_) list.push_back(runtimeClass);
        return list;
    }

    Class* find(std::string_view name) {
        std::lock_guard lock(mutex_);
        auto found = byName_.find(std::string(name));
        return found == byName_.end() ? nullptr : found->second;
    }

private:
    void registerLocked(Class* runtimeClass) {
        auto pending = pendingNames_.find(runtimeClass->name());
        if (pending == pendingNames_.end() || pending->second != runtimeClass) return;
        pendingNames_.erase(pending);
        runtimeClass->registered_.store(true);
        byName_.emplace(runtimeClass->name(), runtimeClass);
    }

    std::mutex mutex_;
    std::vector<std::unique_ptr<Class>> owned_;
    std::unordered_map<std::string, Class*> byName_;
    std::unordered_map<std::string, Class*> pendingNames_;
};

Class::Class(std::string name, Class* superclass, std::size_t instanceSize)
    : name_(std::move(name)), superclass_(superclass), instanceSize_(instanceSize) {}

std::size_t Class::instanceSize() const {
    std::shared_lock lock(tableLock());
    return instanceSize_;
}

bool Class::addMethod(std::string_view selector, Implementation implementation, std::string_view typeEncoding) {
    std::unique_lock lock(tableLock());
    if (instanceMethods_.find(selector) != instanceMethods_.end()) return false;
    instanceMethods_.emplace(std::string(selector),
                             Method{std::string(selector), std::string(typeEncoding), std::move(implementation)});
    return true;
}

bool Class::addClassMethod(std::string_view selector, Implementation implementation, std::string_view typeEncoding) {
    std::unique_lock lock(tableLock());
    if (classMethods_.find(selector) != classMethods_.end()) return false;
    classMethods_.emplace(std::string(selector),
                          Method{std::string(selector), std::string(typeEncoding), std::move(implementation)});
    return true;
}

namespace {

Implementation replaceIn(std::map<std::string, Method, std::less<>>& methods, std::string_view selector,
                         Implementation implementation, std::string_view typeEncoding) {
    std::unique_lock lock(tableLock());
    auto found = methods.find(selector);
    if (found == methods.end()) {
        methods.emplace(std::string(selector),
                        Method{std::string(selector), std::string(typeEncoding), std::move(implementation)});
        return {};
    }
    return std::exchange(found->second.implementation, std::move(implementation));
}

}  // namespace

Implementation Class::replaceMethod(std::string_view selector, Implementation implementation,
                                    std::string_view typeEncoding) {
    return replaceIn(instanceMethods_, selector, std::move(implementation), typeEncoding);
}

Implementation Class::replaceClassMethod(std::string_view selector, Implementation implementation,
                                         std::string_view typeEncoding) {
    return replaceIn(classMethods_, selector, std::move(implementation), typeEncoding);
}

bool Class::findInstanceMethod(std::string_view selector, Method& method) const {
    std::shared_lock lock(tableLock());
    for (const Class* current = this; current; current = current->superclass_) {
        auto found = current->instanceMethods_.find(selector);
        if (found != current->instanceMethods_.end()) {
            method = found->second;
            return true;
        }
    }
    return false;
}

bool Class::findClassMethod(std::string_view selector, Method& method) const {
    std::shared_lock lock(tableLock());
    for (const Class* current = this; current; current = current->superclass_) {
        auto found = current->classMethods_.find(selector);
        if (found != current->classMethods_.end()) {
            method = found->second;
            return true;
        }
    }
    return false;
}

std::vector<std::string> Class::instanceMethodSelectors() const {
    std::shared_lock lock(tableLock());
    std::vector<std::string> selectors;
    for (const auto& [selector, method] : instanceMethods_) selectors.push_back(selector);
    return selectors;
}

void Class::addProtocol(std::string_view protocol) {
    std::unique_lock lock(tableLock());
    protocols_.emplace(protocol);
}

bool Class::conformsToProtocol(std::string_view protocol) const {
    std::shared_lock lock(tableLock());
    for (const Class* current = this; current; current = current->superclass_)
        if (current->protocols_.find(protocol) != current->protocols_.end()) return true;
    return false;
}

bool Class::addIvar(std::string_view name, std::size_t size, std::uint8_t alignment, std::string_view typeEncoding) {
    std::unique_lock lock(tableLock());
    if (registered_.load()) return false;  // the platform refuses ivars once a class is registered
    if (alignment >= 16) return false;
    for (const auto& ivar : ivars_)
        if (ivar.name == name) return false;
    std::size_t boundary = std::size_t{1} << alignment;
    std::size_t offset = (instanceSize_ + boundary - 1) / boundary * boundary;
    ivars_.push_back(Ivar{std::string(name), std::string(typeEncoding), offset, size});
    instanceSize_ = offset + size;
    return true;
}

std::vector<const Ivar*> Class::ivars() const {
    std::shared_lock lock(tableLock());
    std::vector<const Ivar*> list;
    for (const auto& ivar : ivars_) list.push_back(&ivar);
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
