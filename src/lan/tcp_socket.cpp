#include "lan/tcp_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <fcntl.h>
#include <thread>

#include "lan/address_text.h"
#include "lan/discovery.h"
#include "netns/namespace_guard.h"

namespace orvex::lan {
namespace {

constexpr int kCreateRetries = 5;
constexpr std::chrono::milliseconds kCreateRetryPause{200};
constexpr int kAddressInUseRetries = 5;
constexpr std::size_t kReceiveChunk = 513;

sockaddr_in socketAddress(const Ipv4 &address, int port) {
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_port = htons(static_cast<std::uint16_t>(port));
    out.sin_addr.s_addr = htonl(ipv4Value(address));
    return out;
}

// Non-blocking connect bounded by the timeout; errno tells why it failed.
bool connectWithin(int fd, const sockaddr_in &to, std::chrono::milliseconds timeout) {
    int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    int result = connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof to);
    if (result != 0 && errno == EINPROGRESS) {
        pollfd polled{fd, POLLOUT, 0};
        int ready;
        do {
            ready = poll(&polled, 1, static_cast<int>(timeout.count()));
        } while (ready < 0 && errno == EINTR);
        if (ready <= 0) {
            errno = ETIMEDOUT;
            return false;
        }
        int error = 0;
        socklen_t length = sizeof error;
        getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
        errno = error;
        result = error == 0 ? 0 : -1;
    }
    fcntl(fd, F_SETFL, flags);
    return result == 0;
}

}  // namespace

bool TcpSocket::loadAdapters() {
    adapters_ = source_.adapters();
    return !adapters_.empty();
}

bool TcpSocket::firstAdapter() {
    if (adapters_.empty()) return false;
    localAddress_ = adapters_.front().address;
    return true;
}

bool TcpSocket::nextAdapter() {
    if (localAddress_.empty()) return firstAdapter();
    for (std::size_t i = 0; i < adapters_.size(); ++i) {
        if (adapters_[i].address != localAddress_) continue;
        if (i + 1 == adapters_.size()) return false;
        localAddress_ = adapters_[i + 1].address;
        return true;
    }
    return false;
}

void TcpSocket::chooseAdapterFor(const std::string &destination) {
    if (adapters_.empty()) loadAdapters();
    auto address = parseIpv4(destination);
    std::optional<int> best = address ? source_.bestInterfaceIndex(*address) : std::nullopt;
    auto chosen = chooseAdapter(adapters_, best, address.value_or(Ipv4{}));
    localAddress_ = chosen ? chosen->address : std::string();
}

bool TcpSocket::connectTcp(const std::string &address) {
    close();
    std::string text = address;
    if (text.find('[') != std::string::npos) {
        if (adapters_.empty()) loadAdapters();
        text = resolve(bracketPrefix(text), adapters_, kResolveTimeout);
    }
    auto split = splitPort(text);
    if (!split) return false;
    host_ = split->host;
    port_ = split->port;
    chooseAdapterFor(host_);
    return connectToHost();
}

bool TcpSocket::connectToHost() {
    auto destination = parseIpv4(host_);
    if (!destination || !netns::networkAllowed()) return false;
    auto local = parseIpv4(localAddress_);
    for (int retry = 0;; ++retry) {
        for (int attempt = 0;; ++attempt) {
            fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (fd_ >= 0) break;
            if (attempt == kCreateRetries) return false;
            std::this_thread::sleep_for(kCreateRetryPause);
        }
        int on = 1;
        setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);  // a frame leaves at once
        // A reader that stops reading must not hold the worker in send() forever.
        timeval sendTimeout{2, 0};
        setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
        bool ok = true;
        if (local) {
            sockaddr_in from = socketAddress(*local, 0);
            ok = bind(fd_, reinterpret_cast<sockaddr *>(&from), sizeof from) == 0;
        }
        ok = ok && connectWithin(fd_, socketAddress(*destination, port_), kConnectTimeout);
        if (ok) {
            connected_ = true;
            return true;
        }
        int error = errno;
        close();
        if (error != EADDRINUSE || retry == kAddressInUseRetries) return false;
    }
}

bool TcpSocket::ensureConnected() {
    if (connected_ && peerClosed()) close();
    if (connected_) return true;
    if (host_.empty()) return false;
    close();
    return connectToHost();
}

bool TcpSocket::sendAll(const std::uint8_t *data, std::size_t length) {
    if (!ensureConnected()) return false;
    while (length > 0) {
        ssize_t sent = send(fd_, data, length, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) {
            close();
            return false;
        }
        data += sent;
        length -= static_cast<std::size_t>(sent);
    }
    return true;
}

bool TcpSocket::peerClosed() {
    for (;;) {
        pollfd polled{fd_, POLLIN | POLLRDHUP, 0};
        if (poll(&polled, 1, 0) <= 0) return false;
        if (!(polled.revents & (POLLRDHUP | POLLHUP | POLLERR))) return false;
        // Bytes ahead of the end still belong to the receiver.
        if (receiveReady() != Received::Bytes) return true;
    }
}

TcpSocket::Received TcpSocket::receiveReady() {
    if (fd_ < 0) return Received::Closed;
    std::uint8_t buffer[kReceiveChunk];
    ssize_t got = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (got > 0) {
        if (receiver_) receiver_->receiveBytes(buffer, static_cast<std::size_t>(got));
        return Received::Bytes;
    }
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return Received::Nothing;
    close();
    return Received::Closed;
}

void TcpSocket::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    connected_ = false;
}

}  // namespace orvex::lan
