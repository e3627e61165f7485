#include "params/data_page_serial.h"

#include <cstdio>

#include "base/cp1252.h"
#include "params/page_text.h"

namespace orvex::app {

namespace {

constexpr std::array<Family, 4> kFamilies{Family::Iso15693, Family::Mifare, Family::ICode1, Family::Desfire};
constexpr std::array<const char *, 4> kFamilyControls{"famIso", "famMifare", "famIcode1", "famDesfire"};

// typeCode by family (rows) and selection index (columns).
constexpr int kTypeCodes[4][3] = {
    {0, 1, 8},  // ISO 15693
    {2, 3, 9},  // MIFARE
    {4, 5, 5},  // I-Code1
    {6, 7, 7},  // DESFire
};

struct TypeMeaning {
    Family family;
    int selection;
};
// Family and selection by typeCode 0-9; other codes read as ISO 15693 UID.
constexpr TypeMeaning kTypeMeanings[10] = {
    {Family::Iso15693, 0}, {Family::Iso15693, 1}, {Family::Mifare, 0},  {Family::Mifare, 1},
    {Family::ICode1, 0},   {Family::ICode1, 1},   {Family::Desfire, 0}, {Family::Desfire, 1},
    {Family::Iso15693, 2}, {Family::Mifare, 2},
};

// Info box when data is selected: title and five lines by family.
struct InfoTexts {
    int title;
    int lines[5];
};
constexpr InfoTexts kBlockInfo[4] = {
    {539, {565, 566, 567, 568, 569}},
    {539, {570, 571, 572, 573, 574}},
    {539, {581, 582, 583, 584, 585}},
    {589, {590, 591, 592, 593, 594}},
};
constexpr InfoTexts kDesfireUidInfo{534, {612, 613, 614, 615, 616}};

int idx(Family f) { return static_cast<int>(f); }

bool isHexDigit(char32_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// 1-based position of the first character that is no hexadecimal digit, 0 when all are.
int firstNonHex(const std::string &text) {
    std::size_t pos = 0;
    int n = 0;
    while (pos < text.size()) {
        ++n;
        auto cp = nextUtf8CodePoint(text, pos);
        if (!cp || !isHexDigit(*cp)) return n;
    }
    return 0;
}

// Hexadecimal value of the leading hex digits ("12AB" -> 0x12AB, "" -> 0).
unsigned long leadingHex(const std::string &text) {
    unsigned long v = 0;
    for (char c : text) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            break;
        v = (v << 4 | static_cast<unsigned long>(d)) & 0xFFFFFFFFUL;
    }
    return v;
}

std::string dec(long v) { return std::to_string(v); }

unsigned char firstCharByte(const std::string &utf8) {
    std::string cp = utf8ToCp1252(utf8);
    return cp.empty() ? 0 : static_cast<unsigned char>(cp[0]);
}

}  // namespace

DataPageSerialSwitches DataPageSerialSwitches::fromCapabilities(CapabilityFlags caps, unsigned versionDigit,
                                                                bool firstDataSet) {
    DataPageSerialSwitches s;
    s.isFirstDataSet = firstDataSet;
    s.mifare = hasCapability(caps, CAP_MIFARE);
    s.icode1 = hasCapability(caps, CAP_ICODE1);
    s.desfire = hasCapability(caps, CAP_DESFIRE);
    s.longDesfire = hasCapability(caps, CAP_EXTENDED);
    s.usedBytes = hasCapability(caps, CAP_USED_BYTES);
    s.bitReverse = hasCapability(caps, CAP_BIT_REVERSE);
    s.leftAlign = hasCapability(caps, CAP_LEFT_ALIGN);
    s.decimalNoZeros = hasCapability(caps, CAP_DECIMAL_NO_ZEROS);
    s.typeIds = hasCapability(caps, CAP_TWO_DATA_BLOCKS);
    s.asciiNoNul = hasCapability(caps, CAP_ASCII_NO_NUL);
    s.blockSequence = hasCapability(caps, CAP_BLOCK_SEQUENCE);
    s.isoOptions = hasCapability(caps, CAP_EXTENDED) && versionDigit >= 23;
    s.hidFunctionTest = hasCapability(caps, CAP_HID);
    return s;
}

bool familyOffered(const DataPageSerialSwitches &s, Family f) {
    switch (f) {
        case Family::Iso15693:
            return true;
        case Family::Mifare:
            return s.mifare;
        case Family::ICode1:
            return s.icode1;
        case Family::Desfire:
            return s.desfire;
        case Family::None:
            return false;
    }
    return false;
}

int typeCodeFor(Family f, int selection) {
    if (f == Family::None) return 0;
    int s = selection < 0 ? 0 : (selection > 2 ? 2 : selection);
    return kTypeCodes[idx(f)][s];
}

DataPageSerial::DataPageSerial(DataPageSerialSwitches switches) : switches_(switches) {
    applyFixedCapabilities();
    resetSnapshot();
}

void DataPageSerial::setSwitches(const DataPageSerialSwitches &s) {
    switches_ = s;
    refresh();
    resetSnapshot();
}

Family DataPageSerial::family() const {
    for (Family f : kFamilies)
        if (v_.families[idx(f)]) return f;
    return Family::None;
}

Family DataPageSerial::firstPageFamily() const { return firstPage_ ? firstPage_->family() : Family::None; }

int DataPageSerial::maxCharCount() const {
    if (family() == Family::Desfire) return switches_.longDesfire ? 250 : 64;
    return 32;
}

int DataPageSerial::maxUsedBytes() const { return family() == Family::Desfire ? 250 : 16; }

void DataPageSerial::applyFixedCapabilities() {
    if (!switches_.usedBytes) {
        v_.usedBytesFrom = "1";
        v_.byteReverse = false;
    }
    if (!switches_.bitReverse) v_.bitReverse = false;
    if (!switches_.leftAlign) v_.leftAlign = false;
    for (Family f : kFamilies)
        if (!familyOffered(switches_, f)) v_.families[idx(f)] = false;
}

void DataPageSerial::followFirstPage() {
    if (switches_.isFirstDataSet) return;
    Family used = firstPageFamily();
    if (used != Family::None) v_.families[idx(used)] = false;
}

void DataPageSerial::refresh() {
    applyFixedCapabilities();
    followFirstPage();
    if (switches_.isFirstDataSet && family() == Family::None)
        v_.families[idx(switches_.mifare ? Family::Mifare : Family::Iso15693)] = true;
    Family f = family();
    bool sequenceOffered = switches_.blockSequence && (f == Family::Iso15693 || f == Family::Mifare);
    if (v_.selection == 2 && !sequenceOffered) v_.selection = 1;
    if (v_.selection < 0 || v_.selection > 2) v_.selection = 0;
}

void DataPageSerial::clickFamily(Family f, bool checked) {
    if (f == Family::None) return;
    if (checked) {
        v_.families = {false, false, false, false};
        v_.families[idx(f)] = true;
    } else {
        v_.families[idx(f)] = false;
        if (switches_.isFirstDataSet) {
            Family replacement = Family::Iso15693;
            if (f == Family::Iso15693 && switches_.mifare) replacement = Family::Mifare;
            v_.families[idx(replacement)] = true;
        }
    }
    refresh();
}

void DataPageSerial::clickSelection(int index) {
    v_.selection = index;
    refresh();
}

Validation DataPageSerial::validate() {
    followFirstPage();
    const Family f = family();
    const bool uid = v_.selection == 0;

    // Integer edits: parse always, range only where the edit is shown.
    if (auto e = checkIntegerField("charCount", v_.charCount, 1, maxCharCount())) return e;
    const long maxUsed = maxUsedBytes();
    if (switches_.usedBytes) {
        if (auto e = checkIntegerField("usedBytesFrom", v_.usedBytesFrom, 1, maxUsed)) return e;
    } else if (!parseIntegerText(v_.usedBytesFrom)) {
        return ValidationFailure{MsgEnterInteger, {}, "usedBytesFrom", 0};
    }
    if (switches_.mifare) {
        if (auto e = checkIntegerField("usedBytesTo", v_.usedBytesTo, 1, maxUsed)) return e;
    } else if (!parseIntegerText(v_.usedBytesTo)) {
        return ValidationFailure{MsgEnterInteger, {}, "usedBytesTo", 0};
    }
    if (!parseIntegerText(v_.desfireKeyNumber))
        return ValidationFailure{MsgEnterInteger, {}, "desfireKeyNumber", 0};

    if (v_.selection == 1 && f != Family::Desfire) {
        bool allEmpty = true;
        for (const auto &b : v_.blocks) allEmpty = allEmpty && b.empty();
        if (allEmpty) return ValidationFailure{586, {}, "block1", 0};
        long maxBlock = -1;
        if (f == Family::Mifare || f == Family::Iso15693) maxBlock = 255;
        if (f == Family::ICode1) maxBlock = 15;
        if (maxBlock >= 0) {
            for (int i = 0; i < 4; ++i)
                if (leadingDecimal(v_.blocks[i]) > maxBlock)
                    return ValidationFailure{551, {}, "block" + std::to_string(i + 1), 0};
        }
    }
    if (v_.selection == 2) {
        if (v_.startBlock.empty() || leadingDecimal(v_.startBlock) > 254)
            return ValidationFailure{608, {}, "startBlock", 0};
        long len = leadingDecimal(v_.length);
        if (v_.length.empty() || len < 1 || len > 252) return ValidationFailure{609, {}, "length", 0};
    }
    if (f == Family::Desfire && !uid) {
        if (v_.appId.empty() || utf8Length(v_.appId) > 6 || firstNonHex(v_.appId) != 0)
            return ValidationFailure{597, {}, "appId", 0};
        if (v_.fileId.empty() || leadingDecimal(v_.fileId) > 31)
            return ValidationFailure{598, {}, "fileId", 0};
    }
    if (f == Family::Mifare && !uid && v_.keyActive && !v_.mifareKey.empty()) {
        if (utf8Length(v_.mifareKey) != 12) return ValidationFailure{562, {}, "mifareKey", 0};
        if (int pos = firstNonHex(v_.mifareKey)) return ValidationFailure{552, {}, "mifareKey", pos};
    }
    if (f == Family::Desfire && v_.keyActive) {
        if (int pos = firstNonHex(v_.desfireKey)) return ValidationFailure{552, {}, "desfireKey", pos};
    }
    return std::nullopt;
}

void DataPageSerial::storeToRecord(DataFormatRecord &r) const {
    const Family f = family();
    r.active = f != Family::None ? 1 : 0;
    r.typeCode = static_cast<std::uint8_t>(typeCodeFor(f, v_.selection));
    r.representation = static_cast<std::uint8_t>(v_.representation);
    r.charCount = static_cast<std::uint8_t>(parseIntegerText(v_.charCount).value_or(0));
    r.usedBytesTo = static_cast<std::uint8_t>(parseIntegerText(v_.usedBytesTo).value_or(0));
    r.usedBytesFrom = static_cast<std::uint8_t>(parseIntegerText(v_.usedBytesFrom).value_or(0));
    r.rotation = static_cast<std::uint8_t>((v_.byteReverse ? 1 : 0) | (v_.bitReverse ? 2 : 0) |
                                           (v_.leftAlign ? 4 : 0));
    r.typeIdBefore = switches_.typeIds ? firstCharByte(v_.typeIdBefore) : 0;
    r.typeIdAfter = switches_.typeIds ? firstCharByte(v_.typeIdAfter) : 0;
    r.keyActive = v_.keyActive ? 1 : 0;
    r.mifareKeyType = static_cast<std::uint8_t>(v_.mifareKeyType);
    r.mifareKey = v_.mifareKey;
    r.desfireKey = v_.desfireKey;
    r.desfireKeyType = static_cast<std::uint8_t>(v_.desfireKeyType + 2);
    r.desfireKeyNumber = static_cast<std::uint8_t>(parseIntegerText(v_.desfireKeyNumber).value_or(0));
    r.desfireMode = static_cast<std::uint8_t>(v_.desfireMode);
    r.isoRequestFlags = static_cast<std::uint8_t>((v_.highDataRate ? 2 : 0) | (v_.twoSubcarrier ? 1 : 0));

    std::vector<std::uint8_t> sel;
    auto lowByte = [](unsigned long v) { return static_cast<std::uint8_t>(v & 0xFF); };
    if (f == Family::Desfire) {
        unsigned long app = leadingHex(v_.appId);
        sel.push_back(lowByte(app));
        sel.push_back(lowByte(app >> 8));
        sel.push_back(lowByte(app >> 16));
        sel.push_back(lowByte(static_cast<unsigned long>(leadingDecimal(v_.fileId))));
    } else if (v_.selection == 2) {
        unsigned long start = static_cast<unsigned long>(leadingDecimal(v_.startBlock));
        sel.push_back(lowByte(start));
        sel.push_back(lowByte(start >> 8));
        sel.push_back(lowByte(static_cast<unsigned long>(leadingDecimal(v_.length))));
    } else {
        for (const auto &b : v_.blocks)
            if (!b.empty()) sel.push_back(lowByte(static_cast<unsigned long>(leadingDecimal(b))));
    }
    while (sel.size() < 5) sel.push_back(0xFF);
    r.selection = sel;
}

void DataPageSerial::loadFromRecord(const DataFormatRecord &r) {
    v_.representation = r.representation;
    v_.charCount = dec(r.charCount);
    v_.usedBytesTo = dec(r.usedBytesTo);
    v_.usedBytesFrom = dec(r.usedBytesFrom);
    v_.byteReverse = (r.rotation & 1) != 0;
    v_.bitReverse = (r.rotation & 2) != 0;
    v_.leftAlign = (r.rotation & 4) != 0;
    v_.typeIdBefore = r.typeIdBefore ? cp1252CharToUtf8(r.typeIdBefore) : std::string();
    v_.typeIdAfter = r.typeIdAfter ? cp1252CharToUtf8(r.typeIdAfter) : std::string();

    TypeMeaning m = r.typeCode < 10 ? kTypeMeanings[r.typeCode] : kTypeMeanings[0];
    v_.families = {false, false, false, false};
    v_.families[idx(m.family)] = r.active != 0;
    v_.selection = m.selection;

    v_.highDataRate = (r.isoRequestFlags & 2) != 0;
    v_.twoSubcarrier = (r.isoRequestFlags & 1) != 0;
    v_.keyActive = r.keyActive != 0;
    v_.mifareKeyType = r.mifareKeyType;
    v_.mifareKey = r.mifareKey;
    v_.desfireKey = r.desfireKey;
    v_.desfireKeyNumber = dec(r.desfireKeyNumber);
    v_.desfireMode = r.desfireMode;
    int dk = static_cast<int>(r.desfireKeyType) - 2;
    v_.desfireKeyType = dk < 0 ? 0 : (dk > 1 ? 1 : dk);

    auto entry = [&](std::size_t i) -> unsigned { return i < r.selection.size() ? r.selection[i] : 0xFF; };
    v_.blocks = {};
    v_.appId.clear();
    v_.fileId.clear();
    v_.startBlock.clear();
    v_.length.clear();
    if (m.family == Family::Desfire) {
        if (!(entry(0) == 0xFF && entry(1) == 0xFF && entry(2) == 0xFF)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "%02X%02X%02X", entry(2), entry(1), entry(0));
            v_.appId = buf;
        }
        if (entry(3) < 32) v_.fileId = dec(entry(3));
    } else if (m.selection == 2) {
        if (!(entry(0) == 0xFF && entry(1) == 0xFF)) v_.startBlock = dec(entry(0) + 256 * entry(1));
        if (entry(2) != 0 && entry(2) != 0xFF) v_.length = dec(entry(2));
    } else {
        for (std::size_t i = 0; i < 4; ++i)
            if (entry(i) != 0xFF) v_.blocks[i] = dec(entry(i));
    }
    refresh();
}

