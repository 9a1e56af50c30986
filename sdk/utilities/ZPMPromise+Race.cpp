#include "sdk/utilities/ZPMPromise.hpp"
#include "sdk/utilities/ZPMPromiseBlockForm.hpp"

#include "platform/foundation/Exception.hpp"

ZPMPromise::Ptr ZPMPromise::onQueueRace(dispatch::QueuePtr queue, ArrayPtr racePromises) {
    if (auto invalid = invalidParametersPromise({{queue != nullptr, "queue"}})) return invalid;
    if (!racePromises || racePromises->count() == 0) {
        foundation::AssertionHandler::handleFailure("No promises to observe");
        return invalidParameterPromise("No promises to observe");
    }
    return onQueueAsync(queue, [queue, items = racePromises->items()](FulfillBlock fulfill, RejectBlock reject) {
        for (const auto& item : items) {
            if (!std::dynamic_pointer_cast<ZPMPromise>(item)) {
                fulfill(item);
                return;
            }
        }
        for (const auto& item : items)
            std::static_pointer_cast<ZPMPromise>(item)->observeOnQueue(queue, fulfill, reject);
    });
}

ZPMPromise::Ptr ZPMPromise::race(ArrayPtr racePromises) {
    return onQueueRace(defaultDispatchQueue(), std::move(racePromises));
}

std::function<ZPMPromise::Ptr(ZPMPromise::ArrayPtr)> ZPMPromise::race() {
    return ZPMPromiseBlockForm(&ZPMPromise::race);
}

std::function<ZPMPromise::Ptr(dispatch::QueuePtr, ZPMPromise::ArrayPtr)> ZPMPromise::raceOn() {
    return ZPMPromiseBlockForm(&ZPMPromise::onQueueRace);
}
