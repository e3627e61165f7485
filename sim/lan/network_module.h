// The network module of a simulated LAN reader: its records and its answers
// to the datagrams on UDP port 30718. No I/O here; the LAN front-end moves the
// datagrams and carries out what an answer asks for (moving the reader to a
// new address, restarting).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvex::sim::lan {

using Bytes = std::vector<std::uint8_t>;
using Ipv4 = std::array<std::uint8_t, 4>;
using Mac = std::array<std::uint8_t, 6>;

struct ModuleIdentity {
    std::string name = "ORVEXLAN";         // DHCP name, up to 16 characters
    std::string deviceType = "Orvex-LAN";  // record 2 text at offset 93
    bool qelTag = true;                    // identify answer carries "QEL"
    Mac mac{0x00, 0x20, 0x4A, 0x00, 0x00, 0x01};
};

// The settings the module runs with.
struct ModuleSettings {
    Ipv4 address{};  // configured address; 0.0.0.0 = DHCP
    int hostBits = 8;
    Ipv4 gateway{};
    int port = 10001;
    int targetPort = 0;
    Ipv4 targetAddress{};
    std::string name;
};

class NetworkModule {
public:
    NetworkModule(const ModuleIdentity &identity, const ModuleSettings &settings);

    struct Outcome {
        std::optional<Bytes> answer;  // sent back to the requester
        bool apply = false;           // the module now runs with settings()
        std::string request;          // what came in, for the request log
    };
    Outcome handle(const std::uint8_t *datagram, std::size_t length);

    // The settings of record 0.
    ModuleSettings settings() const;
    const Bytes &record(int n) const { return records_.at(static_cast<std::size_t>(n)); }

private:
    Outcome addressSetup(const std::uint8_t *datagram, std::size_t length);

    ModuleIdentity identity_;
    std::array<Bytes, 16> records_;
};

}  // namespace orvex::sim::lan
