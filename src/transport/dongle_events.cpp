#include "transport/dongle_events.h"

#include <algorithm>
#include <cstring>

namespace orvex::dongle {

namespace {

// Events that only end a wait, with the data bytes they need at least.
struct PlainEvent {
    std::uint16_t code;
    std::size_t minData;
};
constexpr PlainEvent kPlainEvents[] = {
    {kInquiryDone, 1}, {0x0443, 1}, {0x1743, 1}, {0x2243, 1}, {0x2343, 1}, {0x2843, 1},       {0x4A43, 1},
    {0x4E43, 1},       {0x1F43, 5}, {0x4943, 2}, {0x4F43, 2}, {0x5069, 0}, {kReleaseDone, 0},
};

void markIfAwaited(DongleState &s, std::uint16_t code) {
    if (s.awaited == code) s.arrived = true;
}

void setName(DongleState &s, const std::uint8_t *bytes, std::size_t length) {
    s.name.fill('\0');
    std::memcpy(s.name.data(), bytes, std::min(length, kNameCapacity));
}

std::uint16_t le16(const std::vector<std::uint8_t> &d, std::size_t at) {
    return static_cast<std::uint16_t>(d[at] | (d[at + 1] << 8));
}

EventOutcome deviceFound(DongleState &s, const std::vector<std::uint8_t> &d) {
    if (d.size() < 6 || s.foundCount >= kMaxFoundDevices) return EventOutcome::Ignored;
    Address address;
    std::copy_n(d.begin(), 6, address.begin());
    if (s.classFilter == 0) {
        s.found[s.foundCount++] = address;
        return EventOutcome::Handled;
    }
    if (d.size() < 9) return EventOutcome::Ignored;
    const std::uint32_t deviceClass = d[6] | (d[7] << 8) | (d[8] << 16);
    if (deviceClass != s.classFilter) return EventOutcome::Handled;
    s.found[s.foundCount++] = address;
    return EventOutcome::SendReset;
}

}  // namespace

std::string DongleState::nameText() const {
    return std::string(name.data(), strnlen(name.data(), name.size()));
}

EventOutcome handleEvent(DongleState &s, const Frame &frame) {
    const std::vector<std::uint8_t> &d = frame.data;
    const std::uint16_t code = frame.event();
    switch (code) {
        case kDeviceFound:
            return deviceFound(s, d);
        case kRemoteNameAnswer:
            if (d.size() < 8) return EventOutcome::Ignored;
            s.name.fill('\0');
            // A name answer never claims more than it carries.
            if (d[0] == 0)
                setName(s, d.data() + 8, std::min<std::size_t>({d[7], kMaxRemoteName, d.size() - 8}));
            break;
        case 0x0343:
        case 0x1643:
            if (d.size() < 2) return EventOutcome::Ignored;
            setName(s, d.data() + 2, std::min<std::size_t>(d[1], d.size() - 2));
            break;
        case 0x0543:
            if (d.size() < 7) return EventOutcome::Ignored;
            std::memcpy(s.name.data(), d.data() + 1, 6);
            break;
        case kLinkSetupConfirm:
            if (d.size() < 2) return EventOutcome::Ignored;
            if (d[0] != 0) {
                s.linkStatus = d[0];
                s.arrived = true;  // the set-up failed: no link indication follows
            }
            return EventOutcome::Handled;
        case kLinkEstablished:
            if (d.size() < 9) return EventOutcome::Ignored;
            s.linkStatus = d[0];
            if (d[0] == 0) s.connected = true;
            break;
        case kLinkReleased:
            if (d.size() < 2) return EventOutcome::Ignored;
            s.connected = false;
            break;
        case kSendConfirm:
            if (d.size() < 2) return EventOutcome::Ignored;
            s.sendStatus = d[0];
            return EventOutcome::Handled;
        case kIncomingData: {
            if (d.size() < 3 || d[0] != kLocalChannel) return EventOutcome::Ignored;
            // Only what the frame really carries, and only what the buffer holds.
            std::size_t length = std::min<std::size_t>(le16(d, 1), d.size() - 3);
            length = std::min(length, s.linkData.size() - s.linkDataCount);
            std::memcpy(s.linkData.data() + s.linkDataCount, d.data() + 3, length);
            s.linkDataCount += length;
            return EventOutcome::Handled;
        }
        case kReady:
            if (s.awaited == kReady || s.awaited == 0x2843) s.arrived = true;
            return EventOutcome::Handled;
        default: {
            const auto *plain = std::find_if(std::begin(kPlainEvents), std::end(kPlainEvents),
                                             [&](const PlainEvent &e) { return e.code == code; });
            if (plain == std::end(kPlainEvents) || d.size() < plain->minData) return EventOutcome::Ignored;
            break;
        }
    }
    markIfAwaited(s, code);
    return EventOutcome::Handled;
}

}  // namespace orvex::dongle
