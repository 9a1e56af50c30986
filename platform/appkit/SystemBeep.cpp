#include "platform/appkit/SystemBeep.hpp"

namespace appkit {

namespace {
int beeps = 0;
}

void beep() { ++beeps; }
int beepCount() { return beeps; }
void resetBeepCountForTesting() { beeps = 0; }

}  // namespace appkit
