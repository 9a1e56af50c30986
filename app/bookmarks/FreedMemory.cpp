#include "app/bookmarks/FreedMemory.hpp"

#include <malloc.h>

namespace kestrelvault {

void returnFreedMemoryToTheSystem() { malloc_trim(0); }

}  // namespace kestrelvault
