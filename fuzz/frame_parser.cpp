// Reader answers as they arrive from the wire: the first input byte picks the
// frame variant, the second is the sent command, the rest is the receive buffer.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "link/frame.h"

using namespace orvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 2) return 0;
    const auto variant = static_cast<FrameVariant>(data[0] & 3);
    const std::uint8_t lastCommand = data[1];
    std::span<const std::uint8_t> buffer(data + 2, size - 2);

    const FrameScan scan = scanFrame(variant, buffer);
    if (scan.skip > buffer.size()) std::abort();
    buffer = buffer.subspan(scan.skip);
    if (scan.length > buffer.size()) std::abort();
    if (scan.length) {
        const ParsedResponse r = parseResponse(variant, lastCommand, buffer.first(scan.length));
        if (r.ok && r.data.size() > scan.length) std::abort();
    }
    // Anything handed over directly must be judged without reading past it.
    (void)parseResponse(variant, lastCommand, buffer);
    // The same bytes as a request must frame or be refused cleanly.
    const BuiltFrame request = buildFrame(variant, 1, buffer);
    if (!request.error && request.bytes.size() < buffer.size() + 1) std::abort();
    return 0;
}
