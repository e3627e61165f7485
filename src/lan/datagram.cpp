#include "lan/datagram.h"

#include <algorithm>
#include <cstring>

namespace orvex::lan {
namespace {

// Byte 1 of the header: 0x01 for reads, identify and record writes other than
// record 0; 0x00 for the record-0 write, the restart and the address setup.
Bytes header(std::uint8_t flag, std::uint8_t type) { return {0x00, flag, 0x00, type}; }

void append(Bytes &out, ByteView data) { out.insert(out.end(), data.begin(), data.end()); }

std::string halfName(const Bytes &bytes, std::size_t at) {
    const char *text = reinterpret_cast<const char *>(bytes.data() + at);
    return std::string(text, strnlen(text, 8));
}

}  // namespace

Bytes identifyRequest() { return header(0x01, 0xF6); }

Bytes readRecordRequest(int record) {
    return header(0x01, record == 0 ? 0xF8 : static_cast<std::uint8_t>(0xE0 + record));
}

std::uint8_t readRecordAnswerType(int record) {
    return record == 0 ? 0xF9 : static_cast<std::uint8_t>(0xD0 + record);
}

Bytes writeRecordRequest(int record, ByteView data) {
    Bytes out = record == 0 ? header(0x00, 0xFD) : header(0x01, static_cast<std::uint8_t>(0xC0 + record));
    append(out, data);
    return out;
}

std::uint8_t writeRecordAnswerType(int record) {
    return record == 0 ? 0xFB : static_cast<std::uint8_t>(0xB0 + record);
}

Bytes restartRequest() { return {0x00, 0x00, 0x00, 0x03, 0x58, 0x33}; }

Bytes addressSetupRequest(const Mac &mac, const Ipv4 &address) {
    Bytes out = header(0x00, kAddressSetup);
    const char *tag = "IP-SETUP";
    out.insert(out.end(), tag, tag + 8);
    out.insert(out.end(), {0x00, 0x00, mac[4], mac[5]});
    append(out, address);
    return out;
}

Bytes extendedAddressSetupRequest(const ExtendedSetup &s) {
    Bytes out = header(0x00, kAddressSetup);
    const char *tag = "IP-SETUPEX";
    out.insert(out.end(), tag, tag + 10);
    append(out, s.mac);
    append(out, s.address);
    out.push_back(static_cast<std::uint8_t>(s.port & 0xFF));
    out.push_back(static_cast<std::uint8_t>((s.port >> 8) & 0xFF));
    append(out, s.mask);
    append(out, s.gateway);
    std::uint8_t name[kNameSize] = {};
    std::memcpy(name, s.name.data(), std::min(s.name.size(), kNameSize));
    out.insert(out.end(), name, name + kNameSize);
    return out;
}

std::optional<Answer> parseAnswer(ByteView datagram) {
    if (datagram.size() < kHeaderSize) return std::nullopt;
    return Answer{datagram[3], datagram.subspan(kHeaderSize)};
}

std::optional<NetworkRecord> NetworkRecord::fromPayload(ByteView payload) {
    if (payload.size() < kRecordSize) return std::nullopt;
    return NetworkRecord(Bytes(payload.begin(), payload.end()));
}

std::string NetworkRecord::name() const {
    return halfName(bytes_, kNameFirstHalf) + halfName(bytes_, kNameSecondHalf);
}

void NetworkRecord::setName(const std::string &name) {
    std::uint8_t padded[kNameSize] = {};
    std::memcpy(padded, name.data(), std::min(name.size(), kNameSize));
    std::memcpy(bytes_.data() + kNameFirstHalf, padded, 8);
    std::memcpy(bytes_.data() + kNameSecondHalf, padded + 8, 8);
}

void NetworkRecord::setIpAt(std::size_t at, const Ipv4 &a) {
    std::copy(a.begin(), a.end(), bytes_.begin() + at);
}

void NetworkRecord::setWordAt(std::size_t at, int value) {
    bytes_[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes_[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

std::string searchEntry(const NetworkRecord &record, const Ipv4 &sender) {
    std::string port = "-" + std::to_string(record.port());
    if (record.address() == sender) return formatIpv4(sender) + port;
    return "[" + record.name() + "]" + formatIpv4(sender) + port;
}

bool isMakerDevice(ByteView record2) {
    if (record2.size() < kDeviceTypeMinPayload) return false;
    std::string_view maker = kMakerDeviceType;
    return std::equal(maker.begin(), maker.end(), record2.begin() + kDeviceTypeOffset);
}

bool hasQelTag(ByteView identify) {
    if (identify.size() < kIdentifyMinPayload) return false;
    return identify[kQelTagOffset] == 'Q' && identify[kQelTagOffset + 1] == 'E' &&
           identify[kQelTagOffset + 2] == 'L';
}

std::optional<Mac> identifyMac(ByteView identify) {
    if (identify.size() < kIdentifyMinPayload) return std::nullopt;
    Mac mac;
    std::copy_n(identify.begin() + kMacOffset, mac.size(), mac.begin());
    return mac;
}

std::optional<Bytes> record3WithName(ByteView record3, const std::string &name) {
    if (record3.size() != kRecord3Size) return std::nullopt;
    Bytes out(record3.begin(), record3.end());
    std::uint8_t padded[kNameSize] = {};
    std::memcpy(padded, name.data(), std::min(name.size(), kNameSize));
    std::memcpy(out.data() + kRecord3NameHalf, padded + 8, 8);
    return out;
}

}  // namespace orvex::lan