bool DataPageSerial::isModified() const {
    DataPageSerial probe = *this;
    if (probe.validate()) return false;
    return parseIntegerText(v_.charCount).value_or(0) != snapshot_.charCount ||
           parseIntegerText(v_.usedBytesTo).value_or(0) != snapshot_.usedBytesTo ||
           v_.representation != snapshot_.representation;
}

void DataPageSerial::resetSnapshot() {
    snapshot_.charCount = parseIntegerText(v_.charCount).value_or(0);
    snapshot_.usedBytesTo = parseIntegerText(v_.usedBytesTo).value_or(0);
    snapshot_.representation = v_.representation;
}

ViewState DataPageSerial::view() const {
    ViewState view;
    const Family f = family();
    const bool uid = v_.selection == 0;
    const auto &s = switches_;

    // Representation radios.
    for (int i = 0; i < 6; ++i) view["repr" + std::to_string(i)].checked = v_.representation == i;
    view["repr3"].shown = s.decimalNoZeros;
    view["repr5"].shown = s.asciiNoNul;

    // Families.
    const Family used = s.isFirstDataSet ? Family::None : firstPageFamily();
    for (Family fam : kFamilies) {
        ControlState &c = view[kFamilyControls[idx(fam)]];
        c.shown = familyOffered(s, fam);
        c.checked = v_.families[idx(fam)];
        c.enabled = fam != used;
    }

    // Selection radios.
    const bool sequenceOffered = s.blockSequence && (f == Family::Iso15693 || f == Family::Mifare);
    view["selUid"].checked = v_.selection == 0;
    ControlState &single = view["selSingle"];
    single.checked = v_.selection == 1;
    if (f == Family::Desfire)
        single.caption = pageString(589);
    else if (f != Family::None)
        single.caption = pageString(539);
    ControlState &sequence = view["selSequence"];
    sequence.shown = sequenceOffered;
    sequence.checked = v_.selection == 2;

    // Selection controls.
    const bool desfire = f == Family::Desfire;
    const bool seq = !desfire && v_.selection == 2 && sequenceOffered;
    const bool blocksShown = !desfire && !seq;
    for (int i = 1; i <= 4; ++i) {
        ControlState &b = view["block" + std::to_string(i)];
        b.shown = blocksShown;
        b.enabled = !uid;
        b.maxLength = 3;
    }
    for (const char *name : {"appIdLabel", "appId", "fileIdLabel", "fileId", "modeLabel", "desfireMode"}) {
        view[name].shown = desfire;
        view[name].enabled = !uid;
    }
    view["appIdLabel"].enabled = view["appId"].enabled = desfire;
    view["appId"].maxLength = 6;
    for (const char *name : {"startBlockLabel", "startBlock", "lengthLabel", "length"}) {
        view[name].shown = seq;
        view[name].enabled = !uid;
    }

    // "?" block selection: MIFARE only, enabled for single blocks.
    ControlState &pick = view["blockSelect"];
    pick.shown = blocksShown && f == Family::Mifare;
    pick.enabled = f == Family::Mifare && v_.selection == 1;

    // Character count and used bytes.
    const int maxCount = maxCharCount(), maxUsed = maxUsedBytes();
    view["charCount"].maxLength = maxCount >= 100 ? 3 : 2;
    view["usedBytesLabel"].shown = s.mifare;
    view["usedBytesTo"].shown = s.mifare;
    view["usedBytesTo"].maxLength = maxUsed >= 100 ? 3 : 2;
    view["usedBytesFrom"].shown = s.usedBytes;
    view["usedBytesFrom"].maxLength = maxUsed >= 100 ? 3 : 2;
    view["usedBytesDash"].shown = s.usedBytes;
    view["byteReverse"].shown = s.usedBytes;
    view["byteReverse"].checked = v_.byteReverse;
    view["bitReverse"].shown = s.bitReverse;
    view["bitReverse"].checked = v_.bitReverse;
    view["leftAlign"].shown = s.leftAlign;
    view["leftAlign"].checked = v_.leftAlign;
    for (const char *name : {"typeIdBeforeLabel", "typeIdBefore", "typeIdAfterLabel", "typeIdAfter"})
        view[name].shown = s.typeIds;
    view["typeIdBefore"].maxLength = view["typeIdAfter"].maxLength = 1;

    // Key group.
    const bool keyFamily = f == Family::Mifare || f == Family::Desfire;
    const bool groupShown = keyFamily || (f == Family::Iso15693 && s.isoOptions);
    const bool groupEnabled = (keyFamily && !uid) || desfire;
    const bool keysEnabled = groupEnabled && v_.keyActive;
    view["keyGroup"].shown = groupShown;
    view["keyGroup"].enabled = groupEnabled;
    ControlState &keyBox = view["keyActive"];
    keyBox.shown = groupShown && keyFamily;
    keyBox.enabled = groupEnabled;
    keyBox.checked = v_.keyActive;
    keyBox.caption =
        desfire ? pageText("data.desfireKey", "DESFire® Key") : pageText("data.mifareKey", "MIFARE® Key");
    for (const char *name : {"mifareKeyLabel", "mifareKey", "mifareKeyTypeLabel", "mifareKeyType"}) {
        view[name].shown = groupShown && f == Family::Mifare;
        view[name].enabled = keysEnabled;
    }
    for (const char *name :
         {"desfireKeyTypeLabel", "desfireKeyType", "desfireKeyLabel", "desfireKeyNumber", "desfireKey"}) {
        view[name].shown = groupShown && desfire;
        view[name].enabled = keysEnabled;
    }
    view["mifareKey"].maxLength = 12;
    view["desfireKey"].maxLength = 32;
    for (const char *name : {"highDataRate", "twoSubcarrier"}) {
        view[name].shown = groupShown && f == Family::Iso15693;
        view[name].enabled = true;
    }
    view["highDataRate"].checked = v_.highDataRate;
    view["twoSubcarrier"].checked = v_.twoSubcarrier;

    // Info box.
    ControlState &box = view["infoBox"];
    std::array<std::string, 5> lines{};
    if (!uid && f == Family::None) {
        box.caption = "---";
    } else if (!uid) {
        const InfoTexts &t = kBlockInfo[idx(f)];
        box.caption = pageString(t.title);
        for (int i = 0; i < 5; ++i) lines[i] = pageString(t.lines[i]);
    } else if (desfire) {
        box.caption = pageString(kDesfireUidInfo.title);
        for (int i = 0; i < 5; ++i) lines[i] = pageString(kDesfireUidInfo.lines[i]);
    } else {
        box.caption = pageString(534);
        lines[0] = pageString(535);
    }
    for (int i = 0; i < 5; ++i) view["info" + std::to_string(i + 1)].caption = lines[i];

    view["functionTest"];
    view["readContent"];
    return view;
}

}  // namespace orvex::app
