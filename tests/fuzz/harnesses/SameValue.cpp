#include "tests/fuzz/harnesses/SameValue.hpp"

#include "platform/foundation/Array.hpp"
#include "platform/foundation/Data.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/Dictionary.hpp"
#include "platform/foundation/Null.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"

#include <cmath>

namespace fuzzing {

namespace {

bool sameDouble(double left, double right) { return left == right || (std::isnan(left) && std::isnan(right)); }

bool sameNumber(const foundation::Number& left, const foundation::Number& right) {
    if (left.isBoolean() != right.isBoolean()) return false;
    if (left.kind() == foundation::Number::Kind::real || right.kind() == foundation::Number::Kind::real)
        return sameDouble(left.doubleValue(), right.doubleValue());
    return left.isEqual(right);
}

}  // namespace

bool sameValue(const objc::Id& left, const objc::Id& right) {
    if (!left || !right) return !left && !right;
    if (auto leftDictionary = foundation::dictionaryValue(left)) {
        auto rightDictionary = foundation::dictionaryValue(right);
        if (!rightDictionary || leftDictionary->count() != rightDictionary->count()) return false;
        for (const auto& [key, value] : leftDictionary->entries())
            if (!sameValue(value, rightDictionary->objectForKey(key))) return false;
        return true;
    }
    if (auto leftArray = foundation::arrayValue(left)) {
        auto rightArray = foundation::arrayValue(right);
        if (!rightArray || leftArray->count() != rightArray->count()) return false;
        for (std::size_t index = 0; index < leftArray->count(); ++index)
            if (!sameValue(leftArray->objectAtIndex(index), rightArray->objectAtIndex(index))) return false;
        return true;
    }
    if (auto leftNumber = foundation::numberValue(left)) {
        auto rightNumber = foundation::numberValue(right);
        return rightNumber && sameNumber(*leftNumber, *rightNumber);
    }
    if (auto leftDate = std::dynamic_pointer_cast<foundation::Date>(left)) {
        auto rightDate = std::dynamic_pointer_cast<foundation::Date>(right);
        return rightDate &&
               sameDouble(leftDate->timeIntervalSinceReferenceDate(), rightDate->timeIntervalSinceReferenceDate());
    }
    return left->isEqual(*right);  // strings, data, null
}

std::string describeDifference(const objc::Id& expected, const objc::Id& found) {
    auto shortened = [](const objc::Id& object) {
        auto text = object ? object->description() : std::string("nil");
        return text.size() > 200 ? text.substr(0, 200) + "..." : text;
    };
    return "expected " + shortened(expected) + ", found " + shortened(found);
}

}  // namespace fuzzing
