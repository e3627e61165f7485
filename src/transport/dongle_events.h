// What the host keeps of the dongle's state, and how each event changes it.
// No I/O here: the dongle link feeds the frames in and acts on the result.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "transport/dongle_frame.h"

namespace orvex::dongle {

using Address = std::array<std::uint8_t, 6>;

inline constexpr std::size_t kMaxFoundDevices = 29;
inline constexpr std::size_t kNameCapacity = 32;
// A remote name answer carries at most this many name bytes.
inline constexpr std::size_t kMaxRemoteName = 30;

// Events with a name of their own.
inline constexpr std::uint16_t kInquiryDone = eventCode(kConfirmation, kInquiry);          // 0x0043
inline constexpr std::uint16_t kDeviceFound = eventCode(kIndication, 0x01);                // 0x0169
inline constexpr std::uint16_t kRemoteNameAnswer = eventCode(kConfirmation, kRemoteName);  // 0x0243
inline constexpr std::uint16_t kLinkSetupConfirm = eventCode(kConfirmation, kLinkSetup);   // 0x0A43
inline constexpr std::uint16_t kLinkEstablished = eventCode(kIndication, 0x0B);            // 0x0B69
inline constexpr std::uint16_t kLinkReleased = eventCode(kIndication, 0x0E);               // 0x0E69
inline constexpr std::uint16_t kSendConfirm = eventCode(kConfirmation, kSendData);         // 0x0F43
inline constexpr std::uint16_t kIncomingData = eventCode(kIndication, 0x10);               // 0x1069
inline constexpr std::uint16_t kReady = eventCode(kIndication, 0x25);                      // 0x2569
inline constexpr std::uint16_t kReleaseDone = eventCode(kIndication, 0x51);                // 0x5169

struct DongleState {
    std::array<Address, kMaxFoundDevices> found{};
    std::size_t foundCount = 0;
    std::uint32_t classFilter = 0;  // 0 = every device
    std::array<char, kNameCapacity> name{};
    std::uint16_t awaited = 0;
    bool arrived = false;
    std::uint8_t linkStatus = 0;
    std::uint8_t sendStatus = 0;
    bool connected = false;
    // Link data received, not yet taken by the port.
    std::array<std::uint8_t, kBufferCapacity> linkData{};
    std::size_t linkDataCount = 0;

    bool nameEmpty() const { return name[0] == '\0'; }
    std::string nameText() const;
};

enum class EventOutcome {
    Ignored,  // unknown event or too short for its kind
    Handled,
    SendReset,  // a device of the filtered class was found: end the inquiry
};

EventOutcome handleEvent(DongleState &state, const Frame &frame);

}  // namespace orvex::dongle
