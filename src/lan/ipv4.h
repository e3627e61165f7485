// IPv4 addresses as the reader's network module stores them: four bytes in
// dotted order, and subnet masks as a count of host bits.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvex::lan {

using Ipv4 = std::array<std::uint8_t, 4>;

// "a.b.c.d" with each part 0..255, nothing else; nullopt otherwise.
std::optional<Ipv4> parseIpv4(std::string_view text);

// "%d.%d.%d.%d"
std::string formatIpv4(const Ipv4 &address);

// Network byte order <-> value with byte 0 most significant.
std::uint32_t ipv4Value(const Ipv4 &address);
Ipv4 ipv4FromValue(std::uint32_t value);

// Number of zero bits below the lowest set bit of the mask (32 for 0.0.0.0):
// what the module keeps in record 0 byte 6.
int maskHostBits(const Ipv4 &mask);

// The mask with bits hostBits..31 set; 0.0.0.0 for 32 and above, so a
// corrupt record byte cannot shift out of range.
Ipv4 maskFromHostBits(int hostBits);

inline bool isZero(const Ipv4 &address) { return ipv4Value(address) == 0; }

}  // namespace orvex::lan
