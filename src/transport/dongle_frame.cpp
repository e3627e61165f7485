#include "transport/dongle_frame.h"

#include <algorithm>
#include <cstring>

namespace orvex::dongle {

std::uint8_t frameChecksum(std::uint8_t type, std::uint8_t opcode, std::uint16_t length) {
    return static_cast<std::uint8_t>(type + opcode + (length & 0xFF) + (length >> 8));
}

std::vector<std::uint8_t> encodeFrame(std::uint8_t type, std::uint8_t opcode,
                                      std::span<const std::uint8_t> data) {
    const auto length = static_cast<std::uint16_t>(data.size());
    std::vector<std::uint8_t> frame(data.size() + kFrameOverhead);
    frame[0] = kFrameStart;
    frame[1] = type;
    frame[2] = opcode;
    frame[3] = static_cast<std::uint8_t>(length & 0xFF);
    frame[4] = static_cast<std::uint8_t>(length >> 8);
    frame[5] = frameChecksum(type, opcode, length);
    std::copy(data.begin(), data.end(), frame.begin() + 6);
    frame.back() = kFrameEnd;
    return frame;
}

std::size_t FrameReader::append(const std::uint8_t *data, std::size_t length) {
    const std::size_t taken = std::min(length, kBufferCapacity - used_);
    if (taken) std::memcpy(buffer_ + used_, data, taken);
    used_ += taken;
    return taken;
}

void FrameReader::dropFront(std::size_t count) {
    std::memmove(buffer_, buffer_ + count, used_ - count);
    used_ -= count;
}

std::optional<Frame> FrameReader::next() {
    while (used_ >= kFrameOverhead) {
        if (buffer_[0] != kFrameStart) {
            // Everything before the next 0x02 goes at once.
            const void *start = std::memchr(buffer_ + 1, kFrameStart, used_ - 1);
            dropFront(start ? static_cast<std::size_t>(static_cast<const std::uint8_t *>(start) - buffer_)
                            : used_);
            continue;
        }
        const std::size_t dataLength = buffer_[3] | (buffer_[4] << 8);
        if (dataLength + kFrameOverhead > kBufferCapacity) {
            buffer_[0] = 0;  // no such frame can be held: not a frame start
            continue;
        }
        if (used_ < dataLength + kFrameOverhead) return std::nullopt;
        Frame frame;
        frame.type = buffer_[1];
        frame.opcode = buffer_[2];
        frame.data.assign(buffer_ + 6, buffer_ + 6 + dataLength);
        dropFront(dataLength + kFrameOverhead);
        return frame;
    }
    return std::nullopt;
}

}  // namespace orvex::dongle
