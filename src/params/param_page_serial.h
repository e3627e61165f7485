// Model of the parameter page of serial, LAN and Bluetooth readers:
// operating mode, sensor output, cycle time,
// timeout, request character, power-on mode, DTR dependence, line settings
// and the TCP client target of LAN readers.
//
// Control names: mode0 .. mode3, sensor, cycleTime, timeout, requestChar,
// powerOn0 .. powerOn2, dtr, interfaceGroup, baudLabel, parityLabel,
// stopBitsLabel, currentLabel, setLabel, currentBaud, currentParity,
// currentStopBits (captions are the "Aktuell:" texts), baudSet, paritySet,
// stopBitsSet, tcpGroup, tcpClient, remoteIpLabel, remoteIp, remotePortLabel,
// remotePort, functionTest, readContent.
#pragma once

#include <string>

#include "base/capabilities.h"
#include "params/operating_parameters.h"
#include "params/page_model.h"

namespace orvex::app {

struct ParamPageSerialValues {
    int mode = 0;
    bool sensor = false;
    std::string cycleTime = "1000";
    std::string timeout = "500";
    std::string requestChar = "?";  // UTF-8, at most one character
    int powerOnIndex = -1;          // -1: no radio selected
    bool dtr = false;
    std::string baudSet;  // "Setzen:" baud combo text, empty = none
    int parity = 0;       // combo index, -1 = none
    int stopBits = 0;     // combo index, -1 = none
    bool tcpClient = false;
    std::string remoteIp;
    std::string remotePort = "0";
};

class ParamPageSerial {
public:
    explicit ParamPageSerial(CapabilityFlags caps = 0);

    void setCapabilities(CapabilityFlags caps);
    CapabilityFlags capabilities() const { return caps_; }
    // The stored port is a direct USB device: the "Setzen:" combos are disabled.
    void setStoredPortIsUsb(bool usb) { usbPort_ = usb; }

    ParamPageSerialValues &values() { return v_; }
    const ParamPageSerialValues &values() const { return v_; }
    int baudValue() const { return baudValue_; }
    bool dtrSupported() const { return dtrSupported_; }
    bool tcpClientOffered() const;

    Validation validate() const;
    void storeToParameters(OperatingParameters &p) const;
    // Values from the reader; on a validation failure the page falls back to
    // its defaults and returns false (failure tells why).
    bool loadFromParameters(const OperatingParameters &p, bool dtrSupported, Validation *failure = nullptr);
    // Values from a configuration file: no validation.
    void loadFromFileParameters(const OperatingParameters &p);
    void showCurrentBaud(int baudValue);

    // Line setting the "Setzen:" row selects (base + framing code).
    int selectedBaudValue() const;

    bool isModified() const;
    void resetSnapshot();

    ViewState view() const;

private:
    void putParameters(const OperatingParameters &p);
    void selectLineCombos(int baudValue);

    CapabilityFlags caps_ = 0;
    bool usbPort_ = false;
    bool dtrSupported_ = false;
    int baudValue_ = 19200;
    ParamPageSerialValues v_;
    ParamPageSerialValues snapshot_;
    int snapshotBaud_ = 19200;
};

}  // namespace orvex::app
