// A simulated USB reader in keyboard mode in a folder of its own, which
// ORVEX_HID_SIM_DIR names for this process (and for programs it starts)
// while the fixture lives.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>

#include "common/temp_folder.h"
#include "orvex/orvex.h"
#include "sim/hid/usb_reader.h"

namespace orvex::test {

class HidSimReader {
public:
    explicit HidSimReader(const std::string &layout = "de", const std::string &serial = "73011234")
        : HidSimReader([&] {
              sim::hid::HidOptions hid;
              hid.serial = serial;
              hid.layout = layout;
              return hid;
          }()) {}
    // Options as given (faults, product); the folder is the fixture's.
    explicit HidSimReader(sim::hid::HidOptions hid) {
        sim::Options reader;
        reader.versionAnswer = "1245";
        hid.folder = folder_.path().string();
        reader_ = std::make_unique<sim::hid::UsbReader>(reader, hid);
        setenv("ORVEX_HID_SIM_DIR", hid.folder.c_str(), 1);
    }
    ~HidSimReader() {
        reader_.reset();
        unsetenv("ORVEX_HID_SIM_DIR");
    }

    sim::hid::UsbReader &reader() { return *reader_; }
    void unplug() { reader_.reset(); }
    std::string folderEnv() const { return "ORVEX_HID_SIM_DIR=" + folder_.path().string(); }

private:
    TempFolder folder_;
    std::unique_ptr<sim::hid::UsbReader> reader_;
};

// The simulated reader opened through the SDK for one test, closed after it.
struct OpenHid {
    int handle = Orvex_OpenPort("73011234 HID", 19200, 300);
    ~OpenHid() {
        if (handle > 0) Orvex_ClosePort(handle);
    }
};

}  // namespace orvex::test
