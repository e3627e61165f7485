// Bytes from a USB keyboard reader: input reports of any length and content
// through the HID transport (over a socket pair, as a simulated device
// delivers them), report-level answers as the key-table query takes them,
// and report descriptors as the kernel hands them out.
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "params/key_table.h"
#include "transport/hid_report_descriptor.h"
#include "transport/hid_transport.h"

namespace {

struct Sink : orvex::ByteSink {
    std::size_t bytes = 0;
    void receiveBytes(const std::uint8_t *, std::size_t n) override { bytes += n; }
};

}  // namespace

// Layout: byte 0 input report length, byte 1 output report length, then
// reports, each a length byte and that many bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    orvex::reportLengthsFromDescriptor({data, size});
    if (size < 2) return 0;

    int fds[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0) return 0;
    Sink sink;
    const int inputLength = 2 + data[0] % 64;
    const int outputLength = 4 + data[1] % 62;
    orvex::HidTransport transport({fds[0], true, {inputLength, outputLength}}, sink);

    orvex::app::KeyTable table;
    const std::uint8_t query[] = {0x11, 'a'};
    for (std::size_t at = 2; at < size;) {
        const std::size_t n = std::min<std::size_t>(data[at], size - at - 1);
        const std::uint8_t *report = data + at + 1;
        at += 1 + n;
        if (n) (void)!::send(fds[1], report, n, MSG_NOSIGNAL);
        if (auto payload = orvex::inputReportPayload({report, n}, inputLength);
            payload && orvex::answersCommand(query, *payload))
            orvex::app::applyKeyQueryAnswer(table, 'a', *payload);
    }
    transport.poll(SIZE_MAX);
    transport.send(data, std::min<std::size_t>(size, 256));  // as output reports, a few dozen at most
    ::close(fds[1]);
    transport.poll(SIZE_MAX);  // the peer is gone: an unplug
    return 0;
}
