// The readers the simulated dongle finds: name, radio address and behaviour,
// given on the command line as NAME[,option...].
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace orvex::sim::dongle {

using RadioAddress = std::array<std::uint8_t, 6>;

inline constexpr std::uint32_t kReaderDeviceClass = 0x000500;

struct RadioReaderSetup {
    std::string name;
    RadioAddress address{};                    // in the order the dongle reports it
    std::optional<std::string> versionAnswer;  // the reader behind the link; default a Bluetooth type
    std::uint32_t deviceClass = kReaderDeviceClass;
    int dropAfterMs = 0;  // drops its link this long after each set-up (0 = never)
    // Drops its link after every Nth answer without a word; the dongle tells
    // the host only when its next request comes (refused, then released). 0 = never.
    int dropEveryAnswers = 0;
    bool silentName = false;  // never answers the name request (the dongle reports a page timeout)
};

// "NAME[,address=HEX12][,version=XXXX][,class=HEX][,drop=MS][,drop-every=N][,silent-name]". The reader's
// index gives its default address. Error text in `error` when the text is not valid.
std::optional<RadioReaderSetup> parseRadioReader(const std::string &text, int index, std::string &error);

// Address as 12 hex digits, first reported byte first.
std::string addressText(const RadioAddress &address);

}  // namespace orvex::sim::dongle
