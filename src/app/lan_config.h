// The LAN settings dialog ("LAN Einstellung") without its window: loads a
// reader's network settings into the dialog's fields, keeps the controls in
// step with the mode, and carries out OK: configure, then wait up to 25 s for
// the reader at its new address.
#pragma once

#include <functional>
#include <string>

#include "app/lan_functions.h"
#include "app/prompts.h"

namespace orvex::app {

enum class LanMode { NotLoaded = -1, Dhcp = 0, FixedAddress = 1 };

struct LanConfigFields {
    LanMode mode = LanMode::NotLoaded;
    std::string dhcpName;   // at most 15 characters
    int dhcpPort = 0;       // port edit A, beside the DHCP name
    std::string ipAddress;  // IP address control; empty = blank
    int fixedPort = 0;      // port edit B, beside the IP address
    std::string mask;
    std::string gateway;
};

// Which controls the mode enables.
struct LanConfigView {
    bool dhcpNameEnabled = false;
    bool dhcpPortEnabled = false;
    bool ipAddressEnabled = false;
    bool fixedPortEnabled = false;
};

enum class LanConfigControl { None, DhcpName, DhcpPort, IpAddress, FixedPort };

struct LanConfigOutcome {
    enum Kind { StayOpen, Done } kind = StayOpen;
    LanConfigControl focus = LanConfigControl::None;  // where a rejected input is
};

class LanConfigModel {
public:
    static constexpr std::size_t kMaxDhcpName = 15;
    static constexpr int kProgressRangeMs = 25000;

    LanConfigModel(std::string address, LanFunctions lan, Prompts &prompts)
        : address_(std::move(address)), lan_(std::move(lan)), prompts_(prompts) {}

    // Reads the reader's settings into the fields; a failed read leaves them
    // as they are (no mode, port 0 at the start).
    void load();

    LanConfigFields &fields() { return fields_; }
    const LanConfigFields &fields() const { return fields_; }
    LanConfigView view() const;

    // OK: validates (10128 for a blank or 0.0.0.0 fixed address), configures
    // the reader (10130 and a fresh load when that fails) and waits until it
    // answers at the new address, reporting the elapsed milliseconds (0-25000)
    // every 100 ms. Done also when the reader stays away for 25 s.
    LanConfigOutcome ok(const std::function<void(int elapsedMs)> &progress = {});

    // The address text as opened, the new one after a successful OK.
    const std::string &address() const { return address_; }
    // The address text OK sends for the fields, or empty when they are invalid.
    std::string newAddressText() const;

private:
    std::string address_;
    LanFunctions lan_;
    Prompts &prompts_;
    LanConfigFields fields_;
};

}  // namespace orvex::app
