// USB HID readers, opened by their list name ("<serial> HID"). Reader frames
// travel in output reports as chunks (byte 1 = chunk length); report-level
// commands (byte 1 = 0x80 + length) configure the keyboard emulation; every
// input report carries its payload length in its first byte. There is no
// thread: a waiting caller reads the device itself, in bounded waits.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "transport/hid_device.h"
#include "transport/transport.h"

namespace orvex {

class HidTransport final : public Transport {
public:
    // Takes the opened device; lengths must be within 4..kMaxHidReportLength.
    HidTransport(OpenedHidDevice device, ByteSink &sink);
    ~HidTransport() override;

    TransportKind kind() const override { return TransportKind::Hid; }
    // A request frame, cut into chunks of output length - 2 bytes. False when
    // a report could not be written within 50 ms.
    bool send(const std::uint8_t *data, std::size_t length) override;
    void poll(std::size_t maxBytes) override;
    bool beginDirectRead() override { return true; }
    void readDirect(std::chrono::steady_clock::time_point until) override;
    bool alive() const override { return fd_ >= 0; }
    void close() override;

    // Report-level command with an answer: the answer's payload (its first
    // byte equals the request's) of more than 2 bytes within 100 ms; empty
    // when none came or the request does not fit into one report.
    std::vector<std::uint8_t> command(std::span<const std::uint8_t> request);
    // Report-level command without answer; the reader gets 15 ms to act on it.
    bool sendCommand(std::span<const std::uint8_t> request);
    // Open (0) or close (1) report; close() sends the close report itself.
    bool sendOpenReport(std::uint8_t value);

    const HidReportLengths &lengths() const { return lengths_; }

    static constexpr auto kWriteWait = std::chrono::milliseconds(50);
    static constexpr auto kAnswerWait = std::chrono::milliseconds(100);
    static constexpr auto kAfterCommandWait = std::chrono::milliseconds(15);

private:
    bool writeReport(std::uint8_t byte1, std::span<const std::uint8_t> payload);
    // One input report's payload; nullopt when none is ready by `until`
    // (a past `until` only takes what is there).
    std::optional<std::vector<std::uint8_t>> readReport(std::chrono::steady_clock::time_point until);
    void release();  // closes the device without a close report
    void lose();     // the device went away

    int fd_;
    const bool isSocket_;
    const HidReportLengths lengths_;
    ByteSink &sink_;
};

// Names of the attached readers (acceptance list), each once, in list order.
std::vector<std::string> listHidReaders();
// The list name of a device: its serial number, or "7305-????" when that
// cannot be read, followed by " HID".
std::string hidReaderName(const HidDeviceInfo &device);

// Opens the first reader of that name and sends the open report;
// `openReportRefused` tells a refused report from a missing device.
std::unique_ptr<Transport> openHidTransport(const std::string &name, ByteSink &sink, bool &openReportRefused);

}  // namespace orvex
