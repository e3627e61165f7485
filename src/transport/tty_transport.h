// Byte transport over a tty (serial port, USB virtual COM port, pseudo-terminal).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "transport/transport.h"

namespace orvex {

class TtyTransport final : public Transport {
public:
    // Room for queued, not yet written bytes. A send that does not fit is
    // dropped whole; the reader then simply does not answer.
    static constexpr std::size_t kTransmitCapacity = 512;

    // Opens and configures the device and starts its reader thread.
    // nullptr when the device cannot be opened.
    static std::unique_ptr<TtyTransport> open(const std::string &device, const LineSettings &settings,
                                              ByteSink &sink);
    ~TtyTransport() override;

    TransportKind kind() const override { return TransportKind::SystemSerial; }
    bool send(const std::uint8_t *data, std::size_t length) override;
    bool beginDirectRead() override;
    void readDirect(std::chrono::steady_clock::time_point until) override;
    void endDirectRead() override;
    void poll(std::size_t maxBytes) override;

    // After a caller read the device itself, the thread leaves the input to
    // callers this long before it watches it again: commands come in bursts,
    // and a thread that keeps out of the way costs them nothing.
    static constexpr std::chrono::milliseconds kStandAside{50};
    bool alive() const override { return alive_.load(); }
    bool setLine(const LineSettings &settings) override;
    void close() override;

    // What this transport last asked the kernel for (a pseudo-terminal drops
    // parity, so the device cannot tell).
    LineSettings requestedLine() const;

private:
    TtyTransport(int fd, int wakeFd, ByteSink &sink, const LineSettings &settings);
    void run();
    bool readAvailable();
    bool writePending();
    void wake();
    void lost();

    const int fd_;
    const int wakeFd_;
    ByteSink &sink_;
    std::atomic<bool> alive_{true};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> lost_{false};
    mutable std::mutex mutex_;  // transmit queue and requested line
    std::vector<std::uint8_t> transmit_;
    LineSettings requested_;
    // Who reads the device: the thread, or (direct_) a waiting caller. The
    // thread reads and delivers under readMutex_, so a caller that takes over
    // finds every byte the thread read already in the sink.
    std::mutex readMutex_;
    bool direct_ = false;
    std::chrono::steady_clock::time_point lastDirect_;  // end of the last direct read
    // How the thread sleeps: with the device in its poll set; without it
    // until kStandAside after lastDirect_; without it until woken.
    enum class Stance { Watching, AsideForAWhile, AsideUntilWoken };
    Stance stance_ = Stance::Watching;
    std::thread thread_;
    std::once_flag closed_;
};

}  // namespace orvex
