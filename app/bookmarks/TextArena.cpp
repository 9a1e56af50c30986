#include "app/bookmarks/TextArena.hpp"

#include <cstring>

namespace kestrelvault {

std::string_view TextArena::store(std::string_view text) {
    static constexpr char emptyText[] = "";
    if (text.empty()) return std::string_view(emptyText, 0);  // never a null view
    char* target;
    if (text.size() > blockSize_ / 4) {  // a long text gets a block of its own
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(text.size()));
        target = blocks_.back().get();
    } else {
        if (left_ < text.size()) {
            blocks_.push_back(std::make_unique_for_overwrite<char[]>(blockSize_));
            next_ = blocks_.back().get();
            left_ = blockSize_;
        }
        target = next_;
        next_ += text.size();
        left_ -= text.size();
    }
    std::memcpy(target, text.data(), text.size());
    return std::string_view(target, text.size());
}

}  // namespace kestrelvault
