#include "transport/dongle_link.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace orvex::dongle {

namespace {

using namespace std::chrono_literals;

constexpr std::uint16_t kLinkSetupAwaited = kLinkEstablished;
constexpr int kMaxNameRetries = 5;
constexpr int kReleaseTimeoutMs = 7000;
constexpr int kWriteTimeoutMs = 1000;
constexpr auto kReconnectPause = 500ms;
constexpr auto kHookPeriod = 15ms;

// Reconnecting without a remembered reader looks for the first reader around.
constexpr int kReconnectInquiryMs = 10000;
constexpr std::uint32_t kReaderClass = 0x500;
// A reader found by that inquiry gets the connect time the dialogs use.
constexpr int kDefaultConnectMs = 3000;

constexpr std::size_t kReadChunk = 256;

}  // namespace

std::uint8_t inquiryLength(int timeoutMs) {
    const auto units = static_cast<std::uint8_t>(timeoutMs / 1300 - 1);
    return std::min<std::uint8_t>(units, 48);
}

DongleLink::DongleLink(int fd) : fd_(fd) {}

DongleLink::~DongleLink() { close(); }

void DongleLink::readAvailable() {
    if (fd_ < 0 || hungUp_) return;
    std::uint8_t chunk[kReadChunk];
    // Never more than the protocol buffer has room for: the rest stays in the
    // kernel's queue until frames were taken out.
    for (;;) {
        const std::size_t room = kBufferCapacity - reader_.buffered();
        if (room == 0) return;
        const ssize_t n = ::read(fd_, chunk, std::min(room, sizeof chunk));
        if (n > 0) {
            reader_.append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0 || (errno != EAGAIN && errno != EINTR)) hungUp_ = true;
        if (n < 0 && errno == EINTR) continue;
        return;
    }
}

bool DongleLink::processEvent() {
    readAvailable();
    std::optional<Frame> frame = reader_.next();
    if (!frame) return false;
    const std::size_t linkDataBefore = state_.linkDataCount;
    const EventOutcome outcome = handleEvent(state_, *frame);
    followInFlight(*frame, outcome, linkDataBefore);
    if (outcome == EventOutcome::SendReset) {
        // A reader of the wanted class is found: stop the inquiry now.
        state_.awaited = kReady;
        writeRequest(kReset, {});
    }
    return true;
}

void DongleLink::followInFlight(const Frame &frame, EventOutcome outcome, std::size_t linkDataBefore) {
    if (!inFlight_ || outcome == EventOutcome::Ignored) return;
    switch (frame.event()) {
        case kIncomingData:
            // The reader answers: whatever happens to the link now, the
            // request must not go out twice.
            if (state_.linkDataCount > linkDataBefore) inFlight_.reset();
            break;
        case kSendConfirm:
            if (state_.sendStatus != 0) {
                // A refused send means the link is gone, told or not yet.
                inFlight_->lost = true;
                state_.connected = false;
            }
            break;
        case kLinkReleased:
            inFlight_->lost = true;
            break;
        default:
            break;
    }
}

void DongleLink::resendLostRequest() {
    if (!inFlight_ || !inFlight_->lost) return;
    if (inFlight_->resent) {
        inFlight_.reset();  // once only: the request fails by its timeout
        return;
    }
    // Within the pause after a failed set-up the next read tries again.
    if (!reconnectIfNeeded() || !state_.connected) return;
    inFlight_->lost = false;
    inFlight_->resent = true;
    if (!writeRequest(kSendData, inFlight_->request)) inFlight_.reset();
}

bool DongleLink::writeRequest(std::uint8_t opcode, std::span<const std::uint8_t> data) {
    if (fd_ < 0 || hungUp_) return false;
    // What the dongle sent so far goes into the protocol buffer first, so an
    // answer to this request is never mixed up with older bytes in the queue.
    readAvailable();
    const std::vector<std::uint8_t> frame = encodeFrame(kRequest, opcode, data);
    std::size_t sent = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    while (sent < frame.size()) {
        const ssize_t n = ::write(fd_, frame.data() + sent, frame.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd_, POLLOUT, 0};
        ::poll(&p, 1, static_cast<int>(left.count()));
    }
    return true;
}

void DongleLink::waitForInput(Clock::time_point until) {
    if (fd_ < 0 || hungUp_) return;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
    if (left.count() <= 0) return;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) > 0 && (p.revents & (POLLHUP | POLLERR)) &&
        !(p.revents & POLLIN))
        hungUp_ = true;
}

bool DongleLink::waitArrived(int timeoutMs) {
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::milliseconds(std::max(timeoutMs, 0));
    auto nextHook = start + kHookPeriod;
    for (;;) {
        while (!state_.arrived && processEvent()) {
        }
        if (state_.arrived) return true;
        if (hungUp_ || Clock::now() > deadline) return false;
        waitForInput(waitHook_ ? std::min(deadline + 1ms, nextHook) : deadline + 1ms);
        if (waitHook_ && Clock::now() >= nextHook) {
            waitHook_();
            nextHook = Clock::now() + kHookPeriod;
        }
    }
}

