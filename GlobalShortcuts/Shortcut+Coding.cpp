#include "GlobalShortcuts/Shortcut.hpp"

#include <nlohmann/json.hpp>
#include <simdjson.h>

namespace GlobalShortcuts {

std::string Shortcut::encodeJSON() const {
    nlohmann::ordered_json object;
    object["carbonKeyCode"] = carbonKeyCode;
    object["carbonModifiers"] = carbonModifiers;
    return object.dump();
}

foundation::Expected<Shortcut> Shortcut::decodeJSON(std::string_view json) {
    auto fail = [](std::string reason) { return foundation::Failure{std::move(reason)}; };
    simdjson::dom::parser parser;
    simdjson::padded_string padded(json);
    simdjson::dom::element root;
    if (auto parseError = parser.parse(padded).get(root)) return fail(simdjson::error_message(parseError));
    simdjson::dom::object object;
    if (root.get(object)) return fail("the value is not an object");
    std::int64_t members[2] = {0, 0};
    const char* names[2] = {"carbonKeyCode", "carbonModifiers"};
    for (int index = 0; index < 2; ++index) {
        simdjson::dom::element member;
        if (object[names[index]].get(member)) return fail(std::string("no member \"") + names[index] + "\"");
        if (member.get_int64().get(members[index]))
            return fail(std::string("member \"") + names[index] + "\" is not an integer");
    }
    return Shortcut(Unnormalised{}, members[0], members[1]);
}

}  // namespace GlobalShortcuts
