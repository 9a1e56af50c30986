#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// A binary property list whose objects are arrays of the given references, or the string
// "x" where the list is empty. Object 0 is the root; nothing checks the references, so
// cycles, shared objects and references past the end can all be written.
std::string binaryPlist(const std::vector<std::vector<std::uint32_t>>& objects);

// Objects for binaryPlist: a chain of `length` arrays, each holding `fanOut` references to
// the next, ending in a string. A fan-out of 2 expands to 2^length leaves when parsed.
std::vector<std::vector<std::uint32_t>> arrayChain(std::uint32_t length, std::uint32_t fanOut);

// A binary property list of objects given encoded (marker byte and contents, with one-byte
// references to other objects), for lists no writer would make. Object 0 is the root.
std::string binaryPlistOfEncodedObjects(const std::vector<std::string>& objects);

}  // namespace testsupport
