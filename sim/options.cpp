#include "sim/options.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <string>

namespace orvex::sim {

void addReaderOptions(CLI::App &app, Options &o) {
    auto &group = *app.add_option_group("Reader");
    group
        .add_option("--version-answer", o.versionAnswer,
                    "version answer, three hex digits of type code and a version digit (default 1245);\n"
                    "types ending in 2 or 3 are keyboard-wedge readers with the 11-byte data block")
        ->type_name("TEXT")
        ->check(
            CLI::Validator([](std::string &v) { return v.empty() ? "expects a non-empty text" : ""; }, ""));
    group.add_option("--variant", o.variant, "frame variant 0..3 (default 0)")->check(CLI::Range(0, 3));
    group
        .add_option("--address", o.address,
                    "bus address; variants 0 and 1 answer only requests for it (default 1)")
        ->check(CLI::Range(0, 255));
    group
        .add_option(
            "--baud", o.baud,
            "rate plus line mode in the last two digits: 0 8N1, 1 8E1, 2 8O1, 3 8N2 (default 19200);\n"
            "the reader answers only while the host's rate and stop bits match")
        ->type_name("RATE")
        ->check(CLI::Range(100, 4000000));
    group
        .add_option("--state", o.stateFile,
                    "INI file with the reader's state: loaded at start (options given here win),\n"
                    "rewritten atomically after every write command and relay/buzzer byte")
        ->type_name("FILE")
        ->check(CLI::Validator([](std::string &v) { return v.empty() ? "expects a file name" : ""; }, ""));
    group.add_flag("--wire-speed", o.wireSpeed,
                   "each byte takes its wire time at the current rate ((1 + 8 + parity + stop) / rate)");
    group.add_option("--garbage", o.garbage, "send N zero bytes (line noise) before each answer")
        ->check(CLI::Range(0, 4096));
    group.add_flag("--bad-check", o.badCheck,
                   "corrupt the BCC (variant 0) or CRC (variant 1) of every answer");
    group.add_option("--drop-every", o.dropEvery, "leave every Nth command unanswered")
        ->check(CLI::Range(1, 1000000));
    group.add_option("--delay-ms", o.delayMs, "answer N ms after the request")->check(CLI::Range(0, 600000));
    group
        .add_option("--status", o.status,
                    "answer every command with this status (variants 0/1) or reply code (variants 2/3);\n"
                    "write commands take effect only when the code means success (0, 0x20, the command)")
        ->type_name("CODE")
        ->check(CLI::Range(0, 255));
    group
        .add_option("--hangup-after", o.hangupAfter,
                    "send half of the Nth answer, then close the line (host sees a hang-up)")
        ->check(CLI::Range(1, 1000000));
    group
        .add_option("--faults-from", o.faultsFrom,
                    "--garbage, --bad-check and --delay-ms start with the Nth answer (default 1)")
        ->check(CLI::Range(1, 1000000));
    group
        .add_option("--rate-jump-after", o.rateJumpAfter,
                    "after the Nth answer the reader's line changes by itself to --rate-jump-to")
        ->check(CLI::Range(1, 1000000));
    group
        .add_option("--rate-jump-to", o.rateJumpTo,
                    "rate plus line mode the reader jumps to (default 9600), digits as --baud")
        ->type_name("RATE")
        ->check(CLI::Range(100, 4000000));
    group.add_flag("--chained", o.chained,
                   "answer the block reads 0x89..0x8E in the chained format (16-byte links)");
    group
        .add_option_function<std::string>(
            "--emit", [&o](const std::string &text) { o.emit = decodeEscapes(text); },
            "transponder data the reader outputs while reading (escapes \\r \\n \\t \\\\ \\xHH);\n"
            "it is also the answer to the request character")
        ->type_name("TEXT");
    group
        .add_option("--every", o.everyMs,
                    "send the --emit text unframed every MS ms while the reader is reading")
        ->type_name("MS")
        ->check(CLI::Range(1, 3600000));
}

const char *const kReaderNotes =
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

}  // namespace orvex::sim
