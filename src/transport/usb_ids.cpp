#include "transport/usb_ids.h"

#include <algorithm>
#include <charconv>

namespace orvex {
namespace {

constexpr UsbId kHidReaders[] = {
    {0x16D0, 0x0E2B}, {0x1209, 0x7301}, {0x1209, 0x7302}, {0x1209, 0x7303},
    {0x1209, 0x7304}, {0x1209, 0x7305}, {0x1D50, 0x61A0},
};

// 6401-6415 are the switchable readers (HID keyboard mode <-> virtual COM),
// which the interface dialog must be able to list. 7305 is not one: a HID
// reader without a readable serial number is listed as "7305-???? HID" and
// must not reach the USB reader list.
constexpr int kArticleNumbers[] = {6401, 6402, 6403, 6404, 6405, 6406, 6407, 6408, 6409, 6410, 6411, 6412,
                                   6413, 6414, 6415, 7300, 7301, 7302, 7303, 7304, 7310, 7311, 7320};

}  // namespace

std::span<const UsbId> hidReaderIds() { return kHidReaders; }

bool isHidReader(int vendorId, int productId) {
    return std::any_of(std::begin(kHidReaders), std::end(kHidReaders),
                       [&](const UsbId &id) { return id.vendorId == vendorId && id.productId == productId; });
}

bool passesArticleFilter(std::string_view entry) {
    const std::string_view head = entry.substr(0, 4);
    int number = 0;
    const auto [end, error] = std::from_chars(head.data(), head.data() + head.size(), number);
    // Like atoi: leading digits count, whatever follows them.
    if (error != std::errc() || end == head.data()) return false;
    return std::find(std::begin(kArticleNumbers), std::end(kArticleNumbers), number) !=
           std::end(kArticleNumbers);
}

}  // namespace orvex
