// A request to stop "Programmieren" at the next write boundary. A signal
// handler of the command line sets it; the sheets look at it before each
// step, so a reader is never left with a block written half-way, and the
// run names the parts it wrote.
#pragma once

#include <string>
#include <vector>

namespace orvex::app {

// Async-signal-safe: only stores the number.
void requestProgrammingStop(int signal);
// The signal that asked for the stop, 0 when nobody did.
int programmingStopSignal();
void clearProgrammingStop();

// What a stopped run tells: the signal, the parts written (by write name),
// and the backup that puts the reader back (none when empty).
std::string programmingStoppedText(int signal, const std::vector<std::string> &written,
                                   const std::string &backupPath);

}  // namespace orvex::app
