#include "params/wedge_block.h"

namespace orvex::app {

WedgeBlock buildWedgeBlock(const DataFormatRecord &r, const OperatingParameters &p) {
    WedgeBlock b{};
    b[0] = p.wedgeDelayByte;
    b[1] = r.typeCode;
    for (std::size_t i = 0; i < 4; ++i) b[2 + i] = selectionEntry(r, i);
    b[6] = kNoSelection;
    b[7] = r.representation;
    b[8] = r.charCount;
    b[9] = p.wedgeFrequencyByte;
    b[10] = p.wedgeTimeoutByte;
    return b;
}

std::optional<WedgeBlockContent> decodeWedgeBlock(std::span<const std::uint8_t> b) {
    if (b.size() < kWedgeBlockSize) return std::nullopt;
    WedgeBlockContent c;
    c.delayByte = b[0];
    c.record.typeCode = b[1];
    c.record.selection = {b[2], b[3], b[4], b[5], b[6]};
    c.record.representation = b[7];
    c.record.charCount = b[8];
    c.frequencyByte = b[9];
    c.timeoutByte = b[10];
    return c;
}

}  // namespace orvex::app
