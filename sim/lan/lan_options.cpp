#include "sim/lan/lan_options.h"

#include <CLI/CLI.hpp>

#include <charconv>

namespace orvex::sim::lan {
namespace {

std::optional<Ipv4> parseAddress(const std::string &text) {
    Ipv4 out{};
    std::size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        const auto dot = part < 3 ? text.find('.', at) : text.size();
        if (dot == std::string::npos || dot == at) return std::nullopt;
        int value = 0;
        const char *first = text.data() + at, *last = text.data() + dot;
        auto [end, ec] = std::from_chars(first, last, value);
        if (ec != std::errc() || end != last || value > 255) return std::nullopt;
        out[part] = static_cast<std::uint8_t>(value);
        at = dot + 1;
    }
    return out;
}

}  // namespace

void addLanOptions(CLI::App &app, LanOptions &o) {
    auto &group = *app.add_option_group("LAN reader");
    auto *lan = group.add_flag("--lan", o.enabled,
                               "simulate a LAN reader: data link on TCP, network module on UDP 30718");
    group
        .add_option(
            "--lan-iface", o.interface,
            "interface the reader owns; address changes move it there (default: the first non-loopback one)")
        ->needs(lan);
    group.add_option("--lan-port", o.port, "TCP port of the data link (default 10001)")
        ->check(CLI::Range(1, 65535))
        ->needs(lan);
    group.add_option("--lan-name", o.name, "the module's DHCP name")
        ->check(CLI::Validator(
            [](std::string &v) {
                return v.size() > 16 ? std::string("takes at most 16 characters") : std::string();
            },
            ""))
        ->needs(lan);
    group
        .add_option_function<std::string>(
            "--lan-config-ip",
            [&o](const std::string &v) {
                o.configuredAddress = parseAddress(v);
                if (!o.configuredAddress) throw CLI::ValidationError("--lan-config-ip", "expects a.b.c.d");
            },
            "address in record 0 when it differs from the real one (0.0.0.0 = DHCP)")
        ->needs(lan);
    group
        .add_flag("--lan-foreign", o.foreign,
                  "a network device of another maker (record 2 does not name an Orvex reader)")
        ->needs(lan);
    group
        .add_flag("--lan-no-qel", o.noQel,
                  "a module without the extended address setup (no \"QEL\" in the identify answer)")
        ->needs(lan);
    group.add_option("--lan-drop-after", o.dropAfter, "close the data link after every Nth answer")
        ->check(CLI::Range(0, 1000000))
        ->needs(lan);
    group.add_option("--lan-ready", o.readyFile, "write \"ready\" to FILE once the sockets listen")
        ->needs(lan);
    group.add_option("--lan-log", o.requestLog, "append one line per received datagram to FILE")->needs(lan);
}

}  // namespace orvex::sim::lan
