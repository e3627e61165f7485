// Bytes from the Bluetooth dongle as they arrive: the first input byte sets the
// piece size the bytes come in, the second the class filter of an inquiry
// (0 = none); every frame found is handled as an event. The buffers, the
// found-device table and the name must stay within their bounds.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "transport/dongle_events.h"
#include "transport/dongle_frame.h"

using namespace orvex::dongle;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t piece = data[0] % 64 + 1;
    DongleState state;
    state.classFilter = data[1] & 1 ? 0x500 : 0;
    data += 2;
    size -= 2;

    FrameReader reader;
    for (std::size_t at = 0; at < size; at += piece) {
        const std::size_t n = std::min(piece, size - at);
        if (reader.append(data + at, n) > n) std::abort();
        if (reader.buffered() > kBufferCapacity) std::abort();
        while (auto frame = reader.next()) {
            if (frame->data.size() + kFrameOverhead > kBufferCapacity) std::abort();
            state.awaited = frame->event();  // every event finds its waiter
            handleEvent(state, *frame);
            if (state.foundCount > kMaxFoundDevices || state.linkDataCount > kBufferCapacity) std::abort();
            if (state.nameText().size() > kNameCapacity) std::abort();
            // The host takes link data away now and then.
            if (state.linkDataCount > 500) state.linkDataCount = 0;
        }
    }
    // What goes out is framed as the length says.
    const auto request = encodeFrame(kRequest, size ? data[0] : 0, {data, std::min<std::size_t>(size, 64)});
    if (request.size() != std::min<std::size_t>(size, 64) + kFrameOverhead) std::abort();
    return 0;
}
