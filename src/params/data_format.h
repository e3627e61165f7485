// One data set of a reader's output format (DataFormatRecord), its 16-byte
// wire image and the data-format block read with command 0x89 and written
// with command 0x81, the key data of command 0x80 and the ISO 15693 option
// byte of command 0x24. Plain data; the reader exchanges are the sheets'.
#pragma once

#include "base/capabilities.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvex::app {

// Transponder family and data selection (wire byte 1, bits 0-4).
enum TypeCode : std::uint8_t {
    kIso15693Uid = 0,
    kIso15693Blocks = 1,
    kMifareUid = 2,
    kMifareBlocks = 3,
    kICode1Uid = 4,
    kICode1Blocks = 5,
    kDesfireUid = 6,
    kDesfireFile = 7,
    kIso15693Sequence = 8,
    kMifareSequence = 9,
};

// Bits of DataFormatRecord::rotation.
enum RotationBits : std::uint8_t {
    kReverseBytes = 0x1,  // "Byteweise drehen", wire bit 7
    kReverseBits = 0x2,   // "Bitweise drehen", wire bit 6
    kLeftAlign = 0x4,     // "Linksbündig", wire bit 5
};

// Representation codes ("Darstellung der Daten").
enum Representation : std::uint8_t {
    kHexUpper = 0,
    kDecimal = 1,
    kAscii = 2,
    kDecimalNoZeros = 3,
    kHexLower = 4,
    kAsciiNoNul = 5,
};

inline constexpr std::uint8_t kNoSelection = 0xFF;

struct DataFormatRecord {
    std::uint8_t active = 0;  // 1: a transponder family is selected
    std::uint8_t typeCode = 0;
    // Block numbers, start block + length, or application + file ID; normally
    // five entries, unused ones 0xFF. Only the first four reach the reader.
    std::vector<std::uint8_t> selection;
    std::uint8_t representation = 0;
    std::uint8_t charCount = 10;
    std::uint8_t usedBytesTo = 5;    // counted from 1
    std::uint8_t usedBytesFrom = 1;  // counted from 1
    std::uint8_t rotation = 0;       // RotationBits
    std::uint8_t typeIdBefore = 0;   // Windows-1252 character, 0 = none
    std::uint8_t typeIdAfter = 0;
    std::uint8_t keyActive = 0;
    std::uint8_t mifareKeyType = 0;   // 0 "Key A", 1 "Key B"
    std::string mifareKey;            // 12 hexadecimal digits or empty
    std::uint8_t desfireMode = 0;     // 0 open, 1 authenticated, 2 MAC, 3 encrypted
    std::uint8_t desfireKeyType = 1;  // 2 3DES, 3 AES (below 2: 3DES, above 3: AES)
    std::string desfireKey;           // up to 32 hexadecimal digits
    std::uint8_t desfireKeyNumber = 0;
    std::uint8_t isoRequestFlags = 3;  // bit 1 high data rate, bit 0 two subcarriers

    bool operator==(const DataFormatRecord &) const = default;
};

// Selection entry i (0-based), 0xFF beyond the list.
std::uint8_t selectionEntry(const DataFormatRecord &record, std::size_t index);

// Selection lists, filled with 0xFF to five entries.
std::vector<std::uint8_t> blockSelection(std::span<const std::uint8_t> blocks);
std::vector<std::uint8_t> sequenceSelection(std::uint16_t startBlock, std::uint8_t length);
std::vector<std::uint8_t> applicationSelection(std::uint32_t applicationId, std::uint8_t fileId);

using DataFormatImage = std::array<std::uint8_t, 16>;

DataFormatImage encodeDataFormat(const DataFormatRecord &record);

// The block written with command 0x81: with CAP_TWO_DATA_BLOCKS 16 bytes, or
// 40 when set 2 is active (image 2 at offset 20); otherwise the first 12
// bytes of image 1, 13 with CAP_USED_BYTES.
std::vector<std::uint8_t> buildDataFormatBlock(const DataFormatRecord &set1, const DataFormatRecord &set2,
                                               CapabilityFlags flags);

enum class ParseResult {
    Complete,  // 16 bytes or more: every field from the image
    Partial,   // 9-15 bytes: fields beyond the reply got their defaults
    TooShort,  // under 9 bytes: not a data-format image, record unchanged
};

// Fills the block fields of record from a wire image (bytes beyond 16 are not
// looked at); keys and isoRequestFlags keep their values.
ParseResult parseDataFormat(std::span<const std::uint8_t> bytes, DataFormatRecord &record);

// Offset of the second data set in a block of 40 bytes or more.
inline constexpr std::size_t kSecondDataSetOffset = 20;
inline constexpr std::size_t kTwoDataSetsBlockSize = 40;

// Both data sets of a block read with command 0x89. Returns the number of
// sets filled (0 when the block is too short for set 1).
int parseDataFormatBlock(std::span<const std::uint8_t> block, DataFormatRecord &set1, DataFormatRecord &set2);

// Data of command 0x80 for the record's MIFARE or DESFire key.
struct TransponderKeyData {
    enum class Status {
        NothingToSend,  // no key of this family in use, or a MIFARE key not 12 long
        Send,           // data holds the command data
        NotHex,         // the key holds a character that is no hexadecimal digit
    };
    Status status = Status::NothingToSend;
    std::vector<std::uint8_t> data;
};
TransponderKeyData buildTransponderKeyData(const DataFormatRecord &record);

// The ISO 15693 option byte that programming sends with command 0x24 after
// the data-format block, or nullopt when neither set is ISO 15693 UID or
// single blocks.
std::optional<std::uint8_t> isoOptionToWrite(const DataFormatRecord &set1, const DataFormatRecord &set2);

}  // namespace orvex::app
