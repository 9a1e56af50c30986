#include "platform/foundation/Format.hpp"

#include <cmath>
#include <cstdio>
#include <limits>

namespace foundation {

namespace {

std::string describe(const FormatArgument::Value& value) {
    if (auto* object = std::get_if<objc::Id>(&value)) return *object ? (*object)->description() : "(null)";
    if (auto* text = std::get_if<std::string>(&value)) return *text;
    if (auto* integer = std::get_if<std::int64_t>(&value)) return std::to_string(*integer);
    if (auto* unsignedInteger = std::get_if<std::uint64_t>(&value)) return std::to_string(*unsignedInteger);
    if (auto* real = std::get_if<double>(&value)) return std::to_string(*real);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%p", std::get<const void*>(value));
    return buffer;
}

long long asSigned(const FormatArgument::Value& value) {
    if (auto* integer = std::get_if<std::int64_t>(&value)) return *integer;
    if (auto* unsignedInteger = std::get_if<std::uint64_t>(&value)) return static_cast<long long>(*unsignedInteger);
    if (auto* real = std::get_if<double>(&value)) {
        // Converting an out-of-range double is undefined; saturate as the platform prints.
        if (std::isnan(*real)) return 0;
        if (*real >= 9.2233720368547758e18) return std::numeric_limits<long long>::max();
        if (*real <= -9.2233720368547758e18) return std::numeric_limits<long long>::min();
        return static_cast<long long>(*real);
    }
    if (auto* pointer = std::get_if<const void*>(&value)) return reinterpret_cast<long long>(*pointer);
    return 0;
}

double asDouble(const FormatArgument::Value& value) {
    if (auto* real = std::get_if<double>(&value)) return *real;
    return static_cast<double>(asSigned(value));
}

// Applies a C conversion with its flags, width and precision (length modifiers dropped).
template <class T>
std::string printfOne(const std::string& directive, T argument) {
    int length = std::snprintf(nullptr, 0, directive.c_str(), argument);
    if (length < 0) return {};
    std::string result(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(result.data(), result.size(), directive.c_str(), argument);
    result.resize(static_cast<std::size_t>(length));
    return result;
}

}  // namespace

std::string formatWithArguments(std::string_view format, std::span<const FormatArgument> arguments) {
    std::string output;
    std::size_t next = 0;
    auto take = [&]() -> const FormatArgument::Value* {
        return next < arguments.size() ? &arguments[next++].value() : nullptr;
    };
    for (std::size_t index = 0; index < format.size(); ++index) {
        char character = format[index];
        if (character != '%') {
            output += character;
            continue;
        }
        std::size_t start = index++;
        // flags, width, precision
        std::string flagsAndWidth;
        while (index < format.size() && std::string_view("-+ #0123456789.").find(format[index]) != std::string_view::npos)
            flagsAndWidth += format[index++];
        while (index < format.size() && std::string_view("hlqzjtL").find(format[index]) != std::string_view::npos)
            ++index;
        if (index >= format.size()) {
            output += format.substr(start);
            break;
        }
        char conversion = format[index];
        if (conversion == '%') {
            output += '%';
            continue;
        }
        const FormatArgument::Value* argument = take();
        std::string directive = "%" + flagsAndWidth;
        switch (conversion) {
        case '@':
        case 's':
            output += argument ? printfOne(directive + "s", describe(*argument).c_str()) : std::string();
            break;
        case 'd':
        case 'i':
            output += argument ? printfOne(directive + "lld", asSigned(*argument)) : std::string();
            break;
        case 'u':
        case 'x':
        case 'X':
        case 'o':
            output += argument ? printfOne(directive + "ll" + conversion,
                                           static_cast<unsigned long long>(asSigned(*argument)))
                               : std::string();
            break;
        case 'c':
            output += argument ? printfOne(directive + "c", static_cast<int>(asSigned(*argument))) : std::string();
            break;
        case 'f':
        case 'F':
        case 'g':
        case 'G':
        case 'e':
        case 'E':
        case 'a':
        case 'A':
            output += argument ? printfOne(directive + conversion, asDouble(*argument)) : std::string();
            break;
        case 'p':
            if (argument) {
                const void* pointer = nullptr;
                if (auto* raw = std::get_if<const void*>(argument))
                    pointer = *raw;
                else if (auto* object = std::get_if<objc::Id>(argument))
                    pointer = object->get();
                else
                    pointer = reinterpret_cast<const void*>(asSigned(*argument));
                output += printfOne(directive + "p", pointer);
            }
            break;
        default:
            output += format.substr(start, index - start + 1);
            break;
        }
    }
    return output;
}

}  // namespace foundation
