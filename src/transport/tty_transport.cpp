#include "transport/tty_transport.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "transport/tty_line.h"

namespace orvex {

namespace {

constexpr std::size_t kReadChunk = 4096;

bool watchFd(int epollFd, int op, int fd, std::uint32_t events) {
    epoll_event e{};
    e.events = events;
    e.data.fd = fd;
    return epoll_ctl(epollFd, op, fd, &e) == 0;
}

}  // namespace

std::unique_ptr<TtyTransport> TtyTransport::open(const std::string &device, const LineSettings &settings,
                                                 ByteSink &sink) {
    if (settings.rate <= 0) return nullptr;
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    // Not shared: a second opener (other than root) gets EBUSY.
    (void)ioctl(fd, TIOCEXCL);
    if (!isatty(fd)) {
        ::close(fd);
        return nullptr;
    }
    // A device that refuses a setting keeps what it accepted, as a serial
    // port does; a wrong rate shows up as a reader that does not answer.
    (void)applyLineSettings(fd, settings);
    prepareLine(fd);
    const int wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    const int epollFd = epoll_create1(EPOLL_CLOEXEC);
    if (wakeFd < 0 || epollFd < 0 || !watchFd(epollFd, EPOLL_CTL_ADD, wakeFd, EPOLLIN) ||
        !watchFd(epollFd, EPOLL_CTL_ADD, fd, EPOLLIN)) {
        for (int open : {fd, wakeFd, epollFd})
            if (open >= 0) ::close(open);
        return nullptr;
    }
    std::unique_ptr<TtyTransport> t(new TtyTransport(fd, wakeFd, epollFd, sink, settings));
    t->thread_ = std::thread(&TtyTransport::run, t.get());
    return t;
}

TtyTransport::TtyTransport(int fd, int wakeFd, int epollFd, ByteSink &sink, const LineSettings &settings)
    : fd_(fd), wakeFd_(wakeFd), epollFd_(epollFd), sink_(sink), requested_(settings) {
    transmit_.reserve(kTransmitCapacity);
}

TtyTransport::~TtyTransport() { close(); }

void TtyTransport::close() {
    std::call_once(closed_, [this] {
        stopping_ = true;
        wake();
        if (thread_.joinable()) thread_.join();
        ::close(fd_);
        ::close(wakeFd_);
        ::close(epollFd_);
        alive_ = false;
    });
}

bool TtyTransport::send(const std::uint8_t *data, std::size_t length) {
    {
        std::lock_guard lock(mutex_);
        if (length > kTransmitCapacity - transmit_.size()) return false;
        // Nothing queued ahead: write at once instead of waking the reader
        // thread first (one hop less per request). What the kernel does not
        // take now goes out on the thread's next POLLOUT.
        if (transmit_.empty()) {
            ssize_t n;
            do n = ::write(fd_, data, length);
            while (n < 0 && errno == EINTR);
            if (n > 0) {
                data += n;
                length -= static_cast<std::size_t>(n);
            }
            if (length == 0) return true;
        }
        transmit_.insert(transmit_.end(), data, data + length);
    }
    wake();
    return true;
}

bool TtyTransport::setLine(const LineSettings &settings) {
    std::lock_guard lock(mutex_);
    requested_ = settings;
    return applyLineSettings(fd_, settings);
}

LineSettings TtyTransport::requestedLine() const {
    std::lock_guard lock(mutex_);
    return requested_;
}

void TtyTransport::wake() {
    std::uint64_t one = 1;
    (void)!::write(wakeFd_, &one, sizeof one);
}

void TtyTransport::run() {
    bool output = false;
    while (!stopping_ && !lost_) {
        epoll_event events[2];
        const int count = epoll_wait(epollFd_, events, 2, -1);
        if (count < 0) {
            if (errno == EINTR) continue;
            break;
        }
        std::uint32_t device = 0;
        for (int i = 0; i < count; ++i) {
            if (events[i].data.fd == fd_) {
                device = events[i].events;
            } else {
                std::uint64_t wakes;
                (void)!::read(wakeFd_, &wakes, sizeof wakes);
            }
        }
        if (stopping_) break;
        bool gone = false;
        {
            std::lock_guard lock(readMutex_);
            if (direct_) {
                // A caller reads the device; an event from before it took
                // over is its own.
                continue;
            }
            // The caller is done: the input (and what came meanwhile, which
            // wakes this thread at once) is ours again.
            if (!watching_)
                watching_ = watchFd(epollFd_, EPOLL_CTL_ADD, fd_, output ? EPOLLIN | EPOLLOUT : EPOLLIN);
            gone = (device & (EPOLLHUP | EPOLLERR)) != 0;
            // Drain what arrived before a hang-up so the last answer is not lost.
            if ((device & (EPOLLIN | EPOLLHUP)) && !readAvailable()) gone = true;
            if (!gone) {
                const bool pending = writePending();
                if (!alive_) {
                    gone = true;
                } else if (pending != output) {
                    output = pending;
                    watchFd(epollFd_, EPOLL_CTL_MOD, fd_, output ? EPOLLIN | EPOLLOUT : EPOLLIN);
                }
            }
        }
        if (gone) {
            lost();
            return;
        }
    }
}

void TtyTransport::lost() {
    if (lost_.exchange(true)) return;
    alive_ = false;
    sink_.linkLost();
}

bool TtyTransport::beginDirectRead() {
    // Waits for a delivery the thread may be in the middle of.
    std::lock_guard lock(readMutex_);
    if (lost_ || stopping_) return false;
    {
        // Bytes still queued need the thread to write them out: it does the
        // whole exchange then.
        std::lock_guard queue(mutex_);
        if (!transmit_.empty()) return false;
    }
    // Out of the thread's set, so the answer wakes this caller only.
    if (watching_) {
        if (epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd_, nullptr) != 0) return false;
        watching_ = false;
    }
    direct_ = true;
    return true;
}

void TtyTransport::readDirect(std::chrono::steady_clock::time_point until) {
    const auto left = until - std::chrono::steady_clock::now();
    if (left <= left.zero()) return;
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    const timespec timeout{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
    pollfd polled{fd_, POLLIN, 0};
    if (::ppoll(&polled, 1, &timeout, nullptr) <= 0) return;
    // One read: the caller looks at what came and asks again if the frame is
    // not complete. A hang-up counts once the bytes before it are read.
    const bool hungUp = (polled.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
    std::uint8_t buffer[kReadChunk];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n > 0)
        sink_.receiveBytes(buffer, static_cast<std::size_t>(n));
    else if (hungUp || n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
        lost();
}

void TtyTransport::endDirectRead() {
    {
        std::lock_guard lock(readMutex_);
        direct_ = false;
    }
    // The thread puts the device back into its set itself, off this
    // caller's way.
    wake();
}

// False when the device reports end of file or an error (hung up, unplugged).
bool TtyTransport::readAvailable() {
    std::uint8_t buffer[kReadChunk];
    for (;;) {
        ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            sink_.receiveBytes(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

// Writes what is queued; true when bytes remain for the next POLLOUT.
bool TtyTransport::writePending() {
    std::lock_guard lock(mutex_);
    while (!transmit_.empty()) {
        ssize_t n = ::write(fd_, transmit_.data(), transmit_.size());
        if (n > 0) {
            transmit_.erase(transmit_.begin(), transmit_.begin() + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        alive_ = false;
        return false;
    }
    return false;
}

}  // namespace orvex
