// Sequence block decoders: any block decodes; encoding what was decoded and
// decoding again gives the same entries (entries with an unknown scan code
// are the ones the encoder leaves out).
#include "keys/key_sequence.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

using namespace orvex::app;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::span<const uint8_t> block(data, size);

    KeySequence keys;
    keys.fromBlock(block);
    KeySequence known;
    for (int i = 0; i < keys.count(); ++i)
        if (keys.at(i).scan < 0x5A) known.append(keys.at(i));
    KeySequence back;
    if (!back.fromBlock(keys.toBlock()).terminated || !(back == known)) std::abort();
    (void)keys.byteSize();

    CharSequence chars;
    chars.fromBlock(block);
    std::vector<uint8_t> encoded = chars.toBlock();
    if (size > 1 && !std::equal(encoded.begin(), encoded.end() - 1, block.begin())) std::abort();
    return 0;
}
