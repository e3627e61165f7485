// Kept apart from every file that includes <termios.h>: <asm/termbits.h>
// defines the same names differently, and only it knows termios2/BOTHER.
#include "transport/tty_line.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <iterator>

namespace orvex {

namespace {
struct Format {
    Parity parity;
    StopBits stopBits;
};
constexpr Format kModes[] = {
    {Parity::None, StopBits::One},
    {Parity::Even, StopBits::One},
    {Parity::Odd, StopBits::One},
    {Parity::None, StopBits::Two},
};
}  // namespace

LineSettings lineSettingsFromMode(int rate, int mode) {
    LineSettings s;
    s.rate = rate;
    if (mode >= 0 && mode < static_cast<int>(std::size(kModes))) {
        s.parity = kModes[mode].parity;
        s.stopBits = kModes[mode].stopBits;
    }
    return s;
}

LineSettings lineSettingsFromBaudArgument(int baud) {
    return lineSettingsFromMode(baud / 100 * 100, baud % 100);
}

void fillTermios2(::termios2 &t, const LineSettings &settings) {
    t.c_iflag = 0;
    t.c_oflag = 0;
    t.c_lflag = 0;
    t.c_cflag = CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
    if (settings.parity != Parity::None) t.c_cflag |= PARENB;
    if (settings.parity == Parity::Odd) t.c_cflag |= PARODD;
    if (settings.stopBits == StopBits::Two) t.c_cflag |= CSTOPB;
    for (auto &c : t.c_cc) c = 0;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    t.c_ispeed = static_cast<speed_t>(settings.rate);
    t.c_ospeed = static_cast<speed_t>(settings.rate);
}

bool applyLineSettings(int fd, const LineSettings &settings) {
    if (settings.rate <= 0) return false;
    ::termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return false;
    fillTermios2(t, settings);
    return ioctl(fd, TCSETS2, &t) == 0;
}

void prepareLine(int fd) {
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)ioctl(fd, TIOCMBIS, &lines);
    (void)ioctl(fd, TCFLSH, TCIOFLUSH);
}

std::optional<LineSettings> readLineSettings(int fd) {
    ::termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return std::nullopt;
    LineSettings s;
    s.rate = static_cast<int>(t.c_ospeed);
    s.parity = !(t.c_cflag & PARENB) ? Parity::None : (t.c_cflag & PARODD) ? Parity::Odd : Parity::Even;
    s.stopBits = (t.c_cflag & CSTOPB) ? StopBits::Two : StopBits::One;
    return s;
}

}  // namespace orvex
