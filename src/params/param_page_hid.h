// Model of the parameter group of the page for readers in USB keyboard mode:
// mode 0, 2 or 3, sensor output, cycle time,
// timeout and power-on mode. The page's keyboard table is kept by the serial
// sheet (SerialSheet::keyTable).
//
// Control names: mode0 mode2 mode3 (radio indexes 0, 1, 2), sensor,
// cycleTime, timeout, powerOn0 .. powerOn2.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/capabilities.h"
#include "params/operating_parameters.h"
#include "params/page_model.h"

namespace orvex::app {

struct ParamPageHidValues {
    int modeIndex = 0;  // 0, 1, 2 <-> mode 0, 2, 3
    bool sensor = false;
    std::string cycleTime = "1000";
    std::string timeout = "500";
    int powerOnIndex = -1;
};

class ParamPageHid {
public:
    explicit ParamPageHid(CapabilityFlags caps = 0) : caps_(caps) {}
    void setCapabilities(CapabilityFlags caps) { caps_ = caps; }

    ParamPageHidValues &values() { return v_; }
    const ParamPageHidValues &values() const { return v_; }

    Validation validate() const;
    void storeToParameters(OperatingParameters &p) const;
    // The 4-byte parameter block and the power-on value (-1: not read).
    bool loadFromParameterBlock(std::span<const std::uint8_t> block, int powerOnValue,
                                Validation *failure = nullptr);
    // Values from a configuration file: no validation.
    void loadFromFileParameters(const OperatingParameters &p);

    ViewState view() const;

private:
    CapabilityFlags caps_;
    ParamPageHidValues v_;
};

// Mode radio of the HID page: mode 1 shows as index 0.
int hidModeIndex(int mode);
int hidModeFromIndex(int index);

}  // namespace orvex::app
