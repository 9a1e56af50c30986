#pragma once

namespace kestrelvault {

// Hands memory the process has freed back to the system. A reader calls it once a large
// parsed file is gone: the allocator keeps freed blocks for the thread that freed them,
// so without it every parse would add to the peak of a load. Any thread.
void returnFreedMemoryToTheSystem();

}  // namespace kestrelvault
