#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace kestrelvault {

// Texts copied once into large blocks that never move, so a million short texts cost a
// few hundred allocations and every view stays valid while the arena lives. One writer;
// readers of the stored texts may be on any thread once the writer is done.
class TextArena {
public:
    explicit TextArena(std::size_t blockSize = 256 * 1024) : blockSize_(blockSize) {}

    std::string_view store(std::string_view text);

private:
    std::size_t blockSize_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* next_ = nullptr;
    std::size_t left_ = 0;
};

}  // namespace kestrelvault
