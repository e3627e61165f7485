// The LAN data link when the reader closes its end around a request: each
// case forces one ordering of the close and the request with a scripted peer
// on the lab's host adapter.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "common/lan_lab.h"
#include "lan/lan_link.h"
#include "lan/tcp_socket.h"

namespace orvex::lan {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

constexpr auto kPatience = 5s;  // only a broken link waits this long
constexpr std::size_t kRequestSize = 3;

Bytes request(std::uint8_t id) { return {0x10, id, 0x20}; }
Bytes answer(std::uint8_t id) { return {0xA0, id}; }

// What the reader does on its n-th connection.
enum class Conn {
    Answer,                  // answers every request
    CloseAtOnce,             // closes right after accepting
    CloseWithRequestUnread,  // closes once a request is there, without reading it
    AnswerPartlyAndClose,    // reads the request, sends one byte of the answer, closes
};

// A reader's data link on the lab's host adapter. Connections beyond the
// script answer.
class ScriptedPeer {
public:
    explicit ScriptedPeer(std::vector<Conn> script) : script_(std::move(script)) {
        listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = inet_addr("192.168.1.1");
        socklen_t length = sizeof at;
        if (bind(listen_, reinterpret_cast<sockaddr *>(&at), sizeof at) != 0 || ::listen(listen_, 4) != 0 ||
            getsockname(listen_, reinterpret_cast<sockaddr *>(&at), &length) != 0)
            ADD_FAILURE() << "peer cannot listen";
        port_ = ntohs(at.sin_port);
        thread_ = std::thread([this] { run(); });
    }
    ~ScriptedPeer() {
        std::uint64_t one = 1;
        (void)!write(stop_, &one, sizeof one);
        thread_.join();
        ::close(listen_);
        ::close(stop_);
    }

    std::string address() const { return "192.168.1.1-" + std::to_string(port_); }

    // The requests it read: (connection number from 1, request id).
    std::vector<std::pair<int, int>> requestsRead() {
        std::lock_guard lock(mutex_);
        return read_;
    }
    bool waitUntilClosed(int connections) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return closed_ >= connections; });
    }
    bool waitUntilRead(std::size_t requests) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return read_.size() >= requests; });
    }

private:
    // Waits for fd to become readable; false when the peer is stopping.
    bool readable(int fd) {
        pollfd polled[2] = {{fd, POLLIN, 0}, {stop_, POLLIN, 0}};
        while (poll(polled, 2, -1) < 0) {
        }
        return !(polled[1].revents & POLLIN);
    }
    // The id of the next request, or -1 when the link ended.
    int readRequest(int fd, int connection) {
        Bytes got(kRequestSize);
        for (std::size_t have = 0; have < got.size();) {
            if (!readable(fd)) return -1;
            ssize_t n = recv(fd, got.data() + have, got.size() - have, 0);
            if (n <= 0) return -1;
            have += static_cast<std::size_t>(n);
        }
        std::lock_guard lock(mutex_);
        read_.emplace_back(connection, got[1]);
        changed_.notify_all();
        return got[1];
    }
    void closeConnection(int fd) {
        ::close(fd);
        std::lock_guard lock(mutex_);
        ++closed_;
        changed_.notify_all();
    }
    void run() {
        for (int connection = 1; readable(listen_); ++connection) {
            int fd = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) return;
            const std::size_t n = static_cast<std::size_t>(connection - 1);
            switch (n < script_.size() ? script_[n] : Conn::Answer) {
                case Conn::CloseAtOnce:
                    break;
                case Conn::CloseWithRequestUnread:
                    // Unread data turns the close into a reset: the request is gone.
                    (void)readable(fd);
                    break;
                case Conn::AnswerPartlyAndClose:
                    if (readRequest(fd, connection) >= 0) (void)!send(fd, answer(0).data(), 1, MSG_NOSIGNAL);
                    break;
                case Conn::Answer:
                    for (int id; (id = readRequest(fd, connection)) >= 0;) {
                        const Bytes reply = answer(static_cast<std::uint8_t>(id));
                        (void)!send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
                    }
                    break;
            }
            closeConnection(fd);
        }
    }

    std::vector<Conn> script_;
    int listen_ = -1;
    int stop_ = eventfd(0, EFD_CLOEXEC);
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::pair<int, int>> read_;
    int closed_ = 0;
};

