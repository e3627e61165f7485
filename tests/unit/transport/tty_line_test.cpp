// What the tty transport asks the kernel for. Kept apart from <termios.h>.
#include <gtest/gtest.h>

#include <asm/termbits.h>
#include <cstring>

#include "transport/tty_line.h"

namespace orvex {
namespace {

TEST(LineSettings, BaudArgumentCarriesTheFormat) {
    struct Case {
        int baud;
        int rate;
        Parity parity;
        StopBits stop;
    };
    const Case cases[] = {
        {9600, 9600, Parity::None, StopBits::One},     {9601, 9600, Parity::Even, StopBits::One},
        {9602, 9600, Parity::Odd, StopBits::One},      {9603, 9600, Parity::None, StopBits::Two},
        {9604, 9600, Parity::None, StopBits::One},     {9699, 9600, Parity::None, StopBits::One},
        {115201, 115200, Parity::Even, StopBits::One}, {1382400, 1382400, Parity::None, StopBits::One},
        {14403, 14400, Parity::None, StopBits::Two},
    };
    for (const auto &c : cases) {
        const LineSettings s = lineSettingsFromBaudArgument(c.baud);
        EXPECT_EQ(s.rate, c.rate) << c.baud;
        EXPECT_EQ(s.parity, c.parity) << c.baud;
        EXPECT_EQ(s.stopBits, c.stop) << c.baud;
    }
}

TEST(LineSettings, Termios2IsRaw8BitAtAnyRate) {
    struct Case {
        int baud;
        tcflag_t set;
        tcflag_t clear;
    };
    const Case cases[] = {
        {9601, PARENB, PARODD | CSTOPB},
        {9602, PARENB | PARODD, CSTOPB},
        {14403, CSTOPB, PARENB},
        {1382400, 0, PARENB | CSTOPB},
    };
    for (const auto &c : cases) {
        termios2 t;
        std::memset(&t, 0xFF, sizeof t);  // whatever the device had before
        const LineSettings s = lineSettingsFromBaudArgument(c.baud);
        fillTermios2(t, s);
        EXPECT_EQ(t.c_cflag & CBAUD, static_cast<tcflag_t>(BOTHER)) << c.baud;
        EXPECT_EQ(t.c_ospeed, static_cast<speed_t>(s.rate)) << c.baud;
        EXPECT_EQ(t.c_ispeed, static_cast<speed_t>(s.rate)) << c.baud;
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8)) << c.baud;
        EXPECT_EQ(t.c_cflag & c.set, c.set) << c.baud;
        EXPECT_EQ(t.c_cflag & c.clear, 0u) << c.baud;
        EXPECT_EQ(t.c_cflag & CRTSCTS, 0u) << c.baud;
        EXPECT_TRUE(t.c_cflag & CREAD);
        EXPECT_TRUE(t.c_cflag & CLOCAL);
        EXPECT_EQ(t.c_iflag, 0u);  // no XON/XOFF, no CR/LF mapping, no parity marking
        EXPECT_EQ(t.c_oflag, 0u);
        EXPECT_EQ(t.c_lflag, 0u);
    }
}

}  // namespace
}  // namespace orvex
