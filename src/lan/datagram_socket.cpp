#include "lan/datagram_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "netns/namespace_guard.h"

namespace orvex::lan {
namespace {

sockaddr_in socketAddress(const Ipv4 &address, std::uint16_t port) {
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    out.sin_addr.s_addr = htonl(ipv4Value(address));
    return out;
}

}  // namespace

bool waitReadable(const int *fds, std::size_t count, Clock::time_point deadline) {
    std::vector<pollfd> polled(count);
    for (std::size_t i = 0; i < count; ++i) polled[i] = {fds[i], POLLIN, 0};
    for (;;) {
        auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) return false;
        auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timespec wait{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
        int ready = ppoll(polled.data(), polled.size(), &wait, nullptr);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

std::unique_ptr<DatagramSocket> DatagramSocket::open(const Ipv4 &localAddress) {
    if (!netns::networkAllowed()) return nullptr;
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return nullptr;
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in local = socketAddress(localAddress, 0);
    if (bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<DatagramSocket>(new DatagramSocket(fd, localAddress));
}

DatagramSocket::~DatagramSocket() { ::close(fd_); }

bool DatagramSocket::send(const Ipv4 &destination, ByteView bytes) {
    sockaddr_in to = socketAddress(destination, kDatagramPort);
    ssize_t sent =
        sendto(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL, reinterpret_cast<sockaddr *>(&to), sizeof to);
    return sent == static_cast<ssize_t>(bytes.size());
}

std::optional<Datagram> DatagramSocket::take() {
    for (;;) {
        std::uint8_t buffer[kMaxDatagram];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        ssize_t got = recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr *>(&from), &length);
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;  // nothing pending (or an ICMP error report)
        }
        if (from.sin_family != AF_INET) continue;
        Ipv4 sender = ipv4FromValue(ntohl(from.sin_addr.s_addr));
        if (sender == local_) continue;  // our own broadcast
        return Datagram{sender, Bytes(buffer, buffer + got)};
    }
}

std::optional<Datagram> DatagramSocket::receiveUntil(Clock::time_point deadline) {
    for (;;) {
        if (auto datagram = take()) return datagram;
        if (!waitReadable(&fd_, 1, deadline)) return std::nullopt;
    }
}

std::optional<Datagram> waitForAnswer(DatagramSocket &socket,
                                      const std::function<bool(const Datagram &)> &accept,
                                      milliseconds timeout, WaitRule rule) {
    auto deadline = Clock::now() + timeout;
    while (auto datagram = socket.receiveUntil(deadline)) {
        if (accept(*datagram)) return datagram;
        if (rule == WaitRule::RestartOnAnyDatagram) deadline = Clock::now() + timeout;
    }
    return std::nullopt;
}

}  // namespace orvex::lan