// Collects what the link hands to its port.
class Collector : public ByteSink {
public:
    void receiveBytes(const std::uint8_t *data, std::size_t length) override {
        std::lock_guard lock(mutex_);
        got_.insert(got_.end(), data, data + length);
        arrived_.notify_all();
    }
    Bytes waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, kPatience, [&] { return got_.size() >= count; });
        return got_;
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    Bytes got_;
};

void sendRequest(Transport &link, std::uint8_t id) {
    const Bytes r = request(id);
    link.sendRequest(r.data(), r.size(), std::chrono::steady_clock::now() + kPatience);
}

TEST(LanDataLinkOrdering, RequestLostToTheReadersCloseIsSentOnceMore) {
    ORVEX_LAN_LAB();
    // Request 1 meets a reader that drops the link without reading it; the
    // link connects again and repeats it, once.
    ScriptedPeer peer({Conn::CloseWithRequestUnread});
    Collector port;
    auto link = openDataLink(peer.address(), port);
    ASSERT_TRUE(link);
    sendRequest(*link, 1);
    EXPECT_EQ(port.waitFor(2), answer(1));
    EXPECT_EQ(peer.requestsRead(), (std::vector<std::pair<int, int>>{{2, 1}}));
}

TEST(LanDataLinkOrdering, RepeatsAtMostOnceAndNeverAfterTheAnswerBegan) {
    ORVEX_LAN_LAB();
    struct Case {
        const char *what;
        std::vector<Conn> script;
        int closed;            // connections the reader closes around request 1
        std::size_t answered;  // bytes of request 1's answer that arrive
        Bytes received;
        std::vector<std::pair<int, int>> read;
    } cases[] = {
        {"dropped twice",
         {Conn::CloseWithRequestUnread, Conn::CloseWithRequestUnread},
         2,
         0,
         answer(2),
         {{3, 2}}},
        {"answer began", {Conn::AnswerPartlyAndClose}, 1, 1, {0xA0, 0xA0, 2}, {{1, 1}, {2, 2}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedPeer peer(c.script);
        Collector port;
        auto link = openDataLink(peer.address(), port);
        ASSERT_TRUE(link);
        sendRequest(*link, 1);
        ASSERT_TRUE(peer.waitUntilClosed(c.closed));
        ASSERT_EQ(port.waitFor(c.answered).size(), c.answered);
        // Request 2 goes out on a fresh connection, and request 1 never again.
        sendRequest(*link, 2);
        EXPECT_EQ(port.waitFor(c.received.size()), c.received);
        EXPECT_EQ(peer.requestsRead(), c.read);
    }
}

TEST(LanDataLinkOrdering, RequestWrittenAfterTheReadersCloseArrivedGoesToANewConnection) {
    ORVEX_LAN_LAB();
    ScriptedPeer peer({Conn::CloseAtOnce});
    TcpSocket socket;
    ASSERT_TRUE(socket.connectTcp(peer.address()));
    ASSERT_TRUE(peer.waitUntilClosed(1));
    // The reader's end has arrived but nobody has read it yet.
    pollfd polled{socket.fd(), POLLRDHUP, 0};
    ASSERT_EQ(poll(&polled, 1, std::chrono::milliseconds(kPatience).count()), 1);
    const Bytes r = request(7);
    ASSERT_TRUE(socket.sendAll(r.data(), r.size()));
    ASSERT_TRUE(peer.waitUntilRead(1));
    EXPECT_EQ(peer.requestsRead(), (std::vector<std::pair<int, int>>{{2, 7}}));
}

}  // namespace
}  // namespace orvex::lan
