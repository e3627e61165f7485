#include "lan/address_text.h"

#include <charconv>

namespace orvex::lan {

std::optional<HostAndPort> splitPort(std::string_view text) {
    auto dash = text.rfind('-');
    if (dash == std::string_view::npos) return HostAndPort{std::string(text), kDefaultTcpPort};
    std::string_view digits = text.substr(dash + 1);
    unsigned port = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || port > 65535)
        return std::nullopt;
    return HostAndPort{std::string(text.substr(0, dash)), static_cast<int>(port)};
}

std::string_view withoutPort(std::string_view text) {
    auto dash = text.rfind('-');
    return dash == std::string_view::npos ? text : text.substr(0, dash);
}

std::string_view bracketPrefix(std::string_view text) {
    if (text.empty() || text.front() != '[') return {};
    auto close = text.find(']');
    return close == std::string_view::npos ? std::string_view{} : text.substr(0, close + 1);
}

std::string_view entryAddress(std::string_view entry) {
    std::string_view address = withoutPort(entry);
    address.remove_prefix(bracketPrefix(address).size());
    return address;
}

std::string_view withoutBusAddress(std::string_view text) {
    auto colon = text.rfind(':');
    if (colon == std::string_view::npos || colon + 1 == text.size()) return text;
    for (char c : text.substr(colon + 1))
        if (c < '0' || c > '9') return text;
    return text.substr(0, colon);
}

}  // namespace orvex::lan
