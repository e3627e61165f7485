// A switchable USB reader: it starts in HID keyboard mode in the simulated-
// device folder; a restart after its USB mode was set to virtual COM (0xFF 2,
// then 0xF6) makes it leave the folder and reappear on a pseudo-terminal, and
// the way back (0xFF 1, restart) makes it a HID device again. The reader's
// state goes along.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "sim/hid/hid_options.h"
#include "sim/hid/hid_reader.h"
#include "sim/pty_reader.h"

namespace orvex::sim::hid {

enum class UsbMode { Hid = 1, VirtualCom = 2 };

class UsbReader {
public:
    // `appeared` hears the HID device's socket path or the pseudo-terminal's
    // path each time the reader (re)appears, on the switching thread.
    UsbReader(Options reader, HidOptions hid,
              std::function<void(UsbMode, const std::string &)> appeared = {});
    ~UsbReader();
    UsbReader(const UsbReader &) = delete;
    UsbReader &operator=(const UsbReader &) = delete;

    UsbMode mode() const;
    // The socket path (HID) or terminal path (virtual COM).
    std::string path() const;
    // True once the reader is in `mode`, false when `patience` ran out first.
    bool waitForMode(UsbMode mode, std::chrono::milliseconds patience) const;

    ReaderState state() const;
    void modifyState(const std::function<void(ReaderState &)> &change);

    void stop();

private:
    void run();
    void restarted();
    void appear(UsbMode mode);

    const Options reader_;
    const HidOptions hid_;
    const std::function<void(UsbMode, const std::string &)> appeared_;

    mutable std::mutex mutex_;  // the front ends and the flags below
    mutable std::condition_variable changed_;
    UsbMode mode_ = UsbMode::Hid;
    bool restartPending_ = false;
    bool stopping_ = false;
    std::unique_ptr<ReaderCore> core_;  // HID mode: the front end borrows it
    std::unique_ptr<HidReader> hidReader_;
    std::unique_ptr<PtyReader> ptyReader_;  // virtual COM mode
    ReaderState switchingState_;            // while neither front end runs
    std::thread thread_;
};

// orvex-readersim --hid: prints each path the reader appears on, serves until SIGTERM/SIGINT.
int runUsbReader(const Options &reader, const HidOptions &hid);

}  // namespace orvex::sim::hid
