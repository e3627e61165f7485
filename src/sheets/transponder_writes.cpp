#include "sheets/transponder_writes.h"

#include "orvex/orvex.h"

namespace orvex::app {

bool WriteTransponderKeys(int port, const DataFormatRecord &record) {
    const TransponderKeyData key = BuildTransponderKeyData(record);
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

void WriteIsoOption(int port, const DataFormatRecord &record1, const DataFormatRecord &record2) {
    if (auto flags = IsoOptionToWrite(record1, record2)) Orvex_WriteDataOption(port, *flags);
}

}  // namespace orvex::app