bool DongleLink::request(std::uint8_t opcode, std::span<const std::uint8_t> data, std::uint16_t awaited,
                         int timeoutMs) {
    state_.arrived = false;
    state_.awaited = awaited;
    if (!writeRequest(opcode, data)) return false;
    return waitArrived(timeoutMs);
}

bool DongleLink::reset(int timeoutMs) { return request(kReset, {}, kReady, timeoutMs); }

int DongleLink::inquiry(std::uint8_t *records, std::size_t capacity, int timeoutMs,
                        std::uint32_t classFilter) {
    state_.foundCount = 0;
    state_.classFilter = classFilter;
    const std::uint8_t inquiryRequest[] = {inquiryLength(timeoutMs), 0, 0};
    if (!request(kInquiry, inquiryRequest, kInquiryDone, timeoutMs)) return kNoAnswer;

    std::size_t written = 0;
    for (std::size_t i = 0; i < state_.foundCount; ++i) {
        const Address address = state_.found[i];
        if (written + kRecordSize > capacity) break;
        for (int retries = 0;; ++retries) {
            if (!request(kRemoteName, address, kRemoteNameAnswer, timeoutMs)) return kNoAnswer;
            if (!state_.nameEmpty() || retries == kMaxNameRetries) break;
        }
        std::memcpy(records + written, address.data(), address.size());
        std::memcpy(records + written + address.size(), state_.name.data(), kNameCapacity);
        written += kRecordSize;
    }
    return static_cast<int>(written);
}

int DongleLink::connect(const Address &address, std::uint8_t remoteChannel, int timeoutMs) {
    std::uint8_t setup[8] = {kLocalChannel};
    std::memcpy(setup + 1, address.data(), address.size());
    setup[7] = remoteChannel;
    state_.linkStatus = 0;
    if (!request(kLinkSetup, setup, kLinkSetupAwaited, timeoutMs)) return kNoAnswer;
    if (!state_.connected) return state_.linkStatus;
    peer_ = Peer{address, remoteChannel, timeoutMs};
    return 0;
}

std::optional<std::string> DongleLink::remoteName(const Address &address, int timeoutMs) {
    if (!request(kRemoteName, address, kRemoteNameAnswer, timeoutMs)) return std::nullopt;
    return state_.nameText();
}

bool DongleLink::reconnectIfNeeded() {
    if (state_.connected) return true;
    if (lastFailedAttempt_ && Clock::now() - *lastFailedAttempt_ <= kReconnectPause) return true;
    const auto failed = [this] {
        lastFailedAttempt_ = Clock::now();
        return false;
    };
    if (!peer_) {
        std::uint8_t record[kRecordSize];
        if (inquiry(record, sizeof record, kReconnectInquiryMs, kReaderClass) < static_cast<int>(kRecordSize))
            return failed();
        std::this_thread::sleep_for(kReconnectPause);
        Peer found;
        std::memcpy(found.address.data(), record, found.address.size());
        found.timeoutMs = kDefaultConnectMs;
        peer_ = found;
    }
    if (connect(peer_->address, peer_->channel, peer_->timeoutMs) != 0) return failed();
    return true;
}

bool DongleLink::sendLinkData(const std::uint8_t *data, std::size_t length) {
    // A link loss the dongle already reported must be seen before sending,
    // or the request would go into a link that is no longer there.
    while (processEvent()) {
    }
    if (!reconnectIfNeeded()) return false;
    // One send request carries what the dongle's buffer holds.
    length = std::min(length, kBufferCapacity - 3);
    std::vector<std::uint8_t> payload = {kLocalChannel, static_cast<std::uint8_t>(length & 0xFF),
                                         static_cast<std::uint8_t>(length >> 8)};
    payload.insert(payload.end(), data, data + length);
    inFlight_.reset();
    if (!writeRequest(kSendData, payload)) return false;
    inFlight_ = InFlight{std::move(payload)};
    return true;
}

std::size_t DongleLink::readLinkData(std::uint8_t *buffer, std::size_t capacity) {
    if (!reconnectIfNeeded()) return 0;
    while (processEvent()) {
    }
    resendLostRequest();
    const std::size_t n = std::min(capacity, state_.linkDataCount);
    std::memcpy(buffer, state_.linkData.data(), n);
    std::memmove(state_.linkData.data(), state_.linkData.data() + n, state_.linkDataCount - n);
    state_.linkDataCount -= n;
    return n;
}

void DongleLink::close() {
    if (fd_ < 0) return;
    while (processEvent()) {
    }
    if (state_.connected) {
        const std::uint8_t release[] = {kLocalChannel};
        request(kLinkRelease, release, kReleaseDone, kReleaseTimeoutMs);
    }
    ::close(fd_);
    fd_ = -1;
}

}  // namespace orvex::dongle
