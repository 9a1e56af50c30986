#pragma once

#include <plist/plist.h>

namespace foundation {

// Dates in the property-list library's nodes, to the bit. The library keeps a date as the
// seconds since 2001 (a double) but hands it out and takes it in only as whole seconds and
// microseconds, truncated, so a value read and written back through that interface drifts
// by a microsecond and loses the sign of dates in the second before 2001. These go through
// the binary form of a one-object list instead, which holds the double itself. Stateless;
// any thread.
class PropertyListDate {
public:
    // The seconds since 2001-01-01 00:00:00 UTC that a date node holds.
    static double interval(plist_t node);
    // A new date node holding exactly these seconds since 2001; the caller owns it.
    static plist_t makeNode(double secondsSinceReferenceDate);
};

}  // namespace foundation
