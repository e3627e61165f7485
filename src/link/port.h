// One open connection to a reader: its transport, receive buffer and the
// protocol state of the frame layer.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "link/frame.h"
#include "transport/transport.h"

namespace orvex {

class Port final : public ByteSink {
public:
    static constexpr int kDefaultTimeoutMs = 500;

    Port(std::string name, int busAddress);
    ~Port() override;
    Port(const Port &) = delete;
    Port &operator=(const Port &) = delete;

    void attach(std::unique_ptr<Transport> transport);
    Transport *transport() const { return transport_.get(); }
    bool alive() const { return transport_ && transport_->alive(); }
    void close();

    const std::string &name() const { return name_; }

    FrameVariant variant() const { return variant_; }
    void setVariant(FrameVariant v) { variant_ = v; }
    std::uint8_t busAddress() const { return static_cast<std::uint8_t>(busAddress_); }
    int timeoutMs() const { return timeoutMs_; }
    void setTimeoutMs(int ms) { timeoutMs_ = ms; }

    int lastError() const { return lastError_; }
    void setLastError(int code) { lastError_ = code; }

    std::uint32_t typeCode() const { return typeCode_; }
    std::uint8_t subVersion() const { return subVersion_; }
    void setIdentity(std::uint32_t typeCode, std::uint8_t subVersion) {
        typeCode_ = typeCode;
        subVersion_ = subVersion;
    }

    // One command: request = command byte, then data. On success `answer`
    // (may be null) holds the answer data. False with the last error set.
    bool command(std::span<const std::uint8_t> request, std::vector<std::uint8_t> *answer);
    bool command(std::uint8_t code, std::span<const std::uint8_t> data, std::vector<std::uint8_t> *answer);

    // Unframed traffic.
    void writeRaw(std::span<const std::uint8_t> data);
    std::size_t readRaw(std::uint8_t *buffer, std::size_t size);

    // ByteSink: called by the transport's thread.
    void receiveBytes(const std::uint8_t *data, std::size_t length) override;
    void linkLost() override;

private:
    void clearReceive();
    // Sleeps until a whole frame is buffered or the deadline passes; the
    // header's arrival restarts the clock. Returns the frame's length.
    std::size_t waitForFrame();
    void pollTransport(std::unique_lock<std::mutex> &lock);

    const std::string name_;
    const int busAddress_;
    std::unique_ptr<Transport> transport_;

    FrameVariant variant_ = FrameVariant::StxBcc;
    int timeoutMs_ = kDefaultTimeoutMs;
    std::atomic<int> lastError_{0};
    std::uint32_t typeCode_ = 0;
    std::uint8_t subVersion_ = 0;

    std::mutex mutex_;  // receive buffer and link state
    std::condition_variable arrived_;
    std::vector<std::uint8_t> receive_;
    bool linkLost_ = false;
    // While a command waits, the transport thread judges the buffer itself and
    // wakes the caller once per frame instead of once per byte.
    bool waiting_ = false;
    bool waiterReads_ = false;  // the waiting caller reads the transport itself
    bool headerSeen_ = false;
    std::chrono::steady_clock::time_point headerAt_;
};

}  // namespace orvex
