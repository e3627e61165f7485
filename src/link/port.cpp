#include "link/port.h"

#include <algorithm>

#include "link/wait_hook.h"

namespace orvex {

namespace {
constexpr std::size_t kPollBytes = 100;
using Clock = std::chrono::steady_clock;
}  // namespace

Port::Port(std::string name, int busAddress) : name_(std::move(name)), busAddress_(busAddress) {}

Port::~Port() { close(); }

void Port::attach(std::unique_ptr<Transport> transport) { transport_ = std::move(transport); }

void Port::close() {
    if (transport_) transport_->close();
}

void Port::receiveBytes(const std::uint8_t *data, std::size_t length) {
    bool complete = false;
    {
        std::lock_guard lock(mutex_);
        receive_.insert(receive_.end(), data, data + length);
        // A caller that reads itself looks at the bytes the moment this returns.
        if (!waiting_ || waiterReads_) return;
        const FrameScan scan = scanFrame(variant_, receive_);
        if (scan.header && !headerSeen_) {
            headerSeen_ = true;
            headerAt_ = Clock::now();
        }
        complete = scan.length != 0;
    }
    if (complete) arrived_.notify_all();
}

void Port::linkLost() {
    {
        std::lock_guard lock(mutex_);
        linkLost_ = true;
    }
    arrived_.notify_all();
}

void Port::clearReceive() {
    std::lock_guard lock(mutex_);
    receive_.clear();
}

void Port::pollTransport(std::unique_lock<std::mutex> &lock) {
    lock.unlock();
    transport_->poll(kPollBytes);
    lock.lock();
}

std::size_t Port::waitForFrame() {
    const auto timeout = std::chrono::milliseconds(timeoutMs_);
    const int pollMs = transport_->pollIntervalMs();
    const bool hook = waitHookInstalled();
    const auto start = Clock::now();
    auto deadline = start + timeout;
    auto nextHook = start + kWaitHookPeriod;
    bool header = false;

    // This thread reads the answer itself where the transport allows it; the
    // transport's thread gets the input back (outside the port mutex, which
    // its deliveries take) whichever way the wait ends.
    const bool direct = pollMs == 0 && transport_->beginDirectRead();
    struct EndDirect {
        Transport *transport;
        ~EndDirect() {
            if (transport) transport->endDirectRead();
        }
    } endDirect{direct ? transport_.get() : nullptr};

    std::unique_lock lock(mutex_);
    waiting_ = true;
    waiterReads_ = direct;
    headerSeen_ = false;
    struct Done {
        Port &port;
        ~Done() { port.waiting_ = port.waiterReads_ = false; }
    } done{*this};
    for (;;) {
        if (pollMs > 0) pollTransport(lock);
        const FrameScan scan = scanFrame(variant_, receive_);
        if (scan.skip)
            receive_.erase(receive_.begin(), receive_.begin() + static_cast<std::ptrdiff_t>(scan.skip));
        if (scan.header && !header) {
            header = true;
            // A fresh full timeout for the body, from the header's arrival.
            deadline = (headerSeen_ ? headerAt_ : Clock::now()) + timeout;
        }
        if (scan.length) return scan.length;
        const auto now = Clock::now();
        if (now > deadline || linkLost_) return 0;

        auto wakeAt = deadline + std::chrono::milliseconds(1);
        if (hook) wakeAt = std::min(wakeAt, nextHook);
        if (pollMs > 0) wakeAt = std::min(wakeAt, now + std::chrono::milliseconds(pollMs));
        if (direct) {
            lock.unlock();
            transport_->readDirect(wakeAt);
            lock.lock();
        } else {
            arrived_.wait_until(lock, wakeAt);
        }

        if (hook && Clock::now() >= nextHook) {
            lock.unlock();
            runWaitHook();
            lock.lock();
            nextHook = Clock::now() + kWaitHookPeriod;
        }
    }
}

bool Port::command(std::span<const std::uint8_t> request, std::vector<std::uint8_t> *answer) {
    lastError_ = ORVEX_ERR_NONE;
    const BuiltFrame frame = buildFrame(variant_, busAddress(), request);
    if (frame.error) {
        lastError_ = frame.error;
        return false;
    }
    clearReceive();
    transport_->sendRequest(frame.bytes.data(), frame.bytes.size(),
                            Clock::now() + std::chrono::milliseconds(timeoutMs_));

    const std::size_t length = waitForFrame();
    if (!length) {
        lastError_ = ORVEX_ERR_TIMEOUT;
        return false;
    }
    // Take exactly the frame; anything the reader sent after it stays
    // buffered for raw reads instead of spoiling the frame check.
    std::vector<std::uint8_t> bytes;
    {
        std::lock_guard lock(mutex_);
        const auto end = receive_.begin() + static_cast<std::ptrdiff_t>(length);
        bytes.assign(receive_.begin(), end);
        receive_.erase(receive_.begin(), end);
    }
    ParsedResponse parsed = parseResponse(variant_, frame.lastCommand, bytes);
    lastError_ = parsed.error;
    if (parsed.ok && answer) *answer = std::move(parsed.data);
    return parsed.ok;
}

bool Port::command(std::uint8_t code, std::span<const std::uint8_t> data, std::vector<std::uint8_t> *answer) {
    std::vector<std::uint8_t> request;
    request.reserve(data.size() + 1);
    request.push_back(code);
    request.insert(request.end(), data.begin(), data.end());
    return command(request, answer);
}

void Port::writeRaw(std::span<const std::uint8_t> data) {
    if (!data.empty()) transport_->send(data.data(), data.size());
}

std::size_t Port::readRaw(std::uint8_t *buffer, std::size_t size) {
    transport_->poll(kPollBytes);
    std::lock_guard lock(mutex_);
    const std::size_t n = std::min(size, receive_.size());
    std::copy_n(receive_.begin(), n, buffer);
    receive_.erase(receive_.begin(), receive_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

}  // namespace orvex
