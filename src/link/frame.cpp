#include "link/frame.h"

#include <algorithm>
#include <optional>

#include "link/checksum.h"

namespace orvex {

namespace {

bool isCompact(FrameVariant v) { return v == FrameVariant::CompactA || v == FrameVariant::CompactB; }

// Host command -> the code a compact reader expects.
struct Translation {
    std::uint8_t host;
    std::uint8_t compactA;
    std::uint8_t compactB;
};
constexpr Translation kTranslations[] = {
    {0x20, 0x28, 0x21}, {0x21, 0x29, 0x29}, {0xF0, 0x0B, 0x60}, {0xF6, 0x07, 0x07},
    {0xF7, 0x07, 0x07}, {0xF9, 0x0E, 0xF9}, {0xFA, 0x0E, 0xFA}, {0xFF, 0x0F, 0xFF},
};

// Block reads of command 0x20 whose second data byte names one of these
// families take the "long" inserted selector.
bool isLongBlockFamily(std::uint8_t b) { return b == 0x21 || b == 0x22 || b == 0x27 || b == 0x29; }

std::uint8_t dataByte(std::span<const std::uint8_t> request, std::size_t i) {
    return request.size() > i + 1 ? request[i + 1] : 0;
}

struct Layout {
    std::size_t header;  // bytes the wait needs before the length is read
    std::size_t lengthIndex;
    std::size_t dataStart;
    std::size_t overhead;  // total length = data length + overhead
    std::size_t trailer;
};

Layout layoutOf(FrameVariant v) {
    switch (v) {
        case FrameVariant::StxBcc:
            return {4, 3, 4, 5, 1};
        case FrameVariant::AddrCrc16:
            return {4, 2, 3, 5, 2};
        default:
            return {3, 2, 3, 3, 0};
    }
}

// Position of the closing 255 of a chain that starts at `pos`, once the
// trailer after it has arrived too.
std::optional<std::size_t> chainEnd(std::span<const std::uint8_t> buf, std::size_t pos, std::size_t trailer) {
    while (buf.size() > pos) {
        if (buf[pos] == kChained) {
            if (buf.size() > pos + trailer) return pos;
            return std::nullopt;
        }
        pos += buf[pos] + 1u;
    }
    return std::nullopt;
}

// Reader status of an STX frame -> last error.
int stxStatusError(std::uint8_t status) {
    switch (status) {
        case 3:
        case 25:
            return ORVEX_ERR_REPLY_CC;
        case 7:
            return ORVEX_ERR_STATUS_7;
        default:
            return status;
    }
}

struct CompactReply {
    std::uint8_t code;
    int error;
};
constexpr CompactReply kCompactErrors[] = {
    {0xA0, ORVEX_ERR_REPLY_A0}, {0xA4, ORVEX_ERR_REPLY_A4}, {0x88, ORVEX_ERR_REPLY_88},
    {0xCC, ORVEX_ERR_REPLY_CC}, {0xC4, ORVEX_ERR_REPLY_C4}, {0xC5, ORVEX_ERR_REPLY_C4},
};

}  // namespace

std::vector<std::uint8_t> translateRequest(FrameVariant variant, std::span<const std::uint8_t> request) {
    std::vector<std::uint8_t> out(request.begin(), request.end());
    if (!isCompact(variant) || request.empty()) return out;
    const bool a = variant == FrameVariant::CompactA;
    const std::uint8_t cmd = request[0];
    if (cmd == 0x20) {
        const bool longFamily = isLongBlockFamily(dataByte(request, 1));
        out[0] = a ? 0x28 : 0x21;
        out.insert(out.begin() + 1, a ? (longFamily ? 1 : 0) : (longFamily ? 8 : 4));
        return out;
    }
    if (cmd == 0xF5) {
        out[0] = dataByte(request, 0) == 0 ? 0x0D : 0x0C;
        if (out.size() > 1) out.erase(out.begin() + 1);
        return out;
    }
    for (const auto &t : kTranslations)
        if (t.host == cmd) out[0] = a ? t.compactA : t.compactB;
    return out;
}

BuiltFrame buildFrame(FrameVariant variant, std::uint8_t address, std::span<const std::uint8_t> request) {
    BuiltFrame f;
    if (request.empty()) {
        f.error = ORVEX_ERR_EMPTY_REQUEST;
        return f;
    }
    std::vector<std::uint8_t> body = translateRequest(variant, request);
    const std::size_t dataLength = body.size() - 1;
    if (dataLength > kMaxRequestData) {
        f.error = ORVEX_ERR_LENGTH;
        return f;
    }
    f.lastCommand = body[0];
    body.insert(body.begin() + 1, static_cast<std::uint8_t>(dataLength));
    auto &out = f.bytes;
    switch (variant) {
        case FrameVariant::StxBcc: {
            out.reserve(body.size() + 3);
            out.push_back(kStx);
            out.push_back(address);
            out.insert(out.end(), body.begin(), body.end());
            out.push_back(bcc(out.data() + 1, out.size() - 1));
            break;
        }
        case FrameVariant::AddrCrc16: {
            out.reserve(body.size() + 3);
            out.push_back(address);
            out.insert(out.end(), body.begin(), body.end());
            const std::uint16_t crc = crc16Modbus(out.data(), out.size());
            out.push_back(static_cast<std::uint8_t>(crc & 0xFF));
            out.push_back(static_cast<std::uint8_t>(crc >> 8));
            break;
        }
        default:
            out.reserve(body.size() + 1);
            out.push_back(kCompactStart);
            out.insert(out.end(), body.begin(), body.end());
            break;
    }
    return f;
}

FrameScan scanFrame(FrameVariant variant, std::span<const std::uint8_t> buffer) {
    FrameScan scan;
    if (variant != FrameVariant::AddrCrc16) {
        const std::uint8_t start = variant == FrameVariant::StxBcc ? kStx : kCompactStart;
        auto it = std::find(buffer.begin(), buffer.end(), start);
        scan.skip = static_cast<std::size_t>(it - buffer.begin());
        buffer = buffer.subspan(scan.skip);
    }
    const Layout l = layoutOf(variant);
    if (buffer.size() < l.header) return scan;
    scan.header = true;
    const std::uint8_t len = buffer[l.lengthIndex];
    if (len == kChained) {
        if (auto end = chainEnd(buffer, l.dataStart, l.trailer)) scan.length = *end + 1 + l.trailer;
    } else if (buffer.size() >= len + l.overhead) {
        scan.length = len + l.overhead;
    }
    return scan;
}

ParsedResponse parseResponse(FrameVariant variant, std::uint8_t lastCommand,
                             std::span<const std::uint8_t> frame) {
    ParsedResponse r;
    if (frame.empty()) {
        r.error = ORVEX_ERR_EMPTY_RESPONSE;
        return r;
    }
    const Layout l = layoutOf(variant);
    // Anything scanFrame would not call complete cannot be a valid frame.
    const FrameScan scan = scanFrame(variant, frame);
    if (scan.skip != 0 || scan.length != frame.size()) {
        r.error = isCompact(variant) ? ORVEX_ERR_WRONG_REPLY : ORVEX_ERR_CHECK;
        return r;
    }
    const std::size_t n = frame.size();
    if (variant == FrameVariant::AddrCrc16) {
        const std::uint16_t crc = crc16Modbus(frame.data(), n - 2);
        if (crc != (frame[n - 1] << 8 | frame[n - 2])) {
            r.error = ORVEX_ERR_CHECK;
            return r;
        }
    } else if (variant == FrameVariant::StxBcc) {
        if (bcc(frame.data() + 1, n - 2) != frame[n - 1]) {
            r.error = ORVEX_ERR_CHECK;
            return r;
        }
    }

    if (variant == FrameVariant::AddrCrc16) {
        if (frame[1] != 0) {
            r.error = frame[1];
            return r;
        }
    } else if (variant == FrameVariant::StxBcc) {
        const std::uint8_t status = frame[2];
        if (status == 0x20) {
            r.error = ORVEX_ERR_STATUS_20;
        } else if (status != 0) {
            r.error = stxStatusError(status);
            return r;
        }
    } else {
        const std::uint8_t code = frame[1];
        for (const auto &e : kCompactErrors) {
            if (e.code == code) {
                r.error = e.error;
                return r;
            }
        }
        if (code != lastCommand) {
            r.error = ORVEX_ERR_WRONG_REPLY;
            return r;
        }
    }
    // Strip header and trailer. A chain's link length bytes and its closing
    // 255 are framing, like the length byte of a plain frame: the caller gets
    // the links' bytes joined.
    if (frame[l.lengthIndex] == kChained) {
        const std::size_t end = n - l.trailer - 1;
        for (std::size_t pos = l.dataStart; pos < end; pos += frame[pos] + 1u)
            r.data.insert(r.data.end(), frame.begin() + static_cast<std::ptrdiff_t>(pos + 1),
                          frame.begin() + static_cast<std::ptrdiff_t>(pos + 1 + frame[pos]));
    } else {
        r.data.assign(frame.begin() + static_cast<std::ptrdiff_t>(l.dataStart),
                      frame.begin() + static_cast<std::ptrdiff_t>(n - l.trailer));
    }
    r.ok = true;
    return r;
}

}  // namespace orvex
