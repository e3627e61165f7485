// Data-format replies of command 0x89 (and keyboard-wedge blocks) come from
// the reader: parsing and reporting any bytes must stay in bounds, and what
// the parser takes must encode back to the same bytes.
#include "params/content_report.h"
#include "params/data_format.h"
#include "params/wedge_block.h"

#include <cstddef>
#include <cstdint>
#include <span>

using namespace orvex::app;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);

    DataFormatRecord record;
    record.mifareKey = "A0A1A2A3A4A5";
    const DataFormatRecord before = record;
    const ParseResult result = parseDataFormat(bytes, record);
    if (result == ParseResult::TooShort) {
        if (size >= 9 || !(record == before)) __builtin_trap();
    } else {
        const DataFormatImage image = encodeDataFormat(record);
        for (std::size_t i : {1, 2, 3, 4, 5, 7, 8})
            if (image[i] != bytes[i]) __builtin_trap();
        for (std::size_t i = 11; i < 16 && i < size; ++i)
            if (image[i] != bytes[i]) __builtin_trap();
        if (record.mifareKey != before.mifareKey) __builtin_trap();
    }

    DataFormatRecord set1, set2;
    parseDataFormatBlock(bytes, set1, set2);
    decodeWedgeBlock(bytes);

    // The report reads the same bytes as data-format and parameter blocks.
    const std::size_t split = size ? data[0] % (size + 1) : 0;
    serialReport(bytes.subspan(split), bytes.first(split));
    wedgeReport(bytes);
    dataSetReport(bytes);
    hexDump(bytes);
    return 0;
}
