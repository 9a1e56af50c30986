#pragma once

#include <plist/plist.h>

#include <string>

namespace foundation::keyedarchive {

// The layout of a keyed archive, a binary property list:
//   { "$archiver": "NSKeyedArchiver", "$version": 100000, "$top": { "root": <object> } }
// where every object is { "$class": <runtime class name>, "$fields": { <key>: <value> } } and
// a value is an object, an integer, a real or a Boolean.
inline constexpr const char* archiverKey = "$archiver";
inline constexpr const char* archiverName = "NSKeyedArchiver";
inline constexpr const char* versionKey = "$version";
inline constexpr unsigned version = 100000;
inline constexpr const char* topKey = "$top";
inline constexpr const char* rootKey = "root";
inline constexpr const char* classKey = "$class";
inline constexpr const char* fieldsKey = "$fields";

// Fields of the built-in classes.
inline constexpr const char* stringField = "NS.string";
inline constexpr const char* numberKindField = "NS.kind";
inline constexpr const char* numberValueField = "NS.value";
inline constexpr const char* dataField = "NS.data";
// Dates: seconds since the reference date, as the date keeps them; archives written before
// hold seconds since 1970 under "NS.time" instead.
inline constexpr const char* referenceTimeField = "NS.referenceTime";
inline constexpr const char* timeSince1970Field = "NS.time";
inline constexpr const char* objectsField = "NS.objects";
inline constexpr const char* entriesField = "NS.entries";

// Owns a property-list node tree and frees it with the object.
class Node {
public:
    explicit Node(plist_t node = nullptr) : node_(node) {}
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;
    ~Node() {
        if (node_) plist_free(node_);
    }
    plist_t get() const { return node_; }
    plist_t release() {
        plist_t node = node_;
        node_ = nullptr;
        return node;
    }

private:
    plist_t node_;
};

}  // namespace foundation::keyedarchive
