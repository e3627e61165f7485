#include "sim/dongle/dongle_core.h"

#include <algorithm>
#include <cstring>

namespace orvex::sim::dongle {

namespace {

using namespace std::chrono_literals;

constexpr std::uint8_t kStart = 0x02, kEnd = 0x03;
constexpr std::uint8_t kConfirmation = 0x43, kIndication = 0x69;
constexpr std::uint8_t kChannel = 2;
constexpr std::size_t kOverhead = 7;
constexpr std::size_t kMaxPayload = 900;  // link data per event frame

// Status bytes the dongle reports.
constexpr std::uint8_t kOk = 0x00;
constexpr std::uint8_t kPageTimeout = 0x04;
constexpr std::uint8_t kNotConnected = 0x02;
constexpr std::uint8_t kBusy = 0x0C;
constexpr std::uint8_t kRemoteGone = 0x08;
constexpr std::uint8_t kLocalRelease = 0x16;

Bytes frame(std::uint8_t type, std::uint8_t opcode, const Bytes &data) {
    const auto length = static_cast<std::uint16_t>(data.size());
    Bytes f = {kStart,
               type,
               opcode,
               static_cast<std::uint8_t>(length & 0xFF),
               static_cast<std::uint8_t>(length >> 8),
               static_cast<std::uint8_t>(type + opcode + (length & 0xFF) + (length >> 8))};
    f.insert(f.end(), data.begin(), data.end());
    f.push_back(kEnd);
    return f;
}

Bytes withAddress(std::initializer_list<std::uint8_t> head, const RadioAddress &address,
                  std::initializer_list<std::uint8_t> tail = {}) {
    Bytes d(head);
    d.insert(d.end(), address.begin(), address.end());
    d.insert(d.end(), tail);
    return d;
}

}  // namespace

DongleCore::DongleCore(DongleOptions options, const Options &base) : options_(std::move(options)) {
    for (const auto &radio : options_.readers) {
        Options o = base;
        o.stateFile.clear();
        o.versionAnswer = radio.versionAnswer.value_or(base.versionAnswer.value_or("1551"));
        cores_.push_back(std::make_unique<ReaderCore>(o));
    }
}

void DongleCore::schedule(Clock::time_point at, Bytes f, Kind kind, std::function<void()> effect) {
    queue_.emplace(at, Scheduled{std::move(f), kind, std::move(effect)});
}

void DongleCore::cancel(Kind kind) {
    std::erase_if(queue_, [kind](const auto &entry) { return entry.second.kind == kind; });
}

std::optional<std::size_t> DongleCore::readerAt(const std::uint8_t *address) const {
    for (std::size_t i = 0; i < options_.readers.size(); ++i)
        if (std::memcmp(options_.readers[i].address.data(), address, 6) == 0) return i;
    return std::nullopt;
}

void DongleCore::receive(const std::uint8_t *data, std::size_t length, Clock::time_point now) {
    std::lock_guard lock(mutex_);
    input_.insert(input_.end(), data, data + length);
    while (input_.size() >= kOverhead) {
        if (input_[0] != kStart || input_[1] != 0x52) {
            input_.erase(input_.begin());
            continue;
        }
        const std::size_t dataLength = input_[3] | (input_[4] << 8);
        if (input_.size() < dataLength + kOverhead) return;
        const std::uint8_t opcode = input_[2];
        Bytes body(input_.begin() + 6, input_.begin() + 6 + static_cast<std::ptrdiff_t>(dataLength));
        input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(dataLength + kOverhead));
        ++requests_;
        handle(opcode, body, now);
    }
}

void DongleCore::handle(std::uint8_t opcode, const Bytes &data, Clock::time_point now) {
    switch (opcode) {
        case 0x00:
            return inquiry(data, now);
        case 0x02:
            return remoteName(data, now);
        case 0x0A:
            return linkSetup(data, now);
        case 0x0D:
            return linkRelease(now);
        case 0x0F:
            return sendData(data, now);
        case 0x26:
            return reset(now);
        default:
            schedule(now, frame(kConfirmation, opcode, {0x01}));  // unknown command
    }
}

void DongleCore::inquiry(const Bytes &data, Clock::time_point now) {
    if (data.empty()) return;
    const auto length = std::chrono::milliseconds(data[0] * 1280);
    const auto duration = std::min(length, std::chrono::milliseconds(options_.inquiryMs));
    const std::size_t count = options_.readers.size();
    for (std::size_t i = 0; i < count; ++i) {
        const auto &r = options_.readers[i];
        const auto at = now + duration * static_cast<long>(i + 1) / static_cast<long>(count + 1);
        const std::uint32_t c = r.deviceClass;
        schedule(at,
                 frame(kIndication, 0x01,
                       withAddress({}, r.address,
                                   {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                                    static_cast<std::uint8_t>(c >> 16), 0xC4})),
                 Kind::Inquiry);
    }
    schedule(now + duration, frame(kConfirmation, 0x00, {kOk}), Kind::Inquiry);
}

