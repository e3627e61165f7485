// USB identifiers of the maker's readers and the article numbers of the USB
// reader list: one table each, the same as resources/reader_usb_ids.txt.
#pragma once

#include <span>
#include <string_view>

namespace orvex {

struct UsbId {
    int vendorId;
    int productId;
};

// Devices that are readers in USB keyboard (HID) mode.
std::span<const UsbId> hidReaderIds();
bool isHidReader(int vendorId, int productId);

// FTDI-based readers (their serial line is an ftdi_sio tty).
inline constexpr UsbId kFtdiReaderId{0x0403, 0x6001};

// The USB reader list keeps an entry only when its first four characters
// (the whole entry when shorter) read as one of the maker's article numbers.
bool passesArticleFilter(std::string_view entry);

}  // namespace orvex
