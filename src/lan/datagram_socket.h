// A UDP socket of the discovery protocol, bound to one adapter's address with
// broadcasts allowed. Waiting for answers blocks in poll() until a datagram
// arrives or the deadline passes.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "lan/datagram.h"
#include "lan/ipv4.h"

namespace orvex::lan {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How long the module may stay silent before a wait for its answer fails.
inline constexpr milliseconds kAnswerTimeout{500};
inline const Ipv4 kBroadcast{255, 255, 255, 255};

struct Datagram {
    Ipv4 sender{};
    Bytes bytes;
};

class DatagramSocket {
public:
    // nullptr when the socket cannot be created or bound.
    static std::unique_ptr<DatagramSocket> open(const Ipv4 &localAddress);
    ~DatagramSocket();
    DatagramSocket(const DatagramSocket &) = delete;
    DatagramSocket &operator=(const DatagramSocket &) = delete;

    const Ipv4 &localAddress() const { return local_; }
    int fd() const { return fd_; }

    // To UDP port 30718 of destination (255.255.255.255 broadcasts).
    bool send(const Ipv4 &destination, ByteView bytes);
    bool broadcast(ByteView bytes) { return send(kBroadcast, bytes); }

    // The next pending datagram without waiting. Datagrams the host sent
    // itself (sender = this socket's address) are dropped, never returned.
    std::optional<Datagram> take();
    // Waits until a datagram arrives or the deadline passes.
    std::optional<Datagram> receiveUntil(Clock::time_point deadline);

private:
    DatagramSocket(int fd, const Ipv4 &local) : fd_(fd), local_(local) {}
    int fd_;
    Ipv4 local_;
};

enum class WaitRule {
    RestartOnAnyDatagram,  // answers: silence of the timeout ends the wait
    FixedDeadline,         // name resolution: the timeout in total
};

// Waits for the first datagram accept() takes.
std::optional<Datagram> waitForAnswer(DatagramSocket &socket,
                                      const std::function<bool(const Datagram &)> &accept,
                                      milliseconds timeout, WaitRule rule = WaitRule::RestartOnAnyDatagram);

// Blocks in poll() on fds until one is readable or the deadline passes.
// False on timeout.
bool waitReadable(const int *fds, std::size_t count, Clock::time_point deadline);

}  // namespace orvex::lan
