// The simulator executable as a child process, for tests that want the reader outside
// their own process (signals, crashes, separate state file).
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace orvex::sim {

class SimProcess {
public:
    // Starts `binary` with `args` and waits for the terminal path on its first output line.
    // Throws std::runtime_error when it cannot start or exits without printing one.
    SimProcess(const std::string &binary, const std::vector<std::string> &args);
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    const std::string &slavePath() const { return slavePath_; }
    pid_t pid() const { return pid_; }

    // Sends SIGTERM and reaps the child; returns its wait status (-1 when already stopped).
    int stop();

private:
    pid_t pid_ = -1;
    std::string slavePath_;
};

}  // namespace orvex::sim
