#include "transport/tty_transport.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "transport/tty_line.h"
#include "transport/tty_open.h"

namespace orvex {

namespace {

constexpr std::size_t kReadChunk = 4096;
using Clock = std::chrono::steady_clock;

}  // namespace

std::unique_ptr<TtyTransport> TtyTransport::open(const std::string &device, const LineSettings &settings,
                                                 ByteSink &sink) {
    if (settings.rate <= 0) return nullptr;
    const int fd = openTtyExclusively(device);
    if (fd < 0) return nullptr;
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
    while (!stopping_ && !lost_) {
        int timeoutMs = -1;
        bool watch;
        {
            std::lock_guard lock(readMutex_);
            const auto now = Clock::now();
            if (direct_) {
                stance_ = Stance::AsideUntilWoken;
            } else if (now < lastDirect_ + kStandAside) {
                stance_ = Stance::AsideForAWhile;
                timeoutMs = static_cast<int>(
                    std::chrono::ceil<std::chrono::milliseconds>(lastDirect_ + kStandAside - now).count());
            } else {
                stance_ = Stance::Watching;
            }
            watch = stance_ == Stance::Watching;
        }
        const short events = static_cast<short>((watch ? POLLIN : 0) | (wantWrite ? POLLOUT : 0));
        pollfd fds[2] = {{events ? fd_ : -1, events, 0}, {wakeFd_, POLLIN, 0}};
        if (::poll(fds, 2, timeoutMs) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents & POLLIN) {
            std::uint64_t wakes;
            (void)!::read(wakeFd_, &wakes, sizeof wakes);
        }
        if (stopping_) break;
        const short device = fds[0].revents;
        bool gone = (device & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        {
            std::lock_guard lock(readMutex_);
            if (device && direct_) {
                // A caller took over meanwhile; the input (and a hang-up) is its.
                if (gone) wantWrite = false;
                continue;
            }
            // Drain what arrived before a hang-up so the last answer is not lost.
            if ((device & (POLLIN | POLLHUP)) && !readAvailable()) gone = true;
        }
        if (!gone) {
            wantWrite = writePending();
            if (!alive_) gone = true;
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
    bool wakeThread;
    {
        // Waits for a delivery the thread may be in the middle of.
        std::lock_guard lock(readMutex_);
        if (lost_ || stopping_) return false;
        {
            // Bytes still queued need the thread to write them out: it does
            // the whole exchange then.
            std::lock_guard queue(mutex_);
            if (!transmit_.empty()) return false;
        }
        direct_ = true;
        wakeThread = stance_ == Stance::Watching;
    }
    // A thread that watches the device moves aside before the answer comes,
    // so the answer wakes this caller only.
    if (wakeThread) wake();
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
    bool wakeThread;
    {
        std::lock_guard lock(readMutex_);
        direct_ = false;
        lastDirect_ = Clock::now();
        wakeThread = stance_ == Stance::AsideUntilWoken;
    }
    if (wakeThread) wake();
}

void TtyTransport::poll(std::size_t maxBytes) {
    (void)maxBytes;
    // While the thread stands aside, whoever asks fetches what waits.
    std::lock_guard lock(readMutex_);
    if (!direct_ && stance_ != Stance::Watching && !lost_ && !readAvailable()) lost();
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
