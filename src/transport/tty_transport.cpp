#include "transport/tty_transport.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "transport/tty_line.h"

namespace orvex {

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
    int wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) {
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<TtyTransport> t(new TtyTransport(fd, wakeFd, sink, settings));
    t->thread_ = std::thread(&TtyTransport::run, t.get());
    return t;
}

TtyTransport::TtyTransport(int fd, int wakeFd, ByteSink &sink, const LineSettings &settings)
    : fd_(fd), wakeFd_(wakeFd), sink_(sink), requested_(settings) {
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
    bool wantWrite = false;
    while (!stopping_) {
        pollfd fds[2] = {{fd_, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0},
                         {wakeFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents & POLLIN) {
            std::uint64_t count;
            (void)!::read(wakeFd_, &count, sizeof count);
            if (stopping_) break;
        }
        bool gone = (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        // Drain what arrived before a hang-up so the last answer is not lost.
        if ((fds[0].revents & (POLLIN | POLLHUP)) && !readAvailable()) gone = true;
        if (!gone) {
            wantWrite = writePending();
            if (!alive_) gone = true;
        }
        if (gone) {
            alive_ = false;
            sink_.linkLost();
            return;
        }
    }
}

// False when the device reports end of file or an error (hung up, unplugged).
bool TtyTransport::readAvailable() {
    std::uint8_t buffer[4096];
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
