#include "sim/pty_line.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace orvex::sim {

std::optional<HostLine> readHostLine(int masterFd) {
    struct termios2 t {};
    if (::ioctl(masterFd, TCGETS2, &t) != 0) return std::nullopt;
    return HostLine{static_cast<int>(t.c_ospeed), (t.c_cflag & CSTOPB) ? 2 : 1};
}

bool setRawLine(int fd, const ReaderLine &line) {
    struct termios2 t {};
    if (::ioctl(fd, TCGETS2, &t) != 0) return false;
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CBAUD | CIBAUD);
    t.c_cflag |= CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
    if (line.parity != LineParity::None) t.c_cflag |= PARENB;
    if (line.parity == LineParity::Odd) t.c_cflag |= PARODD;
    if (line.stopBits == 2) t.c_cflag |= CSTOPB;
    t.c_ispeed = t.c_ospeed = static_cast<speed_t>(line.rate);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return ::ioctl(fd, TCSETS2, &t) == 0;
}

}  // namespace orvex::sim
