#include "transport/dongle_transport.h"

#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "transport/dongle_devices.h"
#include "transport/tty_open.h"

namespace orvex {

namespace {

using namespace std::chrono_literals;

// The port polls in pieces of this size, like the reader's own serial buffer.
constexpr std::size_t kPollPiece = 100;
constexpr int kReadyWaitMs = 200;

bool equalsIgnoringCase(const std::string &a, const std::string &b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

speed_t speedFor(int rate) {
    switch (rate) {
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        case 460800:
            return B460800;
        default:
            return B921600;
    }
}

// The USB bridge runs at 921600 baud with hardware handshake; on a plain
// serial line the dongle takes 9600 baud without it.
struct LineMode {
    int rate;
    bool handshake;
    std::chrono::milliseconds breakTime;
};
constexpr LineMode kBridgeLine{921600, true, 10ms};
constexpr LineMode kSerialLine{9600, false, 50ms};

int openDongleTty(const std::string &path, const LineMode &mode) {
    const int fd = openTtyExclusively(path);
    if (fd < 0) return -1;
    termios t{};
    if (tcgetattr(fd, &t) != 0) {
        ::close(fd);
        return -1;
    }
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSTOPB | PARENB);
    if (mode.handshake)
        t.c_cflag |= CRTSCTS;
    else
        t.c_cflag &= ~CRTSCTS;
    cfsetspeed(&t, speedFor(mode.rate));
    if (tcsetattr(fd, TCSANOW, &t) != 0) {
        ::close(fd);
        return -1;
    }
    tcflush(fd, TCIOFLUSH);
    // Modem lines and break mean nothing to a pseudo-terminal: their failure is harmless.
    int dtr = TIOCM_DTR;
    (void)ioctl(fd, TIOCMBIS, &dtr);
    if (ioctl(fd, TIOCSBRK) == 0) {
        std::this_thread::sleep_for(mode.breakTime);
        (void)ioctl(fd, TIOCCBRK);
    }
    return fd;
}

// "COMn" -> /dev/ttyS(n-1); a tty path as it is; anything else is no serial line.
std::string serialLinePath(std::string rest) {
    if (rest.rfind("\\\\.\\", 0) == 0) rest.erase(0, 4);
    if (rest.rfind("/dev/", 0) == 0) return rest;
    if (rest.size() < 4 || !equalsIgnoringCase(rest.substr(0, 3), "COM")) return {};
    const std::string digits = rest.substr(3);
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), ::isdigit) || digits.size() > 4)
        return {};
    const int number = std::stoi(digits);
    return number >= 1 ? "/dev/ttyS" + std::to_string(number - 1) : std::string();
}

}  // namespace

DongleTransport::DongleTransport(int fd, bool bridgeMode, ByteSink &sink)
    : link_(fd), bridgeMode_(bridgeMode), sink_(sink) {}

DongleTransport::~DongleTransport() { close(); }

void DongleTransport::noticeHangUp() {
    if (link_.alive() || lostReported_) return;
    lostReported_ = true;
    alive_ = false;
    sink_.linkLost();
}

bool DongleTransport::send(const std::uint8_t *data, std::size_t length) {
    std::lock_guard lock(mutex_);
    const bool sent = link_.sendLinkData(data, length);
    noticeHangUp();
    return sent;
}

bool DongleTransport::deliver(std::size_t maxBytes) {
    std::uint8_t piece[kPollPiece];
    const std::size_t n = link_.readLinkData(piece, std::min(maxBytes, sizeof piece));
    noticeHangUp();
    if (n) sink_.receiveBytes(piece, n);
    return n != 0;
}

void DongleTransport::poll(std::size_t maxBytes) {
    std::lock_guard lock(mutex_);
    deliver(maxBytes);
}

void DongleTransport::readDirect(std::chrono::steady_clock::time_point until) {
    std::unique_lock lock(mutex_);
    if (deliver(kPollPiece)) return;
    link_.waitForInput(until);
    deliver(kPollPiece);
}

bool DongleTransport::alive() const { return alive_; }

bool DongleTransport::setLine(const LineSettings &settings) {
    std::lock_guard lock(mutex_);
    if (!bridgeMode_ || !link_.alive()) return false;
    termios t{};
    if (tcgetattr(link_.fd(), &t) != 0) return false;
    cfsetspeed(&t, speedFor(settings.rate));
    return tcsetattr(link_.fd(), TCSANOW, &t) == 0;
}

void DongleTransport::close() {
    std::lock_guard lock(mutex_);
    link_.close();
    alive_ = false;
}

int DongleTransport::inquiry(std::uint8_t *records, std::size_t capacity, int timeoutMs,
                             std::uint32_t classFilter) {
    std::lock_guard lock(mutex_);
    const int result = link_.inquiry(records, capacity, timeoutMs, classFilter);
    noticeHangUp();
    return result;
}

int DongleTransport::connect(const dongle::Address &address, std::uint8_t remoteChannel, int timeoutMs) {
    std::lock_guard lock(mutex_);
    const int result = link_.connect(address, remoteChannel, timeoutMs);
    noticeHangUp();
    return result;
}

std::optional<std::string> DongleTransport::remoteName(const dongle::Address &address, int timeoutMs) {
    std::lock_guard lock(mutex_);
    std::optional<std::string> name = link_.remoteName(address, timeoutMs);
    noticeHangUp();
    return name;
}

void DongleTransport::setWaitHook(std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    link_.setWaitHook(std::move(hook));
}

void DongleTransport::reset(int timeoutMs) {
    std::lock_guard lock(mutex_);
    link_.reset(timeoutMs);
}

std::unique_ptr<Transport> openDongleTransport(const std::string &name, ByteSink &sink) {
    std::string rest = name;
    if (const auto at = rest.find(dongle::kNameSuffix); at != std::string::npos)
        rest.erase(at, std::char_traits<char>::length(dongle::kNameSuffix));

    for (const auto &device : dongle::attachedDongles()) {
        if (!equalsIgnoringCase(device.serial, rest)) continue;
        const int fd = openDongleTty(device.devnode, kBridgeLine);
        if (fd < 0) return nullptr;
        auto t = std::make_unique<DongleTransport>(fd, true, sink);
        t->reset(kReadyWaitMs);  // the dongle may or may not say it is ready
        return t;
    }
    const std::string path = serialLinePath(rest);
    if (path.empty()) return nullptr;
    const int fd = openDongleTty(path, kSerialLine);
    if (fd < 0) return nullptr;
    return std::make_unique<DongleTransport>(fd, false, sink);
}

}  // namespace orvex
