#include "platform/foundation/QueueContext.hpp"

#include <algorithm>
#include <vector>

namespace dispatch {

namespace {
thread_local std::vector<const Queue*> runningQueues;
}

QueueContext::Scope::Scope(const Queue& queue) { runningQueues.push_back(&queue); }

QueueContext::Scope::~Scope() { runningQueues.pop_back(); }

const Queue* QueueContext::current() { return runningQueues.empty() ? nullptr : runningQueues.back(); }

bool QueueContext::isRunning(const Queue& queue) {
    return std::find(runningQueues.begin(), runningQueues.end(), &queue) != runningQueues.end();
}

}  // namespace dispatch
