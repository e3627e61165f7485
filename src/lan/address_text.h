// The address texts of LAN readers:
//   a.b.c.d               IPv4 address (TCP port 10001)
//   a.b.c.d-port          IPv4 address and TCP port
//   [name] / [name]-port  a reader known by its name (resolved before use)
//   [name]a.b.c.d-port    search result of a reader whose configured address
//                         differs from the address it answered from
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvex::lan {

inline constexpr int kDefaultTcpPort = 10001;

struct HostAndPort {
    std::string host;
    int port = kDefaultTcpPort;
};

// Splits at the last "-": the text after it is the port (decimal). Without a
// "-" the port is kDefaultTcpPort. nullopt when the port part is not a number
// in 0..65535.
std::optional<HostAndPort> splitPort(std::string_view text);

// The text before the last "-" (the whole text when there is none).
std::string_view withoutPort(std::string_view text);

// "[name]" prefix up to and including the first "]", when the text starts
// with "[" and has one; empty otherwise.
std::string_view bracketPrefix(std::string_view text);

// The reader's IPv4 text of a search entry: before its last "-", with any
// bracketed prefix removed.
std::string_view entryAddress(std::string_view entry);

// Removes a bus-address suffix (":n", all digits) that the application's port
// names carry behind LAN addresses.
std::string_view withoutBusAddress(std::string_view text);

}  // namespace orvex::lan
