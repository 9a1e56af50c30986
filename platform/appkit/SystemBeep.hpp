#pragma once

namespace appkit {

// The system beep. There is no speaker here: each beep is counted so that tests and the
// user-facing checks can see it happened. Main thread only.
void beep();
int beepCount();
void resetBeepCountForTesting();

}  // namespace appkit
