#include "sim/key_table.h"

namespace orvex::sim {
namespace {

constexpr std::uint8_t S = kLeftShift, A = kRightAlt;

struct CharKey {
    char ch;
    std::uint8_t modifier;
    std::uint8_t usage;
};

// Characters other than digits and letters on the German layout.
constexpr CharKey kSymbols[] = {
    {'!', S, 0x1E},  {'"', S, 0x1F}, {'#', 0, 0x32}, {'$', S, 0x21}, {'%', S, 0x22}, {'&', S, 0x23},
    {'\'', S, 0x32}, {'(', S, 0x25}, {')', S, 0x26}, {'*', S, 0x30}, {'+', 0, 0x30}, {',', 0, 0x36},
    {'-', 0, 0x38},  {'.', 0, 0x37}, {'/', S, 0x24}, {':', S, 0x37}, {';', S, 0x36}, {'<', 0, 0x64},
    {'=', S, 0x27},  {'>', S, 0x64}, {'?', S, 0x2D}, {'@', A, 0x14}, {'[', A, 0x25}, {'\\', A, 0x2D},
    {']', A, 0x26},  {'^', 0, 0x35}, {'_', S, 0x38}, {'`', S, 0x2E}, {'{', A, 0x24}, {'|', A, 0x64},
    {'}', A, 0x27},  {'~', A, 0x30},
};

// Characters other than digits and letters on the US layout.
constexpr CharKey kUsSymbols[] = {
    {'!', S, 0x1E},  {'@', S, 0x1F}, {'#', S, 0x20}, {'$', S, 0x21}, {'%', S, 0x22},  {'^', S, 0x23},
    {'&', S, 0x24},  {'*', S, 0x25}, {'(', S, 0x26}, {')', S, 0x27}, {'-', 0, 0x2D},  {'_', S, 0x2D},
    {'=', 0, 0x2E},  {'+', S, 0x2E}, {'[', 0, 0x2F}, {'{', S, 0x2F}, {']', 0, 0x30},  {'}', S, 0x30},
    {'\\', 0, 0x31}, {'|', S, 0x31}, {';', 0, 0x33}, {':', S, 0x33}, {'\'', 0, 0x34}, {'"', S, 0x34},
    {'`', 0, 0x35},  {'~', S, 0x35}, {',', 0, 0x36}, {'<', S, 0x36}, {'.', 0, 0x37},  {'>', S, 0x37},
    {'/', 0, 0x38},  {'?', S, 0x38},
};

// HID usage of a letter key on a German keyboard (Y and Z swapped against the usage names).
std::uint8_t letterUsage(char lower) {
    if (lower == 'y') return 0x1D;
    if (lower == 'z') return 0x1C;
    return static_cast<std::uint8_t>(0x04 + (lower - 'a'));
}

}  // namespace

KeyTable factoryKeyTable() {
    KeyTable table(2 * (kLastKeyChar - kFirstKeyChar + 1), kNoKey);
    for (char d = '1'; d <= '9'; ++d) setKey(table, d, 0, static_cast<std::uint8_t>(0x1E + (d - '1')));
    setKey(table, '0', 0, 0x27);
    for (char c = 'a'; c <= 'z'; ++c) {
        setKey(table, c, 0, letterUsage(c));
        setKey(table, static_cast<std::uint8_t>(c - 'a' + 'A'), S, letterUsage(c));
    }
    for (const auto &k : kSymbols) setKey(table, static_cast<std::uint8_t>(k.ch), k.modifier, k.usage);
    return table;
}

KeyTable usKeyTable() {
    KeyTable table(2 * (kLastKeyChar - kFirstKeyChar + 1), kNoKey);
    for (char d = '1'; d <= '9'; ++d) setKey(table, d, 0, static_cast<std::uint8_t>(0x1E + (d - '1')));
    setKey(table, '0', 0, 0x27);
    for (char c = 'a'; c <= 'z'; ++c) {
        const auto usage = static_cast<std::uint8_t>(0x04 + (c - 'a'));
        setKey(table, c, 0, usage);
        setKey(table, static_cast<std::uint8_t>(c - 'a' + 'A'), S, usage);
    }
    for (const auto &k : kUsSymbols) setKey(table, static_cast<std::uint8_t>(k.ch), k.modifier, k.usage);
    return table;
}

std::optional<std::pair<std::uint8_t, std::uint8_t>> keyOf(const KeyTable &table, std::uint8_t ch) {
    if (ch < kFirstKeyChar || ch > kLastKeyChar) return std::nullopt;
    std::size_t at = 2u * static_cast<std::size_t>(ch - kFirstKeyChar);
    if (at + 1 >= table.size()) return std::nullopt;
    return std::make_pair(table[at], table[at + 1]);
}

bool setKey(KeyTable &table, std::uint8_t ch, std::uint8_t modifier, std::uint8_t usage) {
    if (ch < kFirstKeyChar || ch > kLastKeyChar) return false;
    std::size_t at = 2u * static_cast<std::size_t>(ch - kFirstKeyChar);
    if (at + 1 >= table.size()) return false;
    table[at] = modifier;
    table[at + 1] = usage;
    return true;
}

}  // namespace orvex::sim
