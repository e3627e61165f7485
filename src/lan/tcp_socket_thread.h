// The worker of a LAN port: owns the TCP link, sends queued frames the moment
// they are queued and hands received bytes to the port. It sleeps in one
// poll() on the socket and an eventfd; nothing polls on a period.
#pragma once

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "lan/tcp_socket.h"

namespace orvex::lan {

class TcpSocketThread {
public:
    explicit TcpSocketThread(AdapterSource &adapters = adapterSource());
    ~TcpSocketThread();
    TcpSocketThread(const TcpSocketThread &) = delete;
    TcpSocketThread &operator=(const TcpSocketThread &) = delete;

    void setReceiver(ByteSink *receiver) { socket_.setReceiver(receiver); }

    // Connects to the address text and starts the worker; false when the
    // connect failed (nothing keeps running then).
    bool start(const std::string &address);
    // Queues a copy of the bytes for the worker. Always true: a frame that
    // cannot be sent after a failed reconnect is dropped, and the frame
    // protocol reports its time-out.
    bool send(const std::uint8_t *data, std::size_t length);
    // The same for a request whose caller waits for the answer until `until`.
    // When the link turns out closed before any byte of the answer came, the
    // request may have been lost with it: it is sent once more on a new
    // connection, while the caller still waits.
    bool sendRequest(const std::uint8_t *data, std::size_t length,
                     std::chrono::steady_clock::time_point until);
    // Ends the worker and closes the link. Idempotent.
    void stop();
    bool running() const { return running_.load(); }

private:
    struct Outgoing {
        std::vector<std::uint8_t> bytes;
        bool request = false;
        std::chrono::steady_clock::time_point until;
    };

    void queue(Outgoing outgoing);
    void run();
    void wake();
    void send(Outgoing &outgoing);
    void received(TcpSocket::Received what);

    TcpSocket socket_;
    int wakeFd_ = -1;
    std::thread worker_;
    std::mutex queueMutex_;
    std::deque<Outgoing> queue_;
    // Worker only: the request last written while no byte has answered it,
    // and whether it may still be sent once more.
    Outgoing unanswered_;
    bool mayRepeat_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
};

}  // namespace orvex::lan
