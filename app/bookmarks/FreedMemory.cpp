#include "app/bookmarks/FreedMemory.hpp"

#include <malloc.h>

namespace kestrelvault {

// Under a sanitizer the sanitizer's own allocator holds the memory, so trimming glibc's
// arenas frees nothing, and concurrent trims from two readers have crashed there.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
void returnFreedMemoryToTheSystem() {}
#else
void returnFreedMemoryToTheSystem() { malloc_trim(0); }
#endif

}  // namespace kestrelvault
