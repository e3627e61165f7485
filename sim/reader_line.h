// The reader's serial line: rate and framing from a baud value, wire time of a byte,
// the rate codes of the baud-change command, and the comparison with the host's line.
#pragma once

#include <chrono>
#include <optional>

namespace orvex::sim {

enum class LineParity { None, Even, Odd };

struct ReaderLine {
    int rate = 19200;
    LineParity parity = LineParity::None;
    int stopBits = 1;

    // From a baud value: rate rounded down to 100, last two digits 0 8N1, 1 8E1, 2 8O1,
    // 3 8N2, any other 8N1.
    static ReaderLine fromBaudValue(int baud);
    int baudValue() const;  // inverse of fromBaudValue

    // Start bit, 8 data bits, parity bit, stop bits.
    int bitsPerByte() const;
    std::chrono::nanoseconds byteTime() const;
};

// What the host's side of a pseudo-terminal shows: parity is not visible there.
struct HostLine {
    int rate = 0;
    int stopBits = 1;
};

// A UART understands the host when the rates agree within 2 % and the stop bits match.
bool hostMatches(const ReaderLine &reader, const HostLine &host);

// Baud-change command data byte: rate code + 16 * line mode. nullopt for an unknown code
// or mode.
std::optional<ReaderLine> lineFromRateByte(unsigned byte);

}  // namespace orvex::sim
