#include "sim/frame_codec.h"

#include <algorithm>
#include <array>

namespace orvex::sim {
namespace {

// CRC-16/MODBUS (reflected 0xA001, initial 0xFFFF), table-driven: the
// simulator checks frames with its own code, not the host's.
constexpr std::array<std::uint16_t, 256> kCrcTable = [] {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
        table[i] = static_cast<std::uint16_t>(crc);
    }
    return table;
}();

std::uint8_t bcc(const std::uint8_t *data, std::size_t length) {
    std::uint8_t x = 0;
    while (length--) x ^= *data++;
    return x;
}

std::uint16_t crc16Modbus(const std::uint8_t *data, std::size_t length) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < length; ++i)
        crc = static_cast<std::uint16_t>((crc >> 8) ^ kCrcTable[(crc ^ data[i]) & 0xFF]);
    return crc;
}

enum class DataRule {
    Keep,          // data unchanged
    DropInserted,  // the first data byte was inserted by the host
    RestoreZero,   // the host removed a first data byte 0
    RestoreOne,    // the host removed a non-zero first data byte
    ReadOrWrite,   // shared code: no data reads (second host code), data writes (first)
};

struct Translation {
    std::uint8_t wire;
    int variant;  // 2 or 3
    std::uint8_t host;
    DataRule rule;
    std::uint8_t hostRead = 0;  // for ReadOrWrite
};

// Inverse of the host's compact-frame translation; codes not listed arrive unchanged.
constexpr Translation kTranslations[] = {
    {0x28, 2, 0x20, DataRule::DropInserted},
    {0x21, 3, 0x20, DataRule::DropInserted},
    {0x29, 2, 0x21, DataRule::Keep},
    {0x29, 3, 0x21, DataRule::Keep},
    {0x0B, 2, 0xF0, DataRule::Keep},
    {0x60, 3, 0xF0, DataRule::Keep},
    {0x0D, 2, 0xF5, DataRule::RestoreZero},
    {0x0D, 3, 0xF5, DataRule::RestoreZero},
    {0x0C, 2, 0xF5, DataRule::RestoreOne},
    {0x0C, 3, 0xF5, DataRule::RestoreOne},
    {0x07, 2, 0xF6, DataRule::Keep},
    {0x07, 3, 0xF6, DataRule::Keep},
    {0x0E, 2, 0xF9, DataRule::ReadOrWrite, 0xFA},
    {0x0F, 2, 0xFF, DataRule::Keep},
};

struct Layout {
    bool startByte;  // frame begins with a fixed start byte
    std::uint8_t start;
    std::size_t header;   // bytes up to and including the length byte
    std::size_t trailer;  // check bytes
};

Layout layoutOf(int variant) {
    switch (variant) {
        case 0:
            return {true, kStx, 4, 1};
        case 1:
            return {false, 0, 3, 2};
        default:
            return {true, kCompactStart, 3, 0};
    }
}

bool checkPasses(int variant, const std::uint8_t *frame, std::size_t total) {
    if (variant == 0) return bcc(frame + 1, total - 2) == frame[total - 1];
    if (variant == 1) return crc16Modbus(frame, total - 2) == (frame[total - 2] | (frame[total - 1] << 8));
    return true;
}

}  // namespace

void untranslate(int variant, std::uint8_t wireCommand, const Bytes &wireData, std::uint8_t &command,
                 Bytes &data) {
    command = wireCommand;
    data = wireData;
    for (const auto &t : kTranslations) {
        if (t.wire != wireCommand || t.variant != variant) continue;
        command = t.host;
        switch (t.rule) {
            case DataRule::Keep:
                break;
            case DataRule::DropInserted:
                if (!data.empty()) data.erase(data.begin());
                break;
            case DataRule::RestoreZero:
                data.insert(data.begin(), 0x00);
                break;
            case DataRule::RestoreOne:
                data.insert(data.begin(), 0x01);
                break;
            case DataRule::ReadOrWrite:
                if (data.empty()) command = t.hostRead;
                break;
        }
        return;
    }
}

void RequestParser::setVariant(int variant) {
    variant_ = variant;
    buffer_.clear();
}

bool RequestParser::canStartFrame(std::uint8_t byte, std::uint8_t address) const {
    Layout layout = layoutOf(variant_);
    return layout.startByte ? byte == layout.start : byte == address;
}

std::optional<Request> RequestParser::take() {
    Layout layout = layoutOf(variant_);
    for (;;) {
        if (layout.startByte) {
            std::size_t skip = 0;
            while (skip < buffer_.size() && buffer_[skip] != layout.start) ++skip;
            buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(skip));
        }
        if (buffer_.size() < layout.header) return std::nullopt;
        std::size_t total = layout.header + buffer_[layout.header - 1] + layout.trailer;
        if (buffer_.size() < total) return std::nullopt;
        if (!checkPasses(variant_, buffer_.data(), total)) {
            buffer_.erase(buffer_.begin());  // resynchronise one byte later
            continue;
        }
        Request request;
        std::size_t commandAt = variant_ == 0 ? 2 : 1;
        request.address = variant_ <= 1 ? buffer_[commandAt - 1] : 0;
        request.wireCommand = buffer_[commandAt];
        Bytes wireData(buffer_.begin() + static_cast<std::ptrdiff_t>(layout.header),
                       buffer_.begin() + static_cast<std::ptrdiff_t>(total - layout.trailer));
        untranslate(variant_, request.wireCommand, wireData, request.command, request.data);
        request.wireLength = total;
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(total));
        return request;
    }
}

Bytes encodeResponse(int variant, std::uint8_t address, std::uint8_t status, const Bytes &data, bool chained,
                     bool badCheck) {
    Bytes frame;
    switch (variant) {
        case 0:
            frame = {kStx, address, status};
            break;
        case 1:
            frame = {address, status};
            break;
        default:
            frame = {kCompactStart, status};
            break;
    }
    // A total length of 255 would read as a chain to the host, so such data is chained too.
    std::size_t overhead = variant <= 1 ? 5 : 3;
    if (chained || data.size() + overhead >= 255) {
        frame.push_back(kChainEnd);
        for (std::size_t at = 0; at < data.size(); at += kChainLink) {
            std::size_t n = std::min(kChainLink, data.size() - at);
            frame.push_back(static_cast<std::uint8_t>(n));
            frame.insert(frame.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                         data.begin() + static_cast<std::ptrdiff_t>(at + n));
        }
        frame.push_back(kChainEnd);
    } else {
        frame.push_back(static_cast<std::uint8_t>(data.size()));
        frame.insert(frame.end(), data.begin(), data.end());
    }
    std::uint8_t flip = badCheck ? 0xFF : 0x00;
    if (variant == 0) {
        frame.push_back(static_cast<std::uint8_t>(bcc(frame.data() + 1, frame.size() - 1) ^ flip));
    } else if (variant == 1) {
        std::uint16_t crc = crc16Modbus(frame.data(), frame.size()) ^ (flip ? 0xFFFF : 0);
        frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    }
    return frame;
}

}  // namespace orvex::sim
