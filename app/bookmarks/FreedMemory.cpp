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
// Fixing the bound also keeps the heaps' trim threshold at its default, so a thread heap's
// free top goes back, which malloc_trim leaves alone. Smaller blocks stay in the heaps:
// mapping each one takes the address space's lock from the threads faulting pages in.
void keepLargeBlocksOutOfTheHeap() { mallopt(M_MMAP_THRESHOLD, 256 * 1024); }
#endif

}  // namespace kestrelvault
