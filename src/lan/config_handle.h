// A configuration handle: a datagram socket on the adapter where a reader's
// network module answered, with the requests of the configuration protocol.
#pragma once

#include <memory>
#include <optional>

#include "lan/datagram.h"
#include "lan/datagram_socket.h"

namespace orvex::lan {

class ConfigHandle {
public:
    ConfigHandle(std::unique_ptr<DatagramSocket> socket, const Ipv4 &reader)
        : socket_(std::move(socket)), reader_(reader) {}

    const Ipv4 &reader() const { return reader_; }

    // Broadcast read of record n; the payload of the reader's first answer
    // with at least 120 bytes.
    std::optional<Bytes> readRecord(int record);
    std::optional<NetworkRecord> readNetworkRecord();
    // Sent to the reader; any answer of the write's answer type confirms it.
    bool writeRecord(int record, ByteView data);
    // Broadcast identify; the reader's answer payload (more than 25 bytes).
    std::optional<Bytes> identify();
    void addressSetup(const Mac &mac, const Ipv4 &address);
    void extendedAddressSetup(const ExtendedSetup &setup);
    // Makes the module apply its records; no answer.
    void restart();

private:
    std::optional<Bytes> request(const Ipv4 &to, const Bytes &datagram, std::uint8_t answerType,
                                 std::size_t minPayload, bool fromReaderOnly);

    std::unique_ptr<DatagramSocket> socket_;
    Ipv4 reader_;
};

}  // namespace orvex::lan
