#include "platform/appkit/SystemBeep.hpp"

#include "platform/foundation/ProcessWide.hpp"
#include "platform/foundation/ThreadChecker.hpp"

namespace appkit {

namespace {
foundation::ProcessWide<int>& beeps() {
    static foundation::ProcessWide<int> count;
    return count;
}
}  // namespace

void beep() {
    dispatch::checkMainThread();
    ++*beeps().get();
}
int beepCount() { return *beeps().get(); }
void resetBeepCountForTesting() { beeps().reset(); }

}  // namespace appkit
