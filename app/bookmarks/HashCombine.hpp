#pragma once

#include <cstddef>

namespace kestrelvault {

// Mixes one more field's hash into a running hash (the usual golden-ratio combine).
inline void hashCombine(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

}  // namespace kestrelvault
