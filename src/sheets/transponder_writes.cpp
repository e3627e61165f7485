#include "sheets/transponder_writes.h"

#include "orvex/orvex.h"

namespace orvex::app {

bool writeTransponderKeys(int port, const DataFormatRecord &record) {
    const TransponderKeyData key = buildTransponderKeyData(record);
    switch (key.status) {
        case TransponderKeyData::Status::NothingToSend:
            return true;
        case TransponderKeyData::Status::NotHex:
            // The pages refuse such keys; one that gets here is not sent as garbage.
            return false;
        case TransponderKeyData::Status::Send:
            break;
    }
    if (key.data.size() < 2) return false;
    return Orvex_WriteKey(port, key.data[0], key.data.data() + 1, static_cast<int>(key.data.size() - 1)) == 0;
}

std::optional<bool> writeIsoOption(int port, const DataFormatRecord &record1, const DataFormatRecord &record2,
                                   std::uint8_t &flags) {
    const auto option = isoOptionToWrite(record1, record2);
    if (!option) return std::nullopt;
    flags = *option;
    return Orvex_WriteDataOption(port, *option) == 0;
}

}  // namespace orvex::app
