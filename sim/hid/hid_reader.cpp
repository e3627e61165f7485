#include "sim/hid/hid_reader.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "sim/key_table.h"

namespace orvex::sim::hid {
namespace {

constexpr std::uint8_t kCommandReport = 0x80;  // byte 1: 0x80 + payload length
constexpr std::uint8_t kOpenClose = 0x10;
constexpr std::uint8_t kQueryKey = 0x11;
constexpr std::uint8_t kSetKey = 0x12;
constexpr std::uint8_t kEscape = 0x1B;

std::string deviceName(const HidOptions &o) {
    std::string name = "reader-" + (o.serial == "-" ? std::string("noserial") : o.serial);
    for (char &c : name)
        if (c == '/' || c == '.') c = '_';
    return name;
}

}  // namespace

HidReader::HidReader(ReaderCore &core, HidOptions options, std::function<void()> restarted)
    : core_(core), options_(std::move(options)), restarted_(std::move(restarted)) {
    const std::string base = options_.folder + "/" + deviceName(options_);
    iniPath_ = base + ".ini";
    socketPath_ = base + ".sock";

    std::ofstream ini(iniPath_, std::ios::trunc);
    ini << "[Device]\nVendorId=0x" << std::hex << options_.vendorId << "\nProductId=0x" << options_.productId
        << std::dec << "\n";
    if (options_.serial != "-") ini << "Serial=" << options_.serial << "\n";
    ini << "InputReportLength=" << options_.reportLength << "\nOutputReportLength=" << options_.reportLength
        << "\n";
    ini.close();
    if (!ini) throw std::runtime_error("cannot write " + iniPath_);

    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath_.size() >= sizeof(address.sun_path))
        throw std::runtime_error("path too long: " + socketPath_);
    std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
    ::unlink(socketPath_.c_str());  // left over from a simulator that was killed
    listener_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(listener_, 4) != 0) {
        const std::string error = std::strerror(errno);
        stop();
        throw std::runtime_error("cannot listen on " + socketPath_ + ": " + error);
    }
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { run(); });
}

HidReader::~HidReader() { stop(); }

void HidReader::stop() {
    stopping_ = true;
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        (void)!::write(wakeFd_, &one, sizeof one);
    }
    if (thread_.joinable()) thread_.join();
    for (int *fd : {&connection_, &listener_, &wakeFd_}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    leave();
}

void HidReader::leave() {
    ::unlink(socketPath_.c_str());
    ::unlink(iniPath_.c_str());
}

void HidReader::delayKeyAnswer() {
    ++keyQueries_;
    const int at = options_.keyAnswerDelayAt;
    if (options_.keyAnswerDelayMs > 0 && (at == 0 || at == keyQueries_))
        std::this_thread::sleep_for(std::chrono::milliseconds(options_.keyAnswerDelayMs));
}

bool HidReader::unplugDue() {
    return options_.unplugAfterKeyCommands > 0 && keyCommands_ >= options_.unplugAfterKeyCommands;
}

void HidReader::run() {
    std::uint8_t report[256];
    while (!stopping_) {
        // One host at a time; the next one waits in the listen queue.
        pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {connection_ >= 0 ? connection_ : listener_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
        if (stopping_) return;
        if (!(fds[1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        if (connection_ < 0) {
            connection_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            continue;
        }
        const ssize_t n = ::recv(connection_, report, sizeof report, 0);
        if (n <= 0) {  // the host closed the device
            ::close(connection_);
            connection_ = -1;
            continue;
        }
        handleReport(report, static_cast<std::size_t>(n));
        if (unplugDue()) {
            // Pulled out: the host's reports go nowhere and no new host finds it.
            for (int *fd : {&connection_, &listener_}) {
                ::close(*fd);
                *fd = -1;
            }
            leave();
            return;
        }
    }
}

void HidReader::sendPayload(const std::uint8_t *data, std::size_t length) {
    // Input reports without report ID: byte 0 the payload length, then the payload, zero-padded.
    const std::size_t room = static_cast<std::size_t>(options_.reportLength) - 2;
    std::vector<std::uint8_t> report(static_cast<std::size_t>(options_.reportLength) - 1);
    for (std::size_t at = 0; at < length; at += room) {
        const std::size_t n = std::min(room, length - at);
        std::fill(report.begin(), report.end(), 0);
        report[0] = static_cast<std::uint8_t>(n);
        std::copy_n(data + at, n, report.begin() + 1);
        if (::send(connection_, report.data(), report.size(), MSG_NOSIGNAL) < 0) return;
    }
}

void HidReader::handleReport(const std::uint8_t *report, std::size_t length) {
    if (length < 2 || report[0] != 0) return;  // not a report of this device
    const std::uint8_t byte1 = report[1];
    const std::size_t count = std::min<std::size_t>(byte1 & 0x7F, length - 2);
    if (byte1 & kCommandReport) {
        handleCommand(report + 2, count);
        return;
    }
    for (const Transmission &t : core_.receive(report + 2, count, Clock::now())) {
        if (t.delay.count() > 0) std::this_thread::sleep_for(t.delay);
        sendPayload(t.bytes.data(), t.bytes.size());
        core_.transmitted(t);
        if (t.restartAfter && restarted_) restarted_();
    }
}

void HidReader::handleCommand(const std::uint8_t *payload, std::size_t length) {
    if (length == 0) return;
    switch (payload[0]) {
        case kOpenClose:
            break;
        case kQueryKey: {
            if (length < 2) return;
            ++keyCommands_;
            delayKeyAnswer();
            const auto key =
                keyOf(core_.state().keyTable, payload[1]).value_or(std::make_pair(kNoKey, kNoKey));
            const std::uint8_t answer[] = {kQueryKey, payload[1], key.first, key.second};
            sendPayload(answer, sizeof answer);
            break;
        }
        case kSetKey:
            if (length < 4) return;
            ++keyCommands_;
            if (payload[1] == kEscape) return;
            core_.modifyState(
                [&](ReaderState &s) { setKey(s.keyTable, payload[1], payload[2], payload[3]); });
            break;
        default:
            break;  // the reader ignores what it does not know
    }
}

}  // namespace orvex::sim::hid
