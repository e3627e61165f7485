#include "params/data_page_ps2.h"

#include "params/page_text.h"

namespace orvex::app {

Validation DataPagePs2::validate() {
    blockError_ = false;
    if (auto e = checkIntegerField("charCount", v_.charCount, 1, 13)) return e;
    if (v_.selection == 0) return std::nullopt;
    bool ok = v_.selection == 1;
    for (const auto &b : v_.blocks)
        if (leadingDecimal(b) > 63) ok = false;
    if (!ok) {
        blockError_ = true;
        return ValidationFailure{551, {}, "block1", 0};
    }
    return std::nullopt;
}

void DataPagePs2::storeToRecord(DataFormatRecord &r) const {
    r.typeCode = static_cast<std::uint8_t>(v_.selection);
    r.representation = static_cast<std::uint8_t>(v_.representation);
    r.charCount = static_cast<std::uint8_t>(parseIntegerText(v_.charCount).value_or(0));
    std::vector<std::uint8_t> sel;
    for (const auto &b : v_.blocks)
        if (!b.empty()) sel.push_back(static_cast<std::uint8_t>(leadingDecimal(b) & 0xFF));
    while (sel.size() < 5) sel.push_back(0xFF);
    r.selection = sel;
}

bool DataPagePs2::loadFromBlock(std::span<const std::uint8_t> b, Validation *failure) {
    if (b.size() <= 10) return false;
    v_.selection = b[1];
    v_.blocks = {};
    for (std::size_t i = 0; i < 4; ++i) {
        if (b[2 + i] == 0xFF) break;
        v_.blocks[i] = std::to_string(b[2 + i]);
    }
    v_.representation = b[7];
    v_.charCount = std::to_string(b[8]);
    if (auto e = validate()) {
        if (failure) *failure = e;
        v_.selection = 0;
        v_.charCount = "8";
        v_.representation = 0;
        return false;
    }
    return true;
}

void DataPagePs2::loadFromFileRecord(const DataFormatRecord &r) {
    v_.selection = r.typeCode;
    v_.representation = r.representation;
    v_.charCount = std::to_string(r.charCount);
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint8_t reg = selectionEntry(r, i);
        v_.blocks[i] = reg == kNoSelection ? std::string() : std::to_string(reg);
    }
}

ViewState DataPagePs2::view() const {
    ViewState view;
    for (int i = 0; i < 5; ++i) view["repr" + std::to_string(i)].checked = v_.representation == i;
    view["repr3"].shown = false;
    view["selUid"].checked = v_.selection == 0;
    view["selBlocks"].checked = v_.selection == 1;
    view["charCount"].maxLength = 2;
    const bool blocks = v_.selection != 0;
    for (int i = 1; i <= 4; ++i) {
        ControlState &c = view["block" + std::to_string(i)];
        c.enabled = blocks;
        c.maxLength = 2;
    }
    view["infoBox"].caption = pageString(blocks ? 539 : 534);
    // The reader's block range; the text of string 550 ("Suchen") says nothing about it.
    view["info1"].caption =
        blocks ? pageText("data.wedgeBlockRange", "Blockbereich: 0 - 63") : pageString(535);
    for (int i = 2; i <= 4; ++i) view["info" + std::to_string(i)].caption = "";
    view["readContent"];
    return view;
}

}  // namespace orvex::app
