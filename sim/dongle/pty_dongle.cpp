#include "sim/dongle/pty_dongle.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace orvex::sim::dongle {

namespace {
std::runtime_error systemError(const std::string &what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}
}  // namespace

PtyDongle::PtyDongle(DongleOptions options, const Options &base) : core_(std::move(options), base) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) throw systemError("posix_openpt");
    char name[128];
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || ::ptsname_r(master_, name, sizeof name) != 0) {
        ::close(master_);
        throw systemError("pseudo-terminal setup");
    }
    slavePath_ = name;
    // Held open so the master never reads a hang-up between two hosts.
    slaveHold_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    termios t{};
    if (slaveHold_ < 0 || wakeFd_ < 0 || tcgetattr(slaveHold_, &t) != 0) {
        auto error = systemError("pseudo-terminal setup");
        for (int fd : {master_, slaveHold_, wakeFd_})
            if (fd >= 0) ::close(fd);
        throw error;
    }
    cfmakeraw(&t);
    tcsetattr(slaveHold_, TCSANOW, &t);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
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
