// The simulator's state file on arbitrary text: it loads or is refused, never crashes, and
// a loaded state written out loads back to the same state.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sim/reader_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string text(reinterpret_cast<const char *>(data), size);
    auto state = orvex::sim::stateFromText(text);
    if (!state) return 0;
    auto again = orvex::sim::stateFromText(orvex::sim::stateToText(*state));
    if (!again || !(*again == *state)) std::abort();
    return 0;
}
