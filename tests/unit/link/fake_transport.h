// A transport whose "reader" answers each request with scripted chunks,
// delivered from a helper thread like a real transport's reader thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "transport/transport.h"

namespace orvex::test {

using Bytes = std::vector<std::uint8_t>;

struct Chunk {
    std::chrono::milliseconds delay{0};  // after the previous chunk
    Bytes bytes;
};

class FakeTransport final : public Transport {
public:
    using Script = std::function<std::vector<Chunk>(const Bytes &request)>;

    FakeTransport(ByteSink &sink, Script script, TransportKind kind = TransportKind::SystemSerial)
        : sink_(sink), script_(std::move(script)), kind_(kind) {}
    ~FakeTransport() override { close(); }

    TransportKind kind() const override { return kind_; }
    bool alive() const override { return alive_; }
    bool setLine(const LineSettings &s) override {
        std::lock_guard lock(mutex_);
        lines_.push_back(s);
        return true;
    }
    bool send(const std::uint8_t *data, std::size_t length) override {
        Bytes request(data, data + length);
        {
            std::lock_guard lock(mutex_);
            sent_.push_back(request);
        }
        join();
        auto chunks = script_ ? script_(request) : std::vector<Chunk>{};
        worker_ = std::thread([this, chunks = std::move(chunks)] {
            for (const auto &c : chunks) {
                std::this_thread::sleep_for(c.delay);
                if (c.bytes.empty()) {  // an empty chunk hangs the line up
                    alive_ = false;
                    sink_.linkLost();
                    return;
                }
                sink_.receiveBytes(c.bytes.data(), c.bytes.size());
            }
        });
        return true;
    }
    void close() override { join(); }

    std::vector<Bytes> sentRequests() {
        join();
        std::lock_guard lock(mutex_);
        return sent_;
    }
    std::vector<LineSettings> lineChanges() {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    void join() {
        if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
    }

    ByteSink &sink_;
    Script script_;
    TransportKind kind_;
    std::atomic<bool> alive_{true};
    std::mutex mutex_;
    std::vector<Bytes> sent_;
    std::vector<LineSettings> lines_;
    std::thread worker_;
};

// One answer, all at once.
inline FakeTransport::Script answerWith(Bytes reply) {
    return [reply](const Bytes &) { return std::vector<Chunk>{{{}, reply}}; };
}

}  // namespace orvex::test
