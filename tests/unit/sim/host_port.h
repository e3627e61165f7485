// The host end of a simulated reader's pseudo-terminal, for tests: line settings, frames
// out, bytes in with a deadline.
#pragma once

#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "link/checksum.h"

namespace orvex::sim::test {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

class HostPort {
public:
    explicit HostPort(const std::string &path, speed_t speed = B19200, bool twoStopBits = false) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) throw std::runtime_error("cannot open " + path);
        setLine(speed, twoStopBits);
    }
    ~HostPort() {
        if (fd_ >= 0) ::close(fd_);
    }
    HostPort(const HostPort &) = delete;
    HostPort &operator=(const HostPort &) = delete;

    void setLine(speed_t speed, bool twoStopBits = false) {
        termios t{};
        ::tcgetattr(fd_, &t);
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, speed);
        if (twoStopBits)
            t.c_cflag |= CSTOPB;
        else
            t.c_cflag &= ~CSTOPB;
        ::tcsetattr(fd_, TCSANOW, &t);
    }

    void send(const Bytes &bytes) {
        if (::write(fd_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            throw std::runtime_error("write failed");
    }

    // Reads until `count` bytes arrived, the line hung up, or the timeout passed.
    Bytes receive(std::size_t count, std::chrono::milliseconds timeout = 2000ms) {
        Bytes out;
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (out.size() < count) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
            std::uint8_t buf[512];
            ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) {
                hungUp_ = true;
                break;
            }
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }

    // Everything that arrives within `window` (for answers that must not come).
    Bytes quietFor(std::chrono::milliseconds window) { return receive(SIZE_MAX, window); }

    Bytes transceive(const Bytes &request, std::size_t answerLength,
                     std::chrono::milliseconds timeout = 2000ms) {
        send(request);
        return receive(answerLength, timeout);
    }

    bool hungUp() const { return hungUp_; }
    int fd() const { return fd_; }

private:
    int fd_ = -1;
    bool hungUp_ = false;
};

// Frames built here by the rules of the protocol, independent of the simulator's codec.
inline Bytes stxFrame(std::uint8_t address, std::uint8_t code, const Bytes &data) {
    Bytes f = {0x02, address, code, static_cast<std::uint8_t>(data.size())};
    for (std::uint8_t b : data) f.push_back(b);  // (insert trips a GCC 12 -Warray-bounds false positive)
    f.push_back(orvex::bcc(f.data() + 1, f.size() - 1));
    return f;
}

inline Bytes crcFrame(std::uint8_t address, std::uint8_t code, const Bytes &data) {
    Bytes f = {address, code, static_cast<std::uint8_t>(data.size())};
    for (std::uint8_t b : data) f.push_back(b);
    std::uint16_t crc = orvex::crc16Modbus(f.data(), f.size());
    f.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    f.push_back(static_cast<std::uint8_t>(crc >> 8));
    return f;
}

inline Bytes compactFrame(std::uint8_t code, const Bytes &data) {
    Bytes f = {0x1E, code, static_cast<std::uint8_t>(data.size())};
    for (std::uint8_t b : data) f.push_back(b);
    return f;
}

// Request or answer frame of a variant: status/command `code`, bus address 1.
inline Bytes frameOf(int variant, std::uint8_t code, const Bytes &data, std::uint8_t address = 1) {
    switch (variant) {
        case 0:
            return stxFrame(address, code, data);
        case 1:
            return crcFrame(address, code, data);
        default:
            return compactFrame(code, data);
    }
}

inline Bytes text(const std::string &s) { return Bytes(s.begin(), s.end()); }

}  // namespace orvex::sim::test
