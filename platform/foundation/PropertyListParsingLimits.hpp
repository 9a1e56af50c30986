#pragma once

#include <cstddef>
#include <string_view>

namespace foundation {

// libplist parses (and frees) nested containers recursively, so a document nested deeply
// enough overflows the stack, and it copies a binary list's object once per reference.
// Callers check untrusted data first. Stateless; any thread.
inline constexpr std::size_t maximumPropertyListNesting = 512;

// True when libplist can parse the data without harm: every container lies at most
// `nestingLimit` containers deep and, for binary lists, the object table is sound, has no
// cycle and shares no containers in a way that multiplies the parsed size. XML is judged by
// counting its array and dictionary tags, which never undercounts.
bool propertyListWithinParsingLimits(std::string_view data, std::size_t nestingLimit = maximumPropertyListNesting);

}  // namespace foundation
