// The simulated dongle on a new pseudo-terminal: one thread blocked in poll()
// on the master and an eventfd (stop), with a timeout to the next due event.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "sim/dongle/dongle_core.h"

namespace orvex::sim::dongle {

class PtyDongle {
public:
    // Throws std::runtime_error when the terminal cannot be made.
    PtyDongle(DongleOptions options, const Options &base);
    ~PtyDongle();
    PtyDongle(const PtyDongle &) = delete;
    PtyDongle &operator=(const PtyDongle &) = delete;

    const std::string &slavePath() const { return slavePath_; }
    // The name a host opens it by: the terminal followed by " BT".
    std::string portName() const { return slavePath_ + " BT"; }
    DongleCore &core() { return core_; }

    void stop();

private:
    void run();

    DongleCore core_;
    int master_ = -1;
    int slaveHold_ = -1;
    int wakeFd_ = -1;
    std::string slavePath_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace orvex::sim::dongle
