#pragma once

#include <source_location>

namespace dispatch {

// Checks a "main thread only" rule at the entry point that states it. Off the main thread
// it prints the caller's location and aborts, so a test or sanitizer run fails where the
// rule was broken instead of somewhere later. The check is a thread-id comparison and
// stays on in every build.
void checkMainThread(std::source_location caller = std::source_location::current());

class Queue;
// The same for a rule that says "on this queue only": the calling thread must be running
// work of the queue (at any depth, so a sync from it counts).
void checkOnQueue(const Queue& queue, std::source_location caller = std::source_location::current());

}  // namespace dispatch
