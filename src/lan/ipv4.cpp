#include "lan/ipv4.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace orvex::lan {

std::optional<Ipv4> parseIpv4(std::string_view text) {
    Ipv4 address{};
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != '.') return std::nullopt;
            text.remove_prefix(1);
        }
        if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
        unsigned value = 0;
        auto [end, ec] =
            std::from_chars(text.data(), text.data() + std::min<std::size_t>(text.size(), 3), value);
        if (ec != std::errc() || value > 255) return std::nullopt;
        address[part] = static_cast<std::uint8_t>(value);
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    }
    if (!text.empty()) return std::nullopt;
    return address;
}

std::string formatIpv4(const Ipv4 &a) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", a[0], a[1], a[2], a[3]);
    return text;
}

std::uint32_t ipv4Value(const Ipv4 &a) {
    return (std::uint32_t{a[0]} << 24) | (std::uint32_t{a[1]} << 16) | (std::uint32_t{a[2]} << 8) | a[3];
}

Ipv4 ipv4FromValue(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

int maskHostBits(const Ipv4 &mask) {
    std::uint32_t value = ipv4Value(mask);
    if (value == 0) return 32;
    int bits = 0;
    while (!(value & 1u)) {
        value >>= 1;
        ++bits;
    }
    return bits;
}

Ipv4 maskFromHostBits(int hostBits) {
    if (hostBits < 0) hostBits = 0;
    if (hostBits >= 32) return {0, 0, 0, 0};
    return ipv4FromValue(~std::uint32_t{0} << hostBits);
}

}  // namespace orvex::lan
