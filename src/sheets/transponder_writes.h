// Writes of a data set that travel beside the data-format block: the
// transponder keys (command 0x80) and the ISO 15693 option byte (0x24).
#pragma once

#include <cstdint>
#include <optional>

#include "params/data_format.h"

namespace orvex::app {

// The MIFARE or DESFire key of the record, when it has one to send. False
// only when the reader refused a key that was sent.
bool writeTransponderKeys(int port, const DataFormatRecord &record);

// The request flags of the first record with ISO 15693 UID or single blocks
// (record 1, else record 2). Nothing when neither record has such a family;
// else whether the reader took the option (flags: what was sent).
std::optional<bool> writeIsoOption(int port, const DataFormatRecord &record1, const DataFormatRecord &record2,
                                   std::uint8_t &flags);

}  // namespace orvex::app
