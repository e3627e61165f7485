#include "sim/pty_reader.h"

#include <cerrno>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/timerfd.h>
#include <termios.h>
#include <unistd.h>

#include "sim/pseudo_terminal.h"
#include "sim/pty_line.h"

namespace orvex::sim {
namespace {

// Time the host gets to read a half answer before the line goes down; a hang-up discards
// whatever is still unread in the terminal.
constexpr std::chrono::milliseconds kHangupGrace(50);
// Output unread this long has no listener.
constexpr std::chrono::seconds kNoListenerAfter(1);

timespec toTimespec(Clock::time_point t) {
    auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
    if (ns <= 0) ns = 1;  // zero would disarm the timer
    return {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

}  // namespace

PtyReader::PtyReader(Options options, std::function<void()> restarted)
    : core_(std::move(options)), restarted_(std::move(restarted)) {
    PseudoTerminal pty = openPseudoTerminal();
    master_ = pty.master;
    slaveHold_ = pty.slaveHold;
    slavePath_ = pty.slavePath;
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    timerFd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
    if (wakeFd_ < 0 || timerFd_ < 0 || !setRawLine(slaveHold_, core_.line())) {
        auto error = systemError("pseudo-terminal setup");
        for (int fd : {master_, slaveHold_, wakeFd_, timerFd_})
            if (fd >= 0) ::close(fd);
        throw error;
    }
    thread_ = std::thread(&PtyReader::run, this);
}

PtyReader::~PtyReader() { stop(); }

void PtyReader::stop() {
    if (!stopping_.exchange(true)) wake();
    if (thread_.joinable()) thread_.join();
    for (int *fd : {&master_, &slaveHold_, &wakeFd_, &timerFd_})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
}

void PtyReader::setState(const ReaderState &state) {
    core_.setState(state);
    wake();
}

void PtyReader::modifyState(const std::function<void(ReaderState &)> &change) {
    core_.modifyState(change);
    wake();
}

void PtyReader::wake() {
    if (wakeFd_ < 0) return;
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

bool PtyReader::hostLineMatches() {
    if (!lineMatchThisPass_) {
        auto host = readHostLine(master_);
        lineMatchThisPass_ = host && hostMatches(core_.line(), *host);
    }
    return *lineMatchThisPass_;
}

void PtyReader::run() {
    std::uint8_t buffer[4096];
    while (!stopping_.load()) {
        Clock::time_point now = Clock::now();
        if (hangupAt_ && now >= *hangupAt_) {
            hangUp();
            return;
        }
        blocked_ = !pump(now);

        // Transponder output on its own clock while the reader reads with output.
        auto output = core_.spontaneousOutput();
        if (!output) {
            nextEmit_.reset();
        } else if (!nextEmit_) {
            nextEmit_ = now + core_.emitPeriod();
        } else if (now >= *nextEmit_) {
            enqueue(std::move(*output), now);
            *nextEmit_ += core_.emitPeriod();
            if (*nextEmit_ <= now) nextEmit_ = now + core_.emitPeriod();  // fell behind: skip, do not burst
            continue;                                                     // send it right away
        }

        armTimer(nextDeadline(now));
        lineMatchThisPass_.reset();
        pollfd fds[3] = {{master_, static_cast<short>(POLLIN | (blocked_ ? POLLOUT : 0)), 0},
                         {wakeFd_, POLLIN, 0},
                         {timerFd_, POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        std::uint64_t count;
        if (fds[1].revents & POLLIN) [[maybe_unused]]
            ssize_t n = ::read(wakeFd_, &count, sizeof count);
        if (fds[2].revents & POLLIN) {
            [[maybe_unused]] ssize_t n = ::read(timerFd_, &count, sizeof count);
            armedFor_.reset();  // expired: the next deadline must be set again even if equal
        }
        if (fds[0].revents & POLLIN) {
            ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n < 0 && errno != EAGAIN && errno != EINTR) return;  // terminal gone: do not spin
            if (n > 0 && !hangupAt_) {  // a reader about to drop its line takes no new requests
                Clock::time_point at = Clock::now();
                if (hostLineMatches())
                    accept(core_.receive(buffer, static_cast<std::size_t>(n), at), at,
                           static_cast<std::size_t>(n));
                else
                    core_.lineNoise();  // a UART at another rate reads garbage
            }
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            return;  // cannot happen while the slave is held open; do not spin if it does
        }
    }
}

void PtyReader::accept(std::vector<Transmission> answers, Clock::time_point now, std::size_t requestBytes) {
    // At wire speed the request is only complete once its last byte has crossed the line.
    Clock::time_point arrived = now;
    if (core_.options().wireSpeed) arrived += core_.line().byteTime() * static_cast<long>(requestBytes);
    for (auto &answer : answers) {
        Clock::time_point earliest = std::max(arrived, now + answer.delay);
        enqueue(std::move(answer), earliest);
    }
}

void PtyReader::enqueue(Transmission transmission, Clock::time_point earliest) {
    Outgoing o;
    o.byteTime = core_.options().wireSpeed ? core_.line().byteTime() : std::chrono::nanoseconds(0);
    o.start = earliest;
    if (!queue_.empty()) {  // one line: a transmission starts when the previous one has ended
        const Outgoing &last = queue_.back();
        auto end = last.start + last.byteTime * static_cast<long>(last.transmission.bytes.size());
        o.start = std::max(o.start, end);
    }
    o.transmission = std::move(transmission);
    queue_.push_back(std::move(o));
}

bool PtyReader::pump(Clock::time_point now) {
    while (!queue_.empty()) {
        Outgoing &o = queue_.front();
        if (now < o.start) return true;
        const Bytes &bytes = o.transmission.bytes;
        if (!o.begun) {
            o.begun = true;
            o.lost = !hostLineMatches();
            // Output nobody read for a while is gone, as on a line without a
            // listener. A host with the port open reads within moments (a tty
            // buffers what arrives meanwhile), so its output is never dropped.
            int unread = 0;
            if (o.transmission.spontaneous && ::ioctl(slaveHold_, FIONREAD, &unread) == 0) {
                if (unread == 0) {
                    unreadSince_.reset();
                } else if (!unreadSince_) {
                    unreadSince_ = now;
                } else if (now - *unreadSince_ >= kNoListenerAfter) {
                    ::tcflush(slaveHold_, TCIFLUSH);
                    outputsDiscarded_.fetch_add(1);
                    unreadSince_.reset();
                }
            }
        }
        std::size_t limit = std::min(bytes.size(), o.transmission.hangupAfter.value_or(bytes.size()));
        std::size_t due = limit;
        if (o.byteTime.count() > 0) {
            auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - o.start);
            due = std::min<std::size_t>(limit, static_cast<std::size_t>(elapsed / o.byteTime));
            if (due > o.sent && !o.lost && !hostLineMatches())
                o.lost = true;  // host changed its line mid-answer
        }
        while (o.sent < due) {
            if (o.lost) {
                o.sent = due;
                break;
            }
            ssize_t n = ::write(master_, bytes.data() + o.sent, due - o.sent);
            if (n < 0) {
                if (errno == EINTR) continue;
                if (errno == EAGAIN) return false;
                o.lost = true;
                continue;
            }
            o.sent += static_cast<std::size_t>(n);
        }
        if (o.sent < limit) return true;  // next byte not yet due
        if (o.transmission.hangupAfter) {
            hangupAt_ = now + kHangupGrace;
            queue_.clear();
            return true;
        }
        if (o.transmission.spontaneous && !o.lost) outputsSent_.fetch_add(1);
        core_.transmitted(o.transmission);
        if (o.transmission.restartAfter && restarted_) restarted_();
        queue_.pop_front();
    }
    return true;
}

std::optional<Clock::time_point> PtyReader::nextDeadline(Clock::time_point now) const {
    std::optional<Clock::time_point> next = hangupAt_;
    auto consider = [&](Clock::time_point t) {
        if (!next || t < *next) next = t;
    };
    if (!queue_.empty() && !blocked_) {
        const Outgoing &o = queue_.front();
        consider(now < o.start ? o.start : o.start + o.byteTime * static_cast<long>(o.sent + 1));
    }
    if (nextEmit_) consider(*nextEmit_);
    return next;
}

void PtyReader::armTimer(std::optional<Clock::time_point> when) {
    if (when == armedFor_) return;
    armedFor_ = when;
    itimerspec timer{};
    if (when) timer.it_value = toTimespec(*when);
    ::timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &timer, nullptr);
}

void PtyReader::hangUp() {
    hungUp_.store(true);
    ::close(master_);
    master_ = -1;
    ::close(slaveHold_);
    slaveHold_ = -1;
}

}  // namespace orvex::sim
