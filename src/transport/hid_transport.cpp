#include "transport/hid_transport.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "transport/usb_ids.h"

namespace orvex {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kCommandReport = 0x80;  // + payload length
constexpr std::uint8_t kOpenCloseReport = 0x82;
constexpr std::uint8_t kOpenCloseSelector = 0x10;
constexpr std::uint8_t kMaxChunk = 0x7F;  // bit 7 marks a command report
constexpr int kMinOutputLength = 4;       // report ID + the open report's three bytes
constexpr int kMinInputLength = 2;        // report ID + payload length

int msUntil(Clock::time_point until) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60'000));
}

bool waitFor(int fd, short events, Clock::time_point until) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, msUntil(until));
        if (n > 0) return true;  // ready, or an error the next call will see
        if (n == 0 || errno != EINTR) return false;
    }
}

}  // namespace

HidTransport::HidTransport(OpenedHidDevice device, ByteSink &sink)
    : fd_(device.fd), isSocket_(device.isSocket), lengths_(device.lengths), sink_(sink) {}

HidTransport::~HidTransport() { close(); }

void HidTransport::close() {
    if (fd_ < 0) return;
    sendOpenReport(1);
    release();
}

void HidTransport::release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void HidTransport::lose() {
    if (fd_ < 0) return;
    release();
    sink_.linkLost();
}

bool HidTransport::writeReport(std::uint8_t byte1, std::span<const std::uint8_t> payload) {
    if (fd_ < 0 || payload.size() + 2 > static_cast<std::size_t>(lengths_.output)) return false;
    std::vector<std::uint8_t> report(static_cast<std::size_t>(lengths_.output), 0);  // report ID 0
    report[1] = byte1;
    std::copy(payload.begin(), payload.end(), report.begin() + 2);
    const auto until = Clock::now() + kWriteWait;
    for (;;) {
        const ssize_t n = isSocket_ ? ::send(fd_, report.data(), report.size(), MSG_NOSIGNAL)
                                    : ::write(fd_, report.data(), report.size());
        if (n == static_cast<ssize_t>(report.size())) return true;
        // A report goes out whole or not at all; sending it again after a
        // short write would repeat its start (and could spin without end).
        if (n >= 0) return false;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            // The device is gone (unplugged, or the simulated one closed).
            if (errno == EPIPE || errno == ECONNRESET || errno == ENODEV || errno == EIO) lose();
            return false;
        }
        if (!waitFor(fd_, POLLOUT, until)) return false;
    }
}

std::optional<std::vector<std::uint8_t>> HidTransport::readReport(Clock::time_point until) {
    std::uint8_t report[kMaxHidReportLength + 1];
    for (;;) {
        if (fd_ < 0) return std::nullopt;
        const ssize_t n = ::read(fd_, report, sizeof report);
        if (n == 0) {  // the simulated device closed its end
            lose();
            return std::nullopt;
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                lose();
                return std::nullopt;
            }
            if (Clock::now() >= until || !waitFor(fd_, POLLIN, until)) return std::nullopt;
            continue;
        }
        auto payload = inputReportPayload({report, static_cast<std::size_t>(n)}, lengths_.input);
        if (payload) return payload;
    }
}

bool HidTransport::send(const std::uint8_t *data, std::size_t length) {
    const std::size_t chunk = std::min<std::size_t>(static_cast<std::size_t>(lengths_.output) - 2, kMaxChunk);
    for (std::size_t at = 0; at < length; at += chunk) {
        const std::size_t n = std::min(chunk, length - at);
        if (!writeReport(static_cast<std::uint8_t>(n), {data + at, n})) return false;
    }
    return true;
}

void HidTransport::poll(std::size_t maxBytes) {
    // Everything that is there now, without waiting.
    std::size_t delivered = 0;
    while (delivered < maxBytes) {
        auto payload = readReport(Clock::time_point{});
        if (!payload) return;
        if (payload->empty()) continue;
        delivered += payload->size();
        sink_.receiveBytes(payload->data(), payload->size());
    }
}

void HidTransport::readDirect(Clock::time_point until) {
    auto payload = readReport(until);
    if (payload && !payload->empty()) sink_.receiveBytes(payload->data(), payload->size());
}

std::vector<std::uint8_t> HidTransport::command(std::span<const std::uint8_t> request) {
    if (request.empty()) return {};
    // Whatever came before the request is not its answer; raw reads keep it.
    poll(SIZE_MAX);
    if (!writeReport(static_cast<std::uint8_t>(kCommandReport + request.size()), request)) return {};
    const auto until = Clock::now() + kAnswerWait;
    while (auto payload = readReport(until)) {
        if (answersCommand(request, *payload)) return *payload;
        // Typed output or a stale answer: hand it on and keep waiting for ours.
        if (!payload->empty()) sink_.receiveBytes(payload->data(), payload->size());
    }
    return {};
}

bool HidTransport::sendCommand(std::span<const std::uint8_t> request) {
    if (request.empty() || !writeReport(static_cast<std::uint8_t>(kCommandReport + request.size()), request))
        return false;
    std::this_thread::sleep_for(kAfterCommandWait);
    return true;
}

bool HidTransport::sendOpenReport(std::uint8_t value) {
    const std::uint8_t payload[] = {kOpenCloseSelector, value};
    return writeReport(kOpenCloseReport, payload);
}

std::optional<std::vector<std::uint8_t>> inputReportPayload(std::span<const std::uint8_t> report,
                                                            int inputLength) {
    // A report shorter than the device's input report is not one of its reports.
    if (report.empty() || report.size() < static_cast<std::size_t>(std::max(inputLength - 1, 1)))
        return std::nullopt;
    const std::size_t count = std::min<std::size_t>(report[0], report.size() - 1);
    return std::vector<std::uint8_t>(report.begin() + 1,
                                     report.begin() + 1 + static_cast<std::ptrdiff_t>(count));
}

bool answersCommand(std::span<const std::uint8_t> request, std::span<const std::uint8_t> payload) {
    return !request.empty() && payload.size() > 2 && payload.front() == request.front();
}

std::string hidReaderName(const HidDeviceInfo &device) {
    return (device.serial ? *device.serial : std::string("7305-????")) + " HID";
}

std::vector<std::string> listHidReaders() {
    std::vector<std::string> names;
    for (const auto &device : attachedHidDevices()) {
        if (!isHidReader(device.vendorId, device.productId)) continue;
        std::string name = hidReaderName(device);
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
    }
    return names;
}

std::unique_ptr<Transport> openHidTransport(const std::string &name, ByteSink &sink,
                                            bool &openReportRefused) {
    openReportRefused = false;
    for (const auto &device : attachedHidDevices()) {
        if (!isHidReader(device.vendorId, device.productId) || hidReaderName(device) != name) continue;
        std::optional<OpenedHidDevice> opened = openHidDevice(device);
        if (!opened) return nullptr;
        const HidReportLengths &l = opened->lengths;
        if (l.input < kMinInputLength || l.output < kMinOutputLength || l.input > kMaxHidReportLength ||
            l.output > kMaxHidReportLength) {
            ::close(opened->fd);
            return nullptr;
        }
        auto transport = std::make_unique<HidTransport>(*opened, sink);
        if (!transport->sendOpenReport(0)) {
            openReportRefused = true;
            return nullptr;
        }
        return transport;
    }
    return nullptr;
}

}  // namespace orvex
