// Model of the data page of keyboard-wedge readers (CDatenRegisterkartePS2):
// UID or up to four blocks, representation and character count.
//
// Control names: repr0 repr1 repr2 repr3 (hidden "Leer") repr4, selUid
// selBlocks, charCount, block1 .. block4, infoBox info1 .. info4, readContent.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "params/data_format.h"
#include "params/page_model.h"

namespace orvex::app {

struct DataPagePs2Values {
    std::string charCount = "10";
    int representation = 0;
    std::array<std::string, 4> blocks{};
    int selection = 0;  // 0 UID, 1 blocks
};

class DataPagePs2 {
public:
    DataPagePs2Values &values() { return v_; }
    const DataPagePs2Values &values() const { return v_; }

    void clickSelection(int index) { v_.selection = index; }

    // Clears the block-error mark first; sets it when a block number is refused.
    Validation validate();
    bool hasBlockError() const { return blockError_; }

    void storeToRecord(DataFormatRecord &record) const;
    // The keyboard-wedge block as read with command 0x89. A block of 10 bytes
    // or fewer is ignored (false). Values that do not validate are replaced
    // by UID, 8 characters, representation 0 (false, failure tells why).
    bool loadFromBlock(std::span<const std::uint8_t> block, Validation *failure = nullptr);

    // Values of a configuration file (typeCode, selection, representation,
    // charCount); no validation.
    void loadFromFileRecord(const DataFormatRecord &record);

    ViewState view() const;

private:
    DataPagePs2Values v_;
    bool blockError_ = false;
};

}  // namespace orvex::app
