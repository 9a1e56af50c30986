#include "platform/appkit/SystemBeep.hpp"

#include "platform/foundation/ThreadChecker.hpp"

namespace appkit {

namespace {
int beeps = 0;
}

void beep() {
    dispatch::checkMainThread();
    ++beeps;
}
int beepCount() { return beeps; }
void resetBeepCountForTesting() { beeps = 0; }

}  // namespace appkit
