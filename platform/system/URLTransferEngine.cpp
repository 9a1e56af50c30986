#include "platform/system/URLTransferEngine.hpp"

#include "platform/foundation/Dispatch.hpp"
#include "platform/foundation/Guarded.hpp"
#include "platform/system/URLTransfer.hpp"

#include <curl/curl.h>

#include <map>
#include <mutex>
#include <vector>

namespace foundation {

namespace {

struct EngineState {
    std::vector<std::shared_ptr<URLTransfer>> pending;
    bool loopRunning = false;
    // The running loop's multi handle, published so other threads can wake it.
    CURLM* multi = nullptr;
};

Guarded<EngineState>& state() {
    static Guarded<EngineState> engineState;
    return engineState;
}

void initializeCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Runs until no transfer is left; then the next add() starts a new loop.
void runLoop() {
    CURLM* multi = curl_multi_init();
    state().lock()->multi = multi;
    std::map<CURL*, std::shared_ptr<URLTransfer>> active;
    for (;;) {
        std::vector<std::shared_ptr<URLTransfer>> arrived;
        {
            auto engine = state().lock();
            arrived.swap(engine->pending);
            if (arrived.empty() && active.empty()) {
                engine->loopRunning = false;
                engine->multi = nullptr;
                break;
            }
        }
        for (auto& transfer : arrived) {
            if (CURL* handle = transfer->prepare()) {
                curl_multi_add_handle(multi, handle);
                active.emplace(handle, std::move(transfer));
            }
        }
        int running = 0;
        curl_multi_perform(multi, &running);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg != CURLMSG_DONE) continue;
            CURL* handle = message->easy_handle;
            CURLcode result = message->data.result;
            curl_multi_remove_handle(multi, handle);
            auto found = active.find(handle);
            if (found == active.end()) continue;
            auto transfer = std::move(found->second);
            active.erase(found);
            transfer->finish(result);
        }
        if (!active.empty()) curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    curl_multi_cleanup(multi);
}

}  // namespace

void URLTransferEngine::add(std::shared_ptr<URLTransfer> transfer) {
    initializeCurlOnce();
    auto engine = state().lock();
    engine->pending.push_back(std::move(transfer));
    if (engine->loopRunning) {
        if (engine->multi) curl_multi_wakeup(engine->multi);
        return;
    }
    engine->loopRunning = true;
    dispatch::globalQueue(dispatch::Priority::utility)->async(runLoop);
}

void URLTransferEngine::wakeUp() {
    auto engine = state().lock();
    if (engine->multi) curl_multi_wakeup(engine->multi);
}

}  // namespace foundation
