#include "lan/tcp_socket_thread.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

namespace orvex::lan {

TcpSocketThread::TcpSocketThread(AdapterSource &adapters)
    : socket_(adapters), wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

TcpSocketThread::~TcpSocketThread() {
    stop();
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

bool TcpSocketThread::start(const std::string &address) {
    if (wakeFd_ < 0 || running_.load()) return false;
    // The first connect runs here, before the worker exists, so the caller
    // learns its outcome directly; from then on only the worker touches the socket.
    if (!socket_.connectTcp(address)) return false;
    stop_ = false;
    running_ = true;
    worker_ = std::thread([this] { run(); });
    return true;
}

bool TcpSocketThread::send(const std::uint8_t *data, std::size_t length) {
    queue({std::vector<std::uint8_t>(data, data + length), false, {}});
    return true;
}

bool TcpSocketThread::sendRequest(const std::uint8_t *data, std::size_t length,
                                  std::chrono::steady_clock::time_point until) {
    queue({std::vector<std::uint8_t>(data, data + length), true, until});
    return true;
}

void TcpSocketThread::queue(Outgoing outgoing) {
    {
        std::lock_guard lock(queueMutex_);
        queue_.push_back(std::move(outgoing));
    }
    wake();
}

void TcpSocketThread::stop() {
    if (worker_.joinable()) {
        stop_ = true;
        wake();
        worker_.join();
    }
    socket_.close();
    running_ = false;
}

void TcpSocketThread::wake() {
    std::uint64_t one = 1;
    while (write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void TcpSocketThread::run() {
    while (!stop_.load()) {
        pollfd polled[2] = {{wakeFd_, POLLIN, 0}, {socket_.fd(), POLLIN, 0}};
        nfds_t count = socket_.fd() >= 0 ? 2 : 1;
        if (poll(polled, count, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        // What the old connection still says comes before anything new goes out.
        if (count == 2 && (polled[1].revents & (POLLIN | POLLHUP | POLLERR)))
            received(socket_.receiveReady());
        if (polled[0].revents & POLLIN) {
            std::uint64_t counter;
            while (read(wakeFd_, &counter, sizeof counter) < 0 && errno == EINTR) {
            }
            for (;;) {
                Outgoing next;
                {
                    std::lock_guard lock(queueMutex_);
                    if (queue_.empty() || stop_.load()) break;
                    next = std::move(queue_.front());
                    queue_.pop_front();
                }
                send(next);
            }
        }
    }
    socket_.close();
}

void TcpSocketThread::send(Outgoing &outgoing) {
    mayRepeat_ = outgoing.request;
    // Without a link the frame is dropped; the caller's wait times out.
    if (socket_.ensureConnected() && !socket_.sendAll(outgoing.bytes.data(), outgoing.bytes.size()) &&
        mayRepeat_) {
        // The link broke under the write: once more on a new connection.
        mayRepeat_ = false;
        socket_.sendAll(outgoing.bytes.data(), outgoing.bytes.size());
    }
    unanswered_ = std::move(outgoing);
}

void TcpSocketThread::received(TcpSocket::Received what) {
    if (what == TcpSocket::Received::Bytes) {
        mayRepeat_ = false;
    } else if (what == TcpSocket::Received::Closed && mayRepeat_ &&
               std::chrono::steady_clock::now() < unanswered_.until) {
        // The reader closed the link before answering: its close and the
        // request crossed, and the request went nowhere.
        mayRepeat_ = false;
        socket_.sendAll(unanswered_.bytes.data(), unanswered_.bytes.size());
    }
}

}  // namespace orvex::lan
