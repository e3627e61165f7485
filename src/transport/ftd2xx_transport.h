// An FTDI reader driven through the D2XX library's serial-port emulation:
// opened by its USB serial number, latency timer 2 ms, one thread that waits
// for input in bounded blocking reads and hands it to the sink.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "transport/ftd2xx_library.h"
#include "transport/transport.h"

namespace orvex {

class Ftd2xxTransport final : public Transport {
public:
    // Same rule as the tty: a send longer than this is dropped whole.
    static constexpr std::size_t kTransmitCapacity = 512;
    // The longest a read blocks without input: how soon close() is served.
    static constexpr ftd2xx::Dword kReadWaitMs = 50;

    // Loads this port's reference to the library and opens the device;
    // nullptr when either fails.
    static std::unique_ptr<Ftd2xxTransport> open(const std::string &serialNumber,
                                                 const LineSettings &settings, ByteSink &sink);
    ~Ftd2xxTransport() override;

    TransportKind kind() const override { return TransportKind::Ftdi; }
    bool send(const std::uint8_t *data, std::size_t length) override;
    bool alive() const override { return alive_.load(); }
    bool setLine(const LineSettings &settings) override;
    void close() override;

private:
    Ftd2xxTransport(std::unique_ptr<Ftd2xxLibrary> library, ftd2xx::Handle handle, ByteSink &sink);
    void configure(const LineSettings &settings);
    void run();

    std::unique_ptr<Ftd2xxLibrary> library_;
    const ftd2xx::Handle handle_;
    ByteSink &sink_;
    std::atomic<bool> alive_{true};
    std::atomic<bool> stopping_{false};
    std::mutex lineMutex_;  // writes and line settings
    std::thread thread_;
    std::once_flag closed_;
};

}  // namespace orvex
