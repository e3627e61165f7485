// Frames of the Bluetooth dongle's command protocol, both directions:
// 0x02, type, opcode, data length (16-bit little-endian), checksum, data, 0x03.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orvex::dongle {

inline constexpr std::uint8_t kFrameStart = 0x02;
inline constexpr std::uint8_t kFrameEnd = 0x03;
inline constexpr std::size_t kFrameOverhead = 7;  // everything but the data

// Frame types.
inline constexpr std::uint8_t kRequest = 0x52;
inline constexpr std::uint8_t kConfirmation = 0x43;
inline constexpr std::uint8_t kIndication = 0x69;

// Request opcodes.
enum Opcode : std::uint8_t {
    kInquiry = 0x00,
    kRemoteName = 0x02,
    kLinkSetup = 0x0A,
    kLinkRelease = 0x0D,
    kSendData = 0x0F,
    kReset = 0x26,
};

// The dongle has one radio link; the host always uses this local channel.
inline constexpr std::uint8_t kLocalChannel = 2;

// Bytes the protocol and link-data buffers hold at most.
inline constexpr std::size_t kBufferCapacity = 1000;

// An event code is type + 256 * opcode (the confirmation of 0x0A is 0x0A43).
constexpr std::uint16_t eventCode(std::uint8_t type, std::uint8_t opcode) {
    return static_cast<std::uint16_t>(type + 256 * opcode);
}

struct Frame {
    std::uint8_t type = 0;
    std::uint8_t opcode = 0;
    std::vector<std::uint8_t> data;

    std::uint16_t event() const { return eventCode(type, opcode); }
};

// Low 8 bits of the sum of type, opcode and both length bytes.
std::uint8_t frameChecksum(std::uint8_t type, std::uint8_t opcode, std::uint16_t length);

std::vector<std::uint8_t> encodeFrame(std::uint8_t type, std::uint8_t opcode,
                                      std::span<const std::uint8_t> data);

// Received bytes not yet parsed, at most kBufferCapacity of them. Frames are
// cut out from the front; bytes before a 0x02 are dropped one at a time, and
// so is a 0x02 whose length could never fit into the buffer, so garbage never
// blocks the frames behind it. Checksum and closing byte are not judged: the
// dongle's frames are taken as the length says.
class FrameReader {
public:
    // Appends what fits; returns how many bytes were taken (the rest is dropped).
    std::size_t append(const std::uint8_t *data, std::size_t length);
    // The next whole frame, or nullopt while none is complete.
    std::optional<Frame> next();

    std::size_t buffered() const { return used_; }
    void clear() { used_ = 0; }

private:
    void dropFront(std::size_t count);

    std::uint8_t buffer_[kBufferCapacity];
    std::size_t used_ = 0;
};

}  // namespace orvex::dongle
