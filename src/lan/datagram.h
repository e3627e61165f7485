// The datagrams of the readers' network module on UDP port 30718: request
// builders, the answer header, and the layouts of records 0, 2, 3 and of the
// identify answer. Every accessor checks the payload length first: these
// bytes come from the network.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "lan/ipv4.h"

namespace orvex::lan {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;
using Mac = std::array<std::uint8_t, 6>;

inline constexpr std::uint16_t kDatagramPort = 30718;
inline constexpr std::size_t kHeaderSize = 4;
inline constexpr std::size_t kRecordSize = 120;   // record 0 and every record read
inline constexpr std::size_t kMaxDatagram = 513;  // longest datagram taken from the socket
inline constexpr std::size_t kIdentifyMinPayload = 26;
inline constexpr std::size_t kDeviceTypeMinPayload = 126;
inline constexpr std::size_t kRecord3Size = 126;
inline constexpr std::size_t kNameSize = 16;
inline const char *const kMakerDeviceType = "Orvex-";

// Answer types.
inline constexpr std::uint8_t kIdentifyAnswer = 0xF7;
inline constexpr std::uint8_t kAddressSetup = 0xFC;

// ---- requests -------------------------------------------------------------
Bytes identifyRequest();
Bytes readRecordRequest(int record);  // record 0..15
std::uint8_t readRecordAnswerType(int record);
Bytes writeRecordRequest(int record, ByteView data);
std::uint8_t writeRecordAnswerType(int record);
Bytes restartRequest();
Bytes addressSetupRequest(const Mac &mac, const Ipv4 &address);

struct ExtendedSetup {
    Mac mac{};
    Ipv4 address{};
    int port = 0;
    Ipv4 mask{};
    Ipv4 gateway{};
    std::string name;  // cut to 16 bytes, NUL-padded
};
Bytes extendedAddressSetupRequest(const ExtendedSetup &setup);

// ---- answers --------------------------------------------------------------
struct Answer {
    std::uint8_t type = 0;
    ByteView payload;  // the datagram after its 4-byte header
};
// nullopt for a datagram shorter than the header.
std::optional<Answer> parseAnswer(ByteView datagram);

// Record 0: the network settings. Offsets of the fields the host uses; every
// other byte is written back unchanged.
class NetworkRecord {
public:
    // nullopt when the payload is shorter than kRecordSize.
    static std::optional<NetworkRecord> fromPayload(ByteView payload);

    Ipv4 address() const { return ipAt(0); }
    int hostBits() const { return bytes_[6]; }
    Ipv4 gateway() const { return ipAt(12); }
    int port() const { return wordAt(20); }
    int targetPort() const { return wordAt(22); }
    Ipv4 targetAddress() const { return ipAt(24); }
    // "%.8s%.8s" of the first half (112..119) and the second half (84..91).
    std::string name() const;

    void setAddress(const Ipv4 &a) { setIpAt(0, a); }
    void setHostBits(int bits) { bytes_[6] = static_cast<std::uint8_t>(bits); }
    void setGateway(const Ipv4 &a) { setIpAt(12, a); }
    void setPort(int port) { setWordAt(20, port); }
    void setTargetPort(int port) { setWordAt(22, port); }
    void setTargetAddress(const Ipv4 &a) { setIpAt(24, a); }
    // First 8 bytes at 112, the next 8 at 84, NUL-padded.
    void setName(const std::string &name);

    const Bytes &bytes() const { return bytes_; }

private:
    explicit NetworkRecord(Bytes bytes) : bytes_(std::move(bytes)) {}
    Ipv4 ipAt(std::size_t at) const { return {bytes_[at], bytes_[at + 1], bytes_[at + 2], bytes_[at + 3]}; }
    void setIpAt(std::size_t at, const Ipv4 &a);
    int wordAt(std::size_t at) const { return bytes_[at] | (bytes_[at + 1] << 8); }
    void setWordAt(std::size_t at, int value);

    Bytes bytes_;
};

// Record 0's offsets of the name halves, shared with the simulated module.
inline constexpr std::size_t kNameFirstHalf = 112;
inline constexpr std::size_t kNameSecondHalf = 84;
inline constexpr std::size_t kRecord3NameHalf = 102;
inline constexpr std::size_t kDeviceTypeOffset = 93;
inline constexpr std::size_t kQelTagOffset = 11;
inline constexpr std::size_t kMacOffset = 20;

// Search entry of a record-0 answer from sender: "a.b.c.d-port" when the
// configured address is the sender, else "[name]sender-port".
std::string searchEntry(const NetworkRecord &record, const Ipv4 &sender);

// Record 2 names one of the maker's devices: a payload of more than 125 bytes
// whose text at offset 93 starts with "Orvex-".
bool isMakerDevice(ByteView record2);

// Identify answer (payload of at least 26 bytes): the "QEL" tag of modules
// that take the extended address setup, and the module's MAC address.
bool hasQelTag(ByteView identify);
std::optional<Mac> identifyMac(ByteView identify);

// Record 3 with the name's bytes 8..15 at 102..109; nullopt unless the
// record has exactly 126 bytes.
std::optional<Bytes> record3WithName(ByteView record3, const std::string &name);

}  // namespace orvex::lan
