#pragma once

namespace kestrelvault {

// Hands memory the process has freed back to the system. A reader calls it once a large
// parsed file is gone: the allocator keeps freed blocks for the thread that freed them,
// so without it every parse would add to the peak of a load. Any thread.
void returnFreedMemoryToTheSystem();

// From now on every block of 256 KiB or more (a file's text, a parse, a list's storage)
// gets pages of its own, which go back to the system when it is freed. Left alone, the
// allocator raises that bound to the largest block freed so far, so once a parse is freed
// the next ones are carved from heaps that keep their pages. Process-wide; any thread;
// idempotent.
void keepLargeBlocksOutOfTheHeap();

}  // namespace kestrelvault
