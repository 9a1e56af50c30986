#include "app/bookmarks/FreedMemory.hpp"

#include <malloc.h>

namespace kestrelvault {

// Under a sanitizer the sanitizer's own allocator holds the memory, so trimming glibc's
// arenas frees nothing, and concurrent trims from two readers have crashed there.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
void returnFreedMemoryToTheSystem() {}
void keepLargeBlocksOutOfTheHeap() {}
#else
void returnFreedMemoryToTheSystem() { malloc_trim(0); }
// glibc's own starting bound. Setting it also fixes the heaps' trim threshold, so the free
// top of a thread's heap goes back too, which malloc_trim leaves alone.
void keepLargeBlocksOutOfTheHeap() { mallopt(M_MMAP_THRESHOLD, 128 * 1024); }
#endif

}  // namespace kestrelvault
