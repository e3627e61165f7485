// The simulator's request parser and command set on arbitrary host bytes: every answer
// is one well-formed frame of the reader's variant, and the state it ends in survives a
// trip through its state-file text.
#include <cstdint>
#include <cstdlib>

#include "link/checksum.h"
#include "sim/reader_core.h"

namespace {

using orvex::sim::Bytes;

// Length of the data area, following a chain when the length byte is 255.
bool dataAreaFits(const Bytes &f, std::size_t at, std::size_t trailer) {
    if (f[at] != 0xFF) return f.size() == at + 1 + f[at] + trailer;
    std::size_t p = at + 1;
    while (p < f.size() && f[p] != 0xFF) p += f[p] + 1;
    return p < f.size() && f.size() == p + 1 + trailer;
}

bool wellFormed(int variant, const Bytes &f) {
    switch (variant) {
        case 0:
            return f.size() >= 5 && f[0] == 0x02 && dataAreaFits(f, 3, 1) &&
                   orvex::bcc(f.data() + 1, f.size() - 2) == f.back();
        case 1:
            return f.size() >= 5 && dataAreaFits(f, 2, 2) &&
                   orvex::crc16Modbus(f.data(), f.size() - 2) == (f[f.size() - 2] | (f.back() << 8));
        default:
            return f.size() >= 3 && f[0] == 0x1E && dataAreaFits(f, 2, 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    orvex::sim::Options options;
    int variant = data[0] & 3;
    options.variant = variant;
    options.chained = data[0] & 4;
    options.emit = {'1', '2'};
    options.everyMs = 10;
    orvex::sim::ReaderCore core(options);

    // Chunks separated by 0xA5 0x5A arrive after a pause, so the gap logic runs too.
    auto now = orvex::sim::Clock::now();
    std::size_t begin = 1;
    for (std::size_t i = 1; i <= size; ++i) {
        bool cut = i == size || (i + 1 < size && data[i] == 0xA5 && data[i + 1] == 0x5A);
        if (!cut) continue;
        for (const auto &t : core.receive(data + begin, i - begin, now)) {
            if (!t.spontaneous && !wellFormed(variant, t.bytes)) std::abort();
            core.transmitted(t);
        }
        now += std::chrono::milliseconds(200);
        begin = i + 2;
        ++i;
    }

    orvex::sim::ReaderState state = core.state();
    auto again = orvex::sim::stateFromText(orvex::sim::stateToText(state));
    if (!again || !(*again == state)) std::abort();
    return 0;
}
