#include "params/data_format_file.h"

#include "base/cp1252.h"

#include <algorithm>
#include <span>
#include <string>

namespace orvex::app {
namespace {

// One integer key: section, names for sets 1 and 2, the record field, default.
struct IntKey {
    const char *section;
    const char *name1;
    const char *name2;
    std::uint8_t DataFormatRecord::*field;
    int fallback;
};

// File order. "GueltigeBytes" (default depends on "Darstellung") and the
// registers and key texts are handled beside the table.
constexpr IntKey kLeadingKeys[] = {
    {"Data", "TransponderTyp", "TransponderTyp2", &DataFormatRecord::typeCode, 0},
    {"Data", "Aktiv1", "Aktiv2", &DataFormatRecord::active, 1},
    {"Data", "Darstellung", "Darstellung2", &DataFormatRecord::representation, 1},
    {"Data", "ZeichenAnzahl", "ZeichenAnzahl2", &DataFormatRecord::charCount, 10},
};
constexpr IntKey kUsedBytesTo = {"Data", "GueltigeBytes", "GueltigeBytes2", &DataFormatRecord::usedBytesTo,
                                 5};
constexpr IntKey kMiddleKeys[] = {
    {"Data", "GueltigeBytesAb", "GueltigeBytesAb2", &DataFormatRecord::usedBytesFrom, 1},
    {"Data", "KennungLinks1", "KennungLinks2", &DataFormatRecord::typeIdBefore, 0},
    {"Data", "KennungRechts1", "KennungRechts2", &DataFormatRecord::typeIdAfter, 0},
    {"Data", "Drehen", "Drehen2", &DataFormatRecord::rotation, 0},
};
constexpr const char *kRegisters1[] = {"Register1", "Register2", "Register3", "Register4"};
constexpr const char *kRegisters2[] = {"Register21", "Register22", "Register23", "Register24"};
constexpr IntKey kMifareActive = {"Mifare", "PasswortAktiv", "PasswortAktiv2", &DataFormatRecord::keyActive,
                                  0};
constexpr IntKey kMifareType = {"Mifare", "KeyType", "KeyType2", &DataFormatRecord::mifareKeyType, 0};
constexpr IntKey kDesfireNumber = {"Desfire", "KeyNr", "KeyNr2", &DataFormatRecord::desfireKeyNumber, 0};
constexpr IntKey kTrailingKeys[] = {
    {"Desfire", "Mode", "Mode2", &DataFormatRecord::desfireMode, 0},
    {"Desfire", "KeyType", "KeyType2", &DataFormatRecord::desfireKeyType, 1},
    {"ISO", "RequestFlag", "RequestFlag2", &DataFormatRecord::isoRequestFlags, 3},
};

const char *name(const IntKey &key, int set) { return set == 2 ? key.name2 : key.name1; }

std::uint8_t lowByte(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

void read(const IniFile &file, int set, const IntKey &key, DataFormatRecord &r, int fallback) {
    r.*key.field = lowByte(file.getInt(key.section, name(key, set), fallback));
}

void write(IniFile &file, int set, const IntKey &key, const DataFormatRecord &r) {
    file.writeInt(key.section, name(key, set), r.*key.field);
}

std::string readText(const IniFile &file, const char *section, const std::string &key) {
    return cp1252ToUtf8(file.getString(section, key, ""));
}

}  // namespace

DataFormatRecord readDataSetFromFile(const IniFile &file, int set) {
    DataFormatRecord r;
    const std::string suffix = set == 2 ? "2" : "";
    for (const IntKey &key : kLeadingKeys) read(file, set, key, r, key.fallback);
    // Clamping works on the value as stored, before it is cut to a byte.
    const int toDefault = r.representation == kDecimal ? 5 : 6;
    const int limit = r.typeCode < kDesfireUid ? 16 : 250;
    r.usedBytesTo = static_cast<std::uint8_t>(
        std::clamp(file.getInt("Data", name(kUsedBytesTo, set), toDefault), 1, limit));
    for (const IntKey &key : kMiddleKeys) read(file, set, key, r, key.fallback);
    r.usedBytesFrom =
        static_cast<std::uint8_t>(std::clamp(file.getInt("Data", name(kMiddleKeys[0], set), 1), 1, limit));
    const auto &registers = set == 2 ? kRegisters2 : kRegisters1;
    r.selection.clear();
    for (const char *name : registers) r.selection.push_back(lowByte(file.getInt("Data", name, 255)));
    read(file, set, kMifareActive, r, kMifareActive.fallback);
    read(file, set, kMifareType, r, kMifareType.fallback);
    r.mifareKey = readText(file, "Mifare", "Passwort" + suffix);
    read(file, set, kDesfireNumber, r, kDesfireNumber.fallback);
    r.desfireKey = readText(file, "Desfire", "Key" + suffix);
    for (const IntKey &key : kTrailingKeys) read(file, set, key, r, key.fallback);
    return r;
}

std::optional<FileMessage> checkFileRange(const IniFile &file, const char *section, const std::string &key,
                                          int min, int max) {
    if (!file.hasKey(section, key)) return std::nullopt;
    const std::string text = file.getString(section, key, "");
    if (text.empty()) return std::nullopt;  // read as the default
    const int value = parseDecimal(text);
    if (value >= min && value <= max) return std::nullopt;
    return FileMessage{file_messages::kOutOfRange,
                       {std::to_string(min), std::to_string(max)},
                       std::string(section) + "/" + key};
}

std::vector<FileMessage> checkDataSetFileRanges(const IniFile &file, int set) {
    std::vector<FileMessage> out;
    auto check = [&](const char *section, const std::string &key) {
        if (auto m = checkFileRange(file, section, key, 0, 255)) out.push_back(std::move(*m));
    };
    for (const IntKey &key : kLeadingKeys) check(key.section, name(key, set));
    // The used-byte range is not checked: reading clamps it to what the
    // transponder family allows.
    for (const IntKey &key : std::span(kMiddleKeys).subspan(1)) check(key.section, name(key, set));
    for (const char *name : set == 2 ? kRegisters2 : kRegisters1) check("Data", name);
    for (const IntKey *key : {&kMifareActive, &kMifareType, &kDesfireNumber})
        check(key->section, name(*key, set));
    for (const IntKey &key : kTrailingKeys) check(key.section, name(key, set));
    return out;
}

void writeDataSetToFile(const DataFormatRecord &r, IniFile &file, int set) {
    const std::string suffix = set == 2 ? "2" : "";
    for (const IntKey &key : kLeadingKeys) write(file, set, key, r);
    write(file, set, kUsedBytesTo, r);
    for (const IntKey &key : kMiddleKeys) write(file, set, key, r);
    const auto &registers = set == 2 ? kRegisters2 : kRegisters1;
    for (std::size_t i = 0; i < 4; ++i) file.writeInt("Data", registers[i], selectionEntry(r, i));
    write(file, set, kMifareActive, r);
    write(file, set, kMifareType, r);
    file.writeString("Mifare", "Passwort" + suffix, utf8ToCp1252(r.mifareKey));
    write(file, set, kDesfireNumber, r);
    file.writeString("Desfire", "Key" + suffix, utf8ToCp1252(r.desfireKey));
    for (const IntKey &key : kTrailingKeys) write(file, set, key, r);
}

}  // namespace orvex::app
