// Readers behind the maker's Bluetooth dongle, opened by the dongle's name:
// "<USB serial> BT" for a listed dongle (its cp210x tty, 921600 baud, RTS/CTS),
// otherwise "<tty> BT" or "COMn BT", the dongle on that serial line (9600 baud).
// The reader's frames travel as link data of the dongle protocol.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "transport/dongle_link.h"
#include "transport/transport.h"

namespace orvex {

class DongleTransport final : public Transport {
public:
    DongleTransport(int fd, bool bridgeMode, ByteSink &sink);
    ~DongleTransport() override;

    TransportKind kind() const override { return TransportKind::Dongle; }
    bool send(const std::uint8_t *data, std::size_t length) override;
    void poll(std::size_t maxBytes) override;
    bool beginDirectRead() override { return true; }
    void readDirect(std::chrono::steady_clock::time_point until) override;
    bool alive() const override;
    bool setLine(const LineSettings &settings) override;
    void close() override;

    // The Bluetooth entries of the C API.
    int inquiry(std::uint8_t *records, std::size_t capacity, int timeoutMs, std::uint32_t classFilter);
    int connect(const dongle::Address &address, std::uint8_t remoteChannel, int timeoutMs);
    std::optional<std::string> remoteName(const dongle::Address &address, int timeoutMs);
    void setWaitHook(std::function<void()> hook);
    // Sends the reset request and waits briefly for the dongle to be ready.
    void reset(int timeoutMs);

private:
    // Moves link data to the sink; true when there was any.
    bool deliver(std::size_t maxBytes);
    void noticeHangUp();

    mutable std::mutex mutex_;
    dongle::DongleLink link_;
    const bool bridgeMode_;
    ByteSink &sink_;
    bool lostReported_ = false;
    // Read without the lock: the port list asks while a command may be waiting.
    std::atomic<bool> alive_{true};
};

std::unique_ptr<Transport> openDongleTransport(const std::string &name, ByteSink &sink);

}  // namespace orvex
