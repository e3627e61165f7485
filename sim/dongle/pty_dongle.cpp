#include "sim/dongle/pty_dongle.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "sim/pseudo_terminal.h"

namespace orvex::sim::dongle {

PtyDongle::PtyDongle(DongleOptions options, const Options &base) : core_(std::move(options), base) {
    PseudoTerminal pty = openPseudoTerminal();
    master_ = pty.master;
    slaveHold_ = pty.slaveHold;
    slavePath_ = pty.slavePath;
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        auto error = systemError("eventfd");
        for (int fd : {master_, slaveHold_})
            if (fd >= 0) ::close(fd);
        throw error;
    }
    thread_ = std::thread(&PtyDongle::run, this);
}

PtyDongle::~PtyDongle() { stop(); }

void PtyDongle::stop() {
    if (!stopping_.exchange(true)) {
        const std::uint64_t one = 1;
        (void)::write(wakeFd_, &one, sizeof one);
    }
    if (thread_.joinable()) thread_.join();
    for (int *fd : {&master_, &slaveHold_, &wakeFd_})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
}

void PtyDongle::run() {
    Bytes pending;  // frames the terminal had no room for yet
    while (!stopping_) {
        const auto now = Clock::now();
        Bytes due = core_.takeDue(now);
        pending.insert(pending.end(), due.begin(), due.end());
        while (!pending.empty()) {
            const ssize_t n = ::write(master_, pending.data(), pending.size());
            if (n <= 0) break;
            pending.erase(pending.begin(), pending.begin() + n);
        }
        int timeout = -1;
        if (auto next = core_.nextDue())
            timeout = static_cast<int>(std::max<long>(
                0, std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now()).count()));
        pollfd fds[2] = {{master_, static_cast<short>(POLLIN | (pending.empty() ? 0 : POLLOUT)), 0},
                         {wakeFd_, POLLIN, 0}};
        if (::poll(fds, 2, timeout) < 0 && errno != EINTR) return;
        if (fds[0].revents & POLLIN) {
            std::uint8_t buffer[4096];
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0) core_.receive(buffer, static_cast<std::size_t>(n), Clock::now());
        }
    }
}

}  // namespace orvex::sim::dongle
