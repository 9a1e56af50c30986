#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace desktop {

// Starts the program with this process's environment, the extra entries replacing those of
// the same name. Its input comes from the given descriptor (or /dev/null), its output and
// error go to the given ones (or /dev/null), and the descriptor passed on stays open in it as
// number 3. The process, or -1 when it could not start.
pid_t spawnProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnvironment,
                   int input, int output, int error, int passedOn = -1);

// A pipe whose ends close on exec unless handed to a child explicitly.
bool makePipe(int ends[2]);

}  // namespace desktop