void DongleCore::remoteName(const Bytes &data, Clock::time_point now) {
    if (data.size() < 6) return;
    const auto at = now + std::chrono::milliseconds(options_.nameMs);
    RadioAddress address;
    std::copy_n(data.begin(), 6, address.begin());
    const auto index = readerAt(data.data());
    if (!index || options_.readers[*index].silentName) {
        schedule(at, frame(kConfirmation, 0x02, withAddress({kPageTimeout}, address, {0})));
        return;
    }
    const std::string &name = options_.readers[*index].name;
    const std::size_t length = std::min<std::size_t>(name.size(), 248);
    Bytes d = withAddress({kOk}, address, {static_cast<std::uint8_t>(length)});
    d.insert(d.end(), name.begin(), name.begin() + static_cast<std::ptrdiff_t>(length));
    schedule(at, frame(kConfirmation, 0x02, d));
}

void DongleCore::linkSetup(const Bytes &data, Clock::time_point now) {
    if (data.size() < 8) return;
    const auto at = now + std::chrono::milliseconds(options_.connectMs);
    const auto index = readerAt(data.data() + 1);
    if (linked_) {
        schedule(now, frame(kConfirmation, 0x0A, {kBusy, kChannel}));
        return;
    }
    if (!index) {
        schedule(at, frame(kConfirmation, 0x0A, {kPageTimeout, kChannel}));
        return;
    }
    const std::uint8_t remoteChannel = data[7];
    schedule(now, frame(kConfirmation, 0x0A, {kOk, kChannel}));
    const RadioAddress address = options_.readers[*index].address;
    schedule(at, frame(kIndication, 0x0B, withAddress({kOk}, address, {kChannel, remoteChannel})), Kind::Link,
             [this, i = *index] {
                 linked_ = i;
                 answersOnLink_ = 0;
                 droppedSilently_ = false;
             });
    if (const int drop = options_.readers[*index].dropAfterMs; drop > 0)
        schedule(at + std::chrono::milliseconds(drop), frame(kIndication, 0x0E, {kChannel, kRemoteGone}),
                 Kind::Link, [this] { linked_.reset(); });
}

void DongleCore::linkRelease(Clock::time_point now) {
    cancel(Kind::Link);
    if (linked_) schedule(now, frame(kIndication, 0x0E, {kChannel, kLocalRelease}));
    linked_.reset();
    schedule(now + 5ms, frame(kIndication, 0x51, {kChannel}));
}

void DongleCore::sendData(const Bytes &data, Clock::time_point now) {
    if (data.size() < 3 || data[0] != kChannel) return;
    if (!linked_) {
        schedule(now, frame(kConfirmation, 0x0F, {kNotConnected, kChannel}));
        if (droppedSilently_) schedule(now, frame(kIndication, 0x0E, {kChannel, kRemoteGone}));
        droppedSilently_ = false;
        return;
    }
    schedule(now, frame(kConfirmation, 0x0F, {kOk, kChannel}));
    const std::size_t length = std::min<std::size_t>(data[1] | (data[2] << 8), data.size() - 3);
    for (const Transmission &t : cores_[*linked_]->receive(data.data() + 3, length, now)) {
        for (std::size_t at = 0; at < t.bytes.size(); at += kMaxPayload) {
            const std::size_t n = std::min(kMaxPayload, t.bytes.size() - at);
            Bytes d = {kChannel, static_cast<std::uint8_t>(n & 0xFF), static_cast<std::uint8_t>(n >> 8)};
            d.insert(d.end(), t.bytes.begin() + static_cast<std::ptrdiff_t>(at),
                     t.bytes.begin() + static_cast<std::ptrdiff_t>(at + n));
            schedule(now + t.delay, frame(kIndication, 0x10, d), Kind::Link);
        }
        cores_[*linked_]->transmitted(t);
    }
    const int dropEvery = options_.readers[*linked_].dropEveryAnswers;
    if (dropEvery > 0 && ++answersOnLink_ % dropEvery == 0) {
        linked_.reset();
        droppedSilently_ = true;
    }
}

void DongleCore::reset(Clock::time_point now) {
    // The module restarts: inquiry and link end without further notice.
    cancel(Kind::Inquiry);
    cancel(Kind::Link);
    linked_.reset();
    schedule(now + 5ms, frame(kIndication, 0x25, {}));
}

Bytes DongleCore::takeDue(Clock::time_point now) {
    std::lock_guard lock(mutex_);
    Bytes out;
    while (!queue_.empty() && queue_.begin()->first <= now) {
        Scheduled s = std::move(queue_.begin()->second);
        queue_.erase(queue_.begin());
        if (s.effect) s.effect();
        out.insert(out.end(), s.frame.begin(), s.frame.end());
    }
    return out;
}

std::optional<Clock::time_point> DongleCore::nextDue() const {
    std::lock_guard lock(mutex_);
    if (queue_.empty()) return std::nullopt;
    return queue_.begin()->first;
}

std::optional<std::size_t> DongleCore::linkedReader() const {
    std::lock_guard lock(mutex_);
    return linked_;
}

int DongleCore::requestsSeen() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

}  // namespace orvex::sim::dongle
