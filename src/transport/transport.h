// One byte transport under a reader port: tty, TCP, HID, Bluetooth dongle.
// Each backend makes its link look like a serial line to the port above it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace orvex {

// Where a transport delivers received bytes. The port implements it; the
// transport calls it from its own thread (tty, TCP) or from poll() (HID, dongle).
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void receiveBytes(const std::uint8_t *data, std::size_t length) = 0;
    // The device went away for good (hang-up, unplug, peer closed). Called at
    // most once, from the transport's thread, so a waiting caller can give up.
    virtual void linkLost() {}
};

enum class Parity { None, Odd, Even };
enum class StopBits { One, Two };

struct LineSettings {
    int rate = 19200;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
};

enum class TransportKind { SystemSerial, Ftdi, Lan, Hid, Dongle };

class Transport {
public:
    virtual ~Transport() = default;

    virtual TransportKind kind() const = 0;

    // Queues bytes for sending. False when they could not be queued (dropped).
    virtual bool send(const std::uint8_t *data, std::size_t length) = 0;
    // The same for a request frame whose caller waits for the answer until
    // `until`; a transport whose link can close between requests may send it
    // once more meanwhile (LAN).
    virtual bool sendRequest(const std::uint8_t *data, std::size_t length,
                             std::chrono::steady_clock::time_point until) {
        (void)until;
        return send(data, length);
    }

    // Thread-less transports fetch pending input here (up to maxBytes) and
    // hand it to the sink; threaded transports do nothing.
    virtual void poll(std::size_t maxBytes) { (void)maxBytes; }

    // How often (ms) a waiting caller must run poll(); 0 for transports that
    // push their input from their own thread.
    virtual int pollIntervalMs() const { return 0; }

    // A caller that waits for an answer may read the device on its own
    // thread instead of being woken by the transport's thread once the bytes
    // are in: one thread switch less per answer. Between beginDirectRead()
    // (true when the transport offers it) and endDirectRead() the transport's
    // thread leaves the input alone; readDirect() sleeps until input arrives,
    // hands it to the sink and returns, or returns at `until`, or when the
    // device went away (then the sink has heard linkLost()).
    virtual bool beginDirectRead() { return false; }
    virtual void readDirect(std::chrono::steady_clock::time_point until) { (void)until; }
    virtual void endDirectRead() {}

    // False once the device went away (hang-up, unplug, peer closed for good).
    virtual bool alive() const = 0;

    // Reconfigures the host side of the line. False where not possible.
    virtual bool setLine(const LineSettings &settings) {
        (void)settings;
        return false;
    }

    // Stops any thread and releases the device. Idempotent.
    virtual void close() = 0;
};

}  // namespace orvex
