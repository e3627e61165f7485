#include "sim/options.h"

#include <cctype>
#include <charconv>
#include <functional>
#include <sstream>

namespace orvex::sim {
namespace {

// Accepts decimal or 0x-prefixed hexadecimal.
std::optional<long> parseNumber(const std::string &text) {
    int base = 10;
    std::string_view digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    long value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty()) return std::nullopt;
    return value;
}

using Setter = std::function<std::string(Options &, const std::string &)>;

// Stores a number within [low, high] into the member chosen by `set`.
template <typename Assign>
Setter number(long low, long high, Assign set) {
    return [=](Options &o, const std::string &value) -> std::string {
        auto n = parseNumber(value);
        if (!n || *n < low || *n > high)
            return "expects a number from " + std::to_string(low) + " to " + std::to_string(high);
        set(o, static_cast<int>(*n));
        return {};
    };
}

struct OptionSpec {
    const char *name;
    const char *valueName;  // nullptr: a flag without value
    const char *help;
    Setter apply;
};

const std::vector<OptionSpec> &optionTable() {
    static const std::vector<OptionSpec> table = {
        {"--version-answer", "TEXT",
         "version answer, three hex digits of type code and a version digit (default 1245);\n"
         "types ending in 2 or 3 are keyboard-wedge readers with the 11-byte data block",
         [](Options &o, const std::string &v) -> std::string {
             if (v.empty()) return "expects a non-empty text";
             o.versionAnswer = v;
             return {};
         }},
        {"--variant", "N", "frame variant 0..3 (default 0)",
         number(0, 3, [](Options &o, int v) { o.variant = v; })},
        {"--address", "N", "bus address; variants 0 and 1 answer only requests for it (default 1)",
         number(0, 255, [](Options &o, int v) { o.address = v; })},
        {"--baud", "RATE",
         "rate plus line mode in the last two digits: 0 8N1, 1 8E1, 2 8O1, 3 8N2 (default 19200);\n"
         "the reader answers only while the host's rate and stop bits match",
         number(100, 4000000, [](Options &o, int v) { o.baud = v; })},
        {"--state", "FILE",
         "INI file with the reader's state: loaded at start (options given here win),\n"
         "rewritten atomically after every write command and relay/buzzer byte",
         [](Options &o, const std::string &v) -> std::string {
             if (v.empty()) return "expects a file name";
             o.stateFile = v;
             return {};
         }},
        {"--wire-speed", nullptr,
         "each byte takes its wire time at the current rate ((1 + 8 + parity + stop) / rate)",
         [](Options &o, const std::string &) -> std::string {
             o.wireSpeed = true;
             return {};
         }},
        {"--garbage", "N", "send N zero bytes (line noise) before each answer",
         number(0, 4096, [](Options &o, int v) { o.garbage = v; })},
        {"--bad-check", nullptr, "corrupt the BCC (variant 0) or CRC (variant 1) of every answer",
         [](Options &o, const std::string &) -> std::string {
             o.badCheck = true;
             return {};
         }},
        {"--drop-every", "N", "leave every Nth command unanswered",
         number(1, 1000000, [](Options &o, int v) { o.dropEvery = v; })},
        {"--delay-ms", "N", "answer N ms after the request",
         number(0, 600000, [](Options &o, int v) { o.delayMs = v; })},
        {"--status", "CODE",
         "answer every command with this status (variants 0/1) or reply code (variants 2/3);\n"
         "write commands take effect only when the code means success (0, 0x20, the command)",
         number(0, 255, [](Options &o, int v) { o.status = v; })},
        {"--hangup-after", "N", "send half of the Nth answer, then close the line (host sees a hang-up)",
         number(1, 1000000, [](Options &o, int v) { o.hangupAfter = v; })},
        {"--chained", nullptr, "answer the block reads 0x89..0x8E in the chained format (16-byte links)",
         [](Options &o, const std::string &) -> std::string {
             o.chained = true;
             return {};
         }},
        {"--emit", "TEXT",
         "transponder data the reader outputs while reading (escapes \\r \\n \\t \\\\ \\xHH);\n"
         "it is also the answer to the request character",
         [](Options &o, const std::string &v) -> std::string {
             o.emit = decodeEscapes(v);
             return {};
         }},
        {"--every", "MS", "send the --emit text unframed every MS ms while the reader is reading",
         number(1, 3600000, [](Options &o, int v) { o.everyMs = v; })},
    };
    return table;
}

}  // namespace

