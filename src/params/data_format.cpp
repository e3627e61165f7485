#include "params/data_format.h"

#include "base/cp1252.h"

#include <algorithm>

namespace orvex::app {
namespace {

constexpr std::size_t kSelectionLength = 5;
constexpr std::size_t kMinimumImage = 9;  // bytes 1-8 are read unconditionally
constexpr std::uint8_t kKeyCommandMifareLength = 12;
constexpr std::size_t kDesfireKeyBytes = 16;

// rotation bit -> wire byte 1 bit
constexpr std::array<std::pair<std::uint8_t, std::uint8_t>, 3> kRotationWireBits{{
    {kReverseBytes, 0x80},
    {kReverseBits, 0x40},
    {kLeftAlign, 0x20},
}};

std::vector<std::uint8_t> padded(std::vector<std::uint8_t> entries) {
    while (entries.size() < kSelectionLength) entries.push_back(kNoSelection);
    return entries;
}

std::optional<std::uint8_t> hexDigit(char32_t c) {
    if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
    return std::nullopt;
}

// The key's digits as nibbles; nullopt when one is not hexadecimal.
std::optional<std::vector<std::uint8_t>> hexNibbles(const std::string &key) {
    std::vector<std::uint8_t> nibbles;
    std::size_t pos = 0;
    while (pos < key.size()) {
        const auto cp = nextUtf8CodePoint(key, pos);
        const auto digit = cp ? hexDigit(*cp) : std::nullopt;
        if (!digit) return std::nullopt;
        nibbles.push_back(*digit);
    }
    return nibbles;
}

bool isIsoUidOrBlocks(const DataFormatRecord &r) {
    return r.typeCode == kIso15693Uid || r.typeCode == kIso15693Blocks;
}

}  // namespace

std::uint8_t selectionEntry(const DataFormatRecord &record, std::size_t index) {
    return index < record.selection.size() ? record.selection[index] : kNoSelection;
}

std::vector<std::uint8_t> blockSelection(std::span<const std::uint8_t> blocks) {
    return padded({blocks.begin(), blocks.end()});
}

std::vector<std::uint8_t> sequenceSelection(std::uint16_t startBlock, std::uint8_t length) {
    return padded(
        {static_cast<std::uint8_t>(startBlock & 0xFF), static_cast<std::uint8_t>(startBlock >> 8), length});
}

std::vector<std::uint8_t> applicationSelection(std::uint32_t applicationId, std::uint8_t fileId) {
    return padded({static_cast<std::uint8_t>(applicationId & 0xFF),
                   static_cast<std::uint8_t>((applicationId >> 8) & 0xFF),
                   static_cast<std::uint8_t>((applicationId >> 16) & 0xFF), fileId});
}

DataFormatImage encodeDataFormat(const DataFormatRecord &r) {
    DataFormatImage image{};
    std::uint8_t typeByte = r.typeCode & 0x1F;
    for (const auto &[bit, wire] : kRotationWireBits)
        if (r.rotation & bit) typeByte |= wire;
    image[1] = typeByte;
    for (std::size_t i = 0; i < 4; ++i) image[2 + i] = selectionEntry(r, i);
    image[6] = 0xFF;
    image[7] = r.representation;
    image[8] = r.charCount;
    image[11] = r.usedBytesTo;
    image[12] = r.usedBytesFrom;
    image[13] = r.typeIdBefore;
    image[14] = r.typeIdAfter;
    image[15] = r.desfireMode;
    return image;
}

std::vector<std::uint8_t> buildDataFormatBlock(const DataFormatRecord &set1, const DataFormatRecord &set2,
                                               CapabilityFlags flags) {
    const DataFormatImage image1 = encodeDataFormat(set1);
    if (!hasCapability(flags, CAP_TWO_DATA_BLOCKS)) {
        const std::size_t length = hasCapability(flags, CAP_USED_BYTES) ? 13 : 12;
        return {image1.begin(), image1.begin() + static_cast<std::ptrdiff_t>(length)};
    }
    std::vector<std::uint8_t> block(image1.begin(), image1.end());
    if (set2.active == 1) {
        block.resize(kTwoDataSetsBlockSize, 0);
        const DataFormatImage image2 = encodeDataFormat(set2);
        std::copy(image2.begin(), image2.end(), block.begin() + kSecondDataSetOffset);
    }
    return block;
}

ParseResult parseDataFormat(std::span<const std::uint8_t> q, DataFormatRecord &r) {
    if (q.size() < kMinimumImage) return ParseResult::TooShort;
    const auto byteOr = [&](std::size_t at, std::uint8_t fallback) {
        return at < q.size() ? q[at] : fallback;
    };
    r.typeCode = q[1] & 0x1F;
    r.rotation = 0;
    for (const auto &[bit, wire] : kRotationWireBits)
        if (q[1] & wire) r.rotation |= bit;
    r.selection = {q[2], q[3], q[4], q[5], kNoSelection};
    r.representation = q[7];
    r.charCount = q[8];
    r.usedBytesTo = byteOr(11, 5);
    r.usedBytesFrom = byteOr(12, 1);
    r.typeIdBefore = byteOr(13, 0);
    r.typeIdAfter = byteOr(14, 0);
    r.desfireMode = byteOr(15, 0);
    r.active = 1;
    return q.size() >= 16 ? ParseResult::Complete : ParseResult::Partial;
}

int parseDataFormatBlock(std::span<const std::uint8_t> block, DataFormatRecord &set1,
                         DataFormatRecord &set2) {
    if (parseDataFormat(block, set1) == ParseResult::TooShort) return 0;
    if (block.size() < kTwoDataSetsBlockSize) return 1;
    parseDataFormat(block.subspan(kSecondDataSetOffset), set2);
    return 2;
}

TransponderKeyData buildTransponderKeyData(const DataFormatRecord &r) {
    TransponderKeyData result;
    if (r.keyActive != 1) return result;
    if (r.typeCode == kMifareBlocks || r.typeCode == kMifareSequence) {
        if (utf8Length(r.mifareKey) != kKeyCommandMifareLength) return result;
        const auto nibbles = hexNibbles(r.mifareKey);
        if (!nibbles) {
            result.status = TransponderKeyData::Status::NotHex;
            return result;
        }
        result.data.push_back(r.mifareKeyType);
        for (std::size_t i = 0; i + 1 < nibbles->size(); i += 2)
            result.data.push_back(static_cast<std::uint8_t>((*nibbles)[i] << 4 | (*nibbles)[i + 1]));
        result.status = TransponderKeyData::Status::Send;
    } else if (r.typeCode == kDesfireUid || r.typeCode == kDesfireFile) {
        if (r.desfireKey.empty()) return result;
        const auto nibbles = hexNibbles(r.desfireKey);
        if (!nibbles) {
            result.status = TransponderKeyData::Status::NotHex;
            return result;
        }
        result.data.assign(1 + kDesfireKeyBytes, 0);
        // A key type above 3 means AES (3); sent as it is, it would spill into
        // the key number nibble.
        const std::uint8_t keyType = std::min<std::uint8_t>(r.desfireKeyType, 3);
        result.data[0] = static_cast<std::uint8_t>((r.desfireKeyNumber & 0x0F) * 16 + keyType);
        // Digits beyond 32 have no byte to go to.
        for (std::size_t i = 0; i < std::min(nibbles->size(), 2 * kDesfireKeyBytes); ++i)
            result.data[1 + i / 2] |=
                static_cast<std::uint8_t>(i % 2 == 0 ? (*nibbles)[i] << 4 : (*nibbles)[i]);
        result.status = TransponderKeyData::Status::Send;
    }
    return result;
}

std::optional<std::uint8_t> isoOptionToWrite(const DataFormatRecord &set1, const DataFormatRecord &set2) {
    if (isIsoUidOrBlocks(set1)) return set1.isoRequestFlags;
    if (isIsoUidOrBlocks(set2)) return set2.isoRequestFlags;
    return std::nullopt;
}

}  // namespace orvex::app
