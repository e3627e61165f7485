#include "sim/reader_line.h"

#include <cstdlib>
#include <iterator>

namespace orvex::sim {
namespace {

// Rates of the baud-change command by rate code.
constexpr int kRateByCode[] = {2400,   4800,   9600,   19200,  38400,  57600,
                               115200, 230400, 460800, 921600, 1382400};

struct Framing {
    LineParity parity;
    int stopBits;
};
// By line mode, the last two digits of a baud value.
constexpr Framing kFramingByMode[] = {
    {LineParity::None, 1}, {LineParity::Even, 1}, {LineParity::Odd, 1}, {LineParity::None, 2}};

}  // namespace

ReaderLine ReaderLine::fromBaudValue(int baud) {
    ReaderLine line;
    line.rate = baud / 100 * 100;
    int mode = baud % 100;
    Framing framing = (mode >= 0 && mode < 4) ? kFramingByMode[mode] : kFramingByMode[0];
    line.parity = framing.parity;
    line.stopBits = framing.stopBits;
    return line;
}

int ReaderLine::baudValue() const {
    for (int mode = 0; mode < 4; ++mode)
        if (kFramingByMode[mode].parity == parity && kFramingByMode[mode].stopBits == stopBits)
            return rate + mode;
    return rate;
}

int ReaderLine::bitsPerByte() const { return 1 + 8 + (parity == LineParity::None ? 0 : 1) + stopBits; }

std::chrono::nanoseconds ReaderLine::byteTime() const {
    return std::chrono::nanoseconds(1'000'000'000LL * bitsPerByte() / (rate > 0 ? rate : 1));
}

bool hostMatches(const ReaderLine &reader, const HostLine &host) {
    return host.stopBits == reader.stopBits && std::abs(host.rate - reader.rate) * 50 <= reader.rate;
}

std::optional<ReaderLine> lineFromRateByte(unsigned byte) {
    unsigned code = byte & 0x0F, mode = byte >> 4;
    if (code >= std::size(kRateByCode) || mode >= std::size(kFramingByMode)) return std::nullopt;
    ReaderLine line;
    line.rate = kRateByCode[code];
    line.parity = kFramingByMode[mode].parity;
    line.stopBits = kFramingByMode[mode].stopBits;
    return line;
}

}  // namespace orvex::sim
