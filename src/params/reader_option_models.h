// Reader commands of the small settings dialogs and the logic of those
// dialogs: power-on mode ("Einschaltkonfiguration"), DTR dependence, transmit
// power ("Sendeleistung") and the MIFARE block numbering of "Block Auswahl".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/prompts.h"

namespace orvex::app {

// Power-on mode (command 0xF4 without data): the answer byte without bit 7
// when exactly one byte with bit 7 set came back, else -1.
int readPowerOnMode(int port);
// Only 0, 1 and 3 are sent (as value | 0x80); others return false unsent.
bool writePowerOnMode(int port, int value);
// DTR mode (command 0xFE): 0 not supported, 1 off, 2 on.
int readDtrMode(int port);
bool writeDtrMode(int port, bool on);

// Power-on radio: index 0 "Programmiermodus", 1 "Lesermodus", 2 "Lesermodus
// ohne Ausgabe" <-> values 0, 1, 3. A value with bit 1 set shows index 2.
int powerOnIndexFromValue(int value);
int powerOnValueFromIndex(int index);  // -1 for an index outside 0-2

// PowerOnModel: the power-on mode dialog.
class PowerOnModel {
public:
    PowerOnModel(int port, bool silentReaderModeOffered, Prompts &prompts);

    // When shown: reads the mode; message 519, no radio and false when unreadable.
    bool show();
    // "Setzen" with the radio index (-1 none). True when the dialog ends with
    // OK; false keeps it open (message 510 after a refused write; with no
    // radio selected nothing is sent).
    bool set(int index);

    int selectedIndex() const { return index_; }
    bool silentOptionEnabled() const { return silentOffered_; }

private:
    int port_;
    bool silentOffered_;
    Prompts &prompts_;
    int index_ = -1;
};

// Transmit power of the two RF modes: false = full, true = half.
struct TxPower {
    bool iso15693Half = false;
    bool iso14443Half = false;
    bool operator==(const TxPower &) const = default;
};
// Answer of command 0xFA: 2 or 3 bytes with bit 0 of byte 0 set.
std::optional<TxPower> decodeTxPower(const unsigned char *answer, int length);
// Data of command 0xF9: 03, (14443 half ? 2 : 0) + (15693 half ? 1 : 0), 80.
void encodeTxPower(const TxPower &power, unsigned char out[3]);
std::optional<TxPower> readTxPower(int port);
bool writeTxPower(int port, const TxPower &power);

// TxPowerModel: the transmit power dialog.
class TxPowerModel {
public:
    TxPowerModel(int port, Prompts &prompts);

    // When shown: reads; message 10136, full power in both and false when unreadable.
    bool show();
    // "Setzen": 10137 and true (dialog ends with OK), or 10138 and false.
    bool set(const TxPower &power);

    const TxPower &power() const { return power_; }

private:
    int port_;
    Prompts &prompts_;
    TxPower power_;
};

// MIFARE Classic numbering: sectors 0-31 with 4 blocks (0-127), sectors
// 32-39 with 16 blocks (128-255). Empty texts where out of range.
struct SectorBlock {
    std::string sector;
    std::string block;
};
SectorBlock absoluteToSectorBlock(std::string_view absolute);
// The last block of a sector (the trailer) cannot be chosen this way.
std::string sectorBlockToAbsolute(std::string_view sector, std::string_view block);

}  // namespace orvex::app
