#include "sim/lan/network_module.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace orvex::sim::lan {
namespace {

// Record 0 layout of the module.
constexpr std::size_t kAddress = 0, kHostBits = 6, kGateway = 12, kPort = 20, kTargetPort = 22, kTarget = 24,
                      kNameSecond = 84, kNameFirst = 112;
constexpr std::size_t kRecordSize = 120, kLongRecordSize = 126;
constexpr std::size_t kDeviceType = 93, kRecord3Name = 102;
constexpr std::size_t kIdentifySize = 30, kQelTag = 11, kIdentifyMac = 20;

void putIp(Bytes &r, std::size_t at, const Ipv4 &a) { std::copy(a.begin(), a.end(), r.begin() + at); }
Ipv4 getIp(const Bytes &r, std::size_t at) { return {r[at], r[at + 1], r[at + 2], r[at + 3]}; }
void putWord(Bytes &r, std::size_t at, int v) {
    r[at] = static_cast<std::uint8_t>(v & 0xFF);
    r[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}
int getWord(const Bytes &r, std::size_t at) { return r[at] | (r[at + 1] << 8); }

std::string half(const Bytes &r, std::size_t at) {
    const char *text = reinterpret_cast<const char *>(r.data() + at);
    return std::string(text, strnlen(text, 8));
}

void putName(Bytes &record0, Bytes &record3, const std::string &name) {
    std::uint8_t padded[16] = {};
    std::memcpy(padded, name.data(), std::min<std::size_t>(name.size(), 16));
    std::memcpy(record0.data() + kNameFirst, padded, 8);
    std::memcpy(record0.data() + kNameSecond, padded + 8, 8);
    std::memcpy(record3.data() + kRecord3Name, padded + 8, 8);
}

Bytes answer(std::uint8_t type, const Bytes &payload = {}) {
    Bytes out(4 + payload.size());
    out[1] = 0x01;
    out[3] = type;
    std::copy(payload.begin(), payload.end(), out.begin() + 4);
    return out;
}

std::string hexType(std::uint8_t type) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", type);
    return text;
}

}  // namespace

NetworkModule::NetworkModule(const ModuleIdentity &identity, const ModuleSettings &s) : identity_(identity) {
    for (auto &record : records_) record.assign(kLongRecordSize, 0);
    records_[0].assign(kRecordSize, 0);
    // Bytes the host must write back unchanged.
    for (std::size_t i = 0; i < kRecordSize; ++i)
        if (i >= 28 && i < kNameSecond) records_[0][i] = static_cast<std::uint8_t>(0xA0 + i % 16);
    Bytes &r = records_[0];
    putIp(r, kAddress, s.address);
    r[kHostBits] = static_cast<std::uint8_t>(s.hostBits);
    putIp(r, kGateway, s.gateway);
    putWord(r, kPort, s.port);
    putWord(r, kTargetPort, s.targetPort);
    putIp(r, kTarget, s.targetAddress);
    putName(records_[0], records_[3], s.name.empty() ? identity.name : s.name);
    std::string type = identity.deviceType;
    std::memcpy(records_[2].data() + kDeviceType, type.data(), std::min<std::size_t>(type.size(), 32));
}

ModuleSettings NetworkModule::settings() const {
    const Bytes &r = records_[0];
    ModuleSettings s;
    s.address = getIp(r, kAddress);
    s.hostBits = r[kHostBits];
    s.gateway = getIp(r, kGateway);
    s.port = getWord(r, kPort);
    s.targetPort = getWord(r, kTargetPort);
    s.targetAddress = getIp(r, kTarget);
    s.name = half(r, kNameFirst) + half(r, kNameSecond);
    return s;
}

NetworkModule::Outcome NetworkModule::handle(const std::uint8_t *d, std::size_t length) {
    Outcome out;
    if (length < 4) return out;
    std::uint8_t type = d[3];
    out.request = hexType(type);
    const Bytes body(d + 4, d + length);
    if (type == 0xF6) {
        Bytes payload(kIdentifySize, 0);
        if (identity_.qelTag) std::memcpy(payload.data() + kQelTag, "QEL", 3);
        std::copy(identity_.mac.begin(), identity_.mac.end(), payload.begin() + kIdentifyMac);
        out.answer = answer(0xF7, payload);
    } else if (type == 0xF8) {
        out.answer = answer(0xF9, records_[0]);
    } else if (type >= 0xE1 && type <= 0xEF) {
        out.answer = answer(static_cast<std::uint8_t>(0xD0 + (type - 0xE0)), records_[type - 0xE0]);
    } else if (type == 0xFD && body.size() >= kRecordSize) {
        records_[0] = body;
        out.answer = answer(0xFB);
    } else if (type >= 0xC1 && type <= 0xCF && !body.empty()) {
        records_[type - 0xC0] = body;
        out.answer = answer(static_cast<std::uint8_t>(0xB0 + (type - 0xC0)));
    } else if (type == 0x03 && body.size() >= 2 && body[0] == 0x58 && body[1] == 0x33) {
        out.apply = true;
    } else if (type == 0xFC) {
        return addressSetup(d, length);
    }
    return out;
}

// Address setups are broadcast; the module takes the one carrying its MAC.
NetworkModule::Outcome NetworkModule::addressSetup(const std::uint8_t *d, std::size_t length) {
    Outcome out;
    const Mac &mac = identity_.mac;
    Bytes &r = records_[0];
    if (length >= 50 && std::memcmp(d + 4, "IP-SETUPEX", 10) == 0) {
        out.request = "FC IP-SETUPEX";
        if (!std::equal(mac.begin(), mac.end(), d + 14)) return out;
        putIp(r, kAddress, {d[20], d[21], d[22], d[23]});
        putWord(r, kPort, d[24] | (d[25] << 8));
        std::uint32_t mask = (std::uint32_t{d[26]} << 24) | (d[27] << 16) | (d[28] << 8) | d[29];
        int hostBits = 0;
        while (hostBits < 32 && !(mask & (1u << hostBits))) ++hostBits;
        r[kHostBits] = static_cast<std::uint8_t>(hostBits);
        putIp(r, kGateway, {d[30], d[31], d[32], d[33]});
        putName(records_[0], records_[3],
                std::string(reinterpret_cast<const char *>(d + 34),
                            strnlen(reinterpret_cast<const char *>(d + 34), 16)));
        out.apply = true;
    } else if (length >= 20 && std::memcmp(d + 4, "IP-SETUP", 8) == 0) {
        out.request = "FC IP-SETUP";
        if (d[14] != mac[4] || d[15] != mac[5]) return out;
        putIp(r, kAddress, {d[16], d[17], d[18], d[19]});
        out.apply = true;
    }
    return out;
}

}  // namespace orvex::sim::lan