std::vector<std::uint8_t> decodeEscapes(const std::string &text) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out.push_back(static_cast<std::uint8_t>(c));
            continue;
        }
        char e = text[++i];
        switch (e) {
            case 'r':
                out.push_back('\r');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'x': {
                std::string hex;
                while (hex.size() < 2 && i + 1 < text.size() &&
                       std::isxdigit(static_cast<unsigned char>(text[i + 1])))
                    hex += text[++i];
                out.push_back(hex.empty() ? 'x' : static_cast<std::uint8_t>(std::stoi(hex, nullptr, 16)));
                break;
            }
            default:
                out.push_back(static_cast<std::uint8_t>(e));
                break;
        }
    }
    return out;
}

ParseResult parseOptions(const std::vector<std::string> &args) {
    ParseResult result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--help" || arg == "-h") {
            result.help = true;
            continue;
        }
        // Both "--name value" and "--name=value".
        std::string name = arg, value;
        bool inlineValue = false;
        if (auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            inlineValue = true;
        }
        const OptionSpec *rule = nullptr;
        for (const auto &candidate : optionTable())
            if (name == candidate.name) rule = &candidate;
        if (!rule) {
            result.error = "unknown option " + arg;
            return result;
        }
        if (rule->valueName && !inlineValue) {
            if (i + 1 == args.size()) {
                result.error = name + " expects " + rule->valueName;
                return result;
            }
            value = args[++i];
        } else if (!rule->valueName && inlineValue) {
            result.error = name + " takes no value";
            return result;
        }
        if (std::string problem = rule->apply(result.options, value); !problem.empty()) {
            result.error = name + " " + problem;
            return result;
        }
    }
    return result;
}

ParseResult parseOptions(int argc, const char *const *argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return parseOptions(args);
}

std::string helpText() {
    std::ostringstream out;
    out << "Usage: orvex-readersim [OPTIONS]\n"
           "Simulates one Orvex reader on a new pseudo-terminal. Prints the terminal's path\n"
           "as the first line, then runs until killed (SIGTERM, SIGINT).\n\n"
           "Options:\n";
    for (const auto &rule : optionTable()) {
        std::string head =
            std::string("  ") + rule.name + (rule.valueName ? std::string(" ") + rule.valueName : "");
        std::string help = rule.help;
        out << head << "\n";
        std::istringstream lines(help);
        for (std::string line; std::getline(lines, line);) out << "      " << line << "\n";
    }
    out << "  --help\n      show this text\n\n"
           "Output modes (command 0xF4): 0 programming mode (framed commands only);\n"
           "1 reading: sends the --emit text every --every ms; 2 back to the power-on mode\n"
           "(power-on 0 programming, 1 reading, 2/3 reading without output); 3 reading\n"
           "without output. While reading (modes 1 and 3, or 2 with power-on 1..3) the reader\n"
           "answers the request character (parameter block byte 2) with the --emit text and\n"
           "counts raw DC1/DC3 (relay on/off) as Relay and BEL as Buzzer in its state.\n"
           "Pseudo-terminals carry no DTR line: the DTR mode is stored and reported only.\n"
           "Keyboard-mode key table: 0x11 CH answers CH 00 MODIFIER USAGE (German layout from\n"
           "the factory), 0x12 CH MODIFIER USAGE changes it (state key KeyTable).\n"
           "Factory reset (0xFB) restores the [Blocks] of the state; version, variant,\n"
           "address and rate stay so the host keeps its link.\n"
           "Unknown commands get status 3 (variants 0/1) or reply code 0xCC (variants 2/3),\n"
           "invalid data status 25 or reply code 0xCC.\n";
    return out.str();
}

}  // namespace orvex::sim
