#include "transport/tty_open.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace orvex {

namespace {

int closeFailing(int fd, int error) {
    ::close(fd);
    errno = error;
    return -1;
}

}  // namespace

int openTtyExclusively(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    if (!isatty(fd)) return closeFailing(fd, ENOTTY);
    // The lock first: it tells a busy line apart from one that is free.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return closeFailing(fd, errno == EWOULDBLOCK ? EBUSY : errno);
    (void)ioctl(fd, TIOCEXCL);
    return fd;
}

}  // namespace orvex
