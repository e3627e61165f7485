#include "lan/config_handle.h"

namespace orvex::lan {

std::optional<Bytes> ConfigHandle::request(const Ipv4 &to, const Bytes &datagram, std::uint8_t answerType,
                                           std::size_t minPayload, bool fromReaderOnly) {
    if (!socket_->send(to, datagram)) return std::nullopt;
    auto answer = waitForAnswer(
        *socket_,
        [&](const Datagram &d) {
            auto parsed = parseAnswer(d.bytes);
            return parsed && parsed->type == answerType && parsed->payload.size() >= minPayload &&
                   (!fromReaderOnly || d.sender == reader_);
        },
        kAnswerTimeout);
    if (!answer) return std::nullopt;
    return Bytes(answer->bytes.begin() + kHeaderSize, answer->bytes.end());
}

std::optional<Bytes> ConfigHandle::readRecord(int record) {
    return request(kBroadcast, readRecordRequest(record), readRecordAnswerType(record), kRecordSize, true);
}

std::optional<NetworkRecord> ConfigHandle::readNetworkRecord() {
    auto payload = readRecord(0);
    if (!payload) return std::nullopt;
    return NetworkRecord::fromPayload(*payload);
}

bool ConfigHandle::writeRecord(int record, ByteView data) {
    return request(reader_, writeRecordRequest(record, data), writeRecordAnswerType(record), 0, false)
        .has_value();
}

std::optional<Bytes> ConfigHandle::identify() {
    return request(kBroadcast, identifyRequest(), kIdentifyAnswer, kIdentifyMinPayload, true);
}

void ConfigHandle::addressSetup(const Mac &mac, const Ipv4 &address) {
    socket_->broadcast(addressSetupRequest(mac, address));
}

void ConfigHandle::extendedAddressSetup(const ExtendedSetup &setup) {
    socket_->broadcast(extendedAddressSetupRequest(setup));
}

void ConfigHandle::restart() { socket_->send(reader_, restartRequest()); }

}  // namespace orvex::lan
