// A simulated reader in USB keyboard (HID) mode, in the simulated-device
// folder the host's ORVEX_HID_SIM_DIR names: NAME.ini describes the device,
// the listening SOCK_SEQPACKET socket NAME.sock carries its reports (one
// message = one report; host -> device with report ID 0 in front, device ->
// host without). Tunnelled frames go to the reader core; report-level
// commands answer from its key table.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "sim/hid/hid_options.h"
#include "sim/reader_core.h"

namespace orvex::sim::hid {

class HidReader {
public:
    // Writes NAME.ini, listens on NAME.sock and serves one host at a time.
    // `restarted` runs on the reader's thread after the answer to a restart
    // left. Throws std::runtime_error when the folder cannot take the device.
    HidReader(ReaderCore &core, HidOptions options, std::function<void()> restarted = {});
    ~HidReader();
    HidReader(const HidReader &) = delete;
    HidReader &operator=(const HidReader &) = delete;

    const std::string &socketPath() const { return socketPath_; }
    // Unplugs: closes the host's connection and removes NAME.ini and NAME.sock. Idempotent.
    void stop();

private:
    void run();
    void handleReport(const std::uint8_t *report, std::size_t length);
    void handleCommand(const std::uint8_t *payload, std::size_t length);
    void sendPayload(const std::uint8_t *data, std::size_t length);
    // The key-table faults of the options; true when the reader is to go away now.
    void delayKeyAnswer();
    bool unplugDue();
    void leave();

    ReaderCore &core_;
    const HidOptions options_;
    const std::function<void()> restarted_;
    std::string iniPath_;
    std::string socketPath_;
    int listener_ = -1;
    int connection_ = -1;  // thread-owned
    int wakeFd_ = -1;
    std::atomic<bool> stopping_{false};
    int keyQueries_ = 0;  // thread-owned, like the counter below
    int keyCommands_ = 0;
    std::thread thread_;
};

}  // namespace orvex::sim::hid
