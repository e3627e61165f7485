#include "sim/lan/lan_options.h"

#include <charconv>
#include <functional>

namespace orvex::sim::lan {
namespace {

struct OptionRule {
    const char *name;
    bool takesValue;
    std::function<std::string(LanOptions &, const std::string &)> apply;
    const char *help;
};

std::optional<int> number(const std::string &text, int low, int high) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<Ipv4> address(const std::string &text) {
    Ipv4 out{};
    std::size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        auto dot = part < 3 ? text.find('.', at) : text.size();
        if (dot == std::string::npos) return std::nullopt;
        auto value = number(text.substr(at, dot - at), 0, 255);
        if (!value) return std::nullopt;
        out[part] = static_cast<std::uint8_t>(*value);
        at = dot + 1;
    }
    return out;
}

const std::vector<OptionRule> &optionRules() {
    static const std::vector<OptionRule> table = {
        {"--lan", false,
         [](LanOptions &o, const std::string &) {
             o.enabled = true;
             return std::string();
         },
         "simulate a LAN reader: data link on TCP, network module on UDP 30718"},
        {"--lan-iface", true,
         [](LanOptions &o, const std::string &v) {
             o.interface = v;
             return std::string();
         },
         "interface the reader owns; address changes move it there (default: the first non-loopback one)"},
        {"--lan-port", true,
         [](LanOptions &o, const std::string &v) {
             auto n = number(v, 1, 65535);
             if (!n) return std::string("expects a port 1..65535");
             o.port = *n;
             return std::string();
         },
         "TCP port of the data link (default 10001)"},
        {"--lan-name", true,
         [](LanOptions &o, const std::string &v) {
             if (v.size() > 16) return std::string("takes at most 16 characters");
             o.name = v;
             return std::string();
         },
         "the module's DHCP name"},
        {"--lan-config-ip", true,
         [](LanOptions &o, const std::string &v) {
             o.configuredAddress = address(v);
             return o.configuredAddress ? std::string() : std::string("expects a.b.c.d");
         },
         "address in record 0 when it differs from the real one (0.0.0.0 = DHCP)"},
        {"--lan-foreign", false,
         [](LanOptions &o, const std::string &) {
             o.foreign = true;
             return std::string();
         },
         "a network device of another maker (record 2 does not name an Orvex reader)"},
        {"--lan-no-qel", false,
         [](LanOptions &o, const std::string &) {
             o.noQel = true;
             return std::string();
         },
         "a module without the extended address setup (no \"QEL\" in the identify answer)"},
        {"--lan-drop-after", true,
         [](LanOptions &o, const std::string &v) {
             auto n = number(v, 0, 1000000);
             if (!n) return std::string("expects a count");
             o.dropAfter = *n;
             return std::string();
         },
         "close the data link after every Nth answer"},
        {"--lan-ready", true,
         [](LanOptions &o, const std::string &v) {
             o.readyFile = v;
             return std::string();
         },
         "write \"ready\" to FILE once the sockets listen"},
        {"--lan-log", true,
         [](LanOptions &o, const std::string &v) {
             o.requestLog = v;
             return std::string();
         },
         "append one line per received datagram to FILE"},
    };
    return table;
}

}  // namespace

LanParse parseLanOptions(const std::vector<std::string> &args) {
    LanParse result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i], value;
        bool inlineValue = false;
        if (auto eq = name.find('='); name.rfind("--lan", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            inlineValue = true;
        }
        const OptionRule *rule = nullptr;
        for (const OptionRule &candidate : optionRules())
            if (name == candidate.name) rule = &candidate;
        if (!rule) {
            result.rest.push_back(args[i]);
            continue;
        }
        if (rule->takesValue && !inlineValue) {
            if (i + 1 == args.size()) {
                result.error = name + " expects a value";
                return result;
            }
            value = args[++i];
        }
        if (std::string problem = rule->apply(result.options, value); !problem.empty()) {
            result.error = name + " " + problem;
            return result;
        }
    }
    return result;
}

std::string lanHelpText() {
    std::string out = "LAN reader:\n";
    for (const OptionRule &rule : optionRules())
        out +=
            std::string("  ") + rule.name + (rule.takesValue ? " VALUE" : "") + "\n      " + rule.help + "\n";
    return out;
}

}  // namespace orvex::sim::lan
