// Answers of the readers' network module as they come off the network: every
// decoder of a datagram must stay inside the bytes it was given.
#include <cstddef>
#include <cstdint>

#include "lan/datagram.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace orvex::lan;
    auto answer = parseAnswer(ByteView(data, size));
    if (!answer) return 0;
    const ByteView payload = answer->payload;
    if (auto record = NetworkRecord::fromPayload(payload)) {
        volatile auto entry = searchEntry(*record, {192, 168, 1, 77}).size();
        (void)entry;
        volatile auto mask = maskFromHostBits(record->hostBits())[0];
        (void)mask;
        record->setName(record->name());
        record->setPort(record->port());
    }
    volatile bool maker = isMakerDevice(payload);
    volatile bool qel = hasQelTag(payload);
    (void)maker;
    (void)qel;
    if (auto mac = identifyMac(payload)) (void)(*mac)[5];
    if (auto record3 = record3WithName(payload, "READER01ABCDEFGH")) (void)record3->size();
    return 0;
}
