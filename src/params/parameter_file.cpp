#include "params/parameter_file.h"

#include "params/data_format_file.h"

#include <arpa/inet.h>

#include <algorithm>
#include <charconv>
#include <string>

namespace orvex::app {
namespace {

constexpr const char *kData = "Data";
constexpr const char *kRegisters[] = {"Register1", "Register2", "Register3", "Register4"};
constexpr std::size_t kWedgeTextLimit = 9;

std::uint8_t lowByte(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

std::int8_t powerOnIndexFromFile(int value) {
    return value >= 0 && value <= 2 ? static_cast<std::int8_t>(value) : -1;
}

char requestCharFromFile(const std::string &text) {
    if (text.empty() || static_cast<unsigned char>(text[0]) < 32) return '?';
    return text[0];
}

// Decimal value of the first nine characters, as the wedge keys are read:
// leading blanks and a sign allowed, digits up to the first other character.
std::uint8_t wedgeByte(const IniFile &file, const char *key, const char *fallback) {
    std::string text = file.getString(kData, key, fallback).substr(0, kWedgeTextLimit);
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return 0;
    std::string_view digits(text.data() + start, text.size() - start);
    if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
    long value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return static_cast<std::uint8_t>(std::clamp<long>(value, 0, 255));
}

void writeCommon(const OperatingParameters &p, IniFile &file, bool serial) {
    file.writeInt(kData, "Betriebsart", p.modeByte);
    file.writeInt(kData, "Zykluszeit", p.cycleTimeMs);
    if (serial) {
        file.writeInt(kData, "Baudrate", p.baudValue);
        file.writeString(kData, "Aufforderung",
                         p.requestChar ? std::string(1, p.requestChar) : std::string());
    }
    file.writeInt(kData, "TimeoutRS232", p.timeoutMs);
    if (p.powerOnIndex != -1) file.writeInt(kData, "ReaderModus", p.powerOnIndex);
}

}  // namespace

void writeSerialParametersToFile(const OperatingParameters &p, IniFile &file) {
    writeCommon(p, file, true);
    file.writeInt(kData, "DTRModus", p.dtrMode);
    file.writeString(kData, "RemoteIP", p.remoteIp);
    file.writeInt(kData, "RemotePort", p.remotePort);
}

void readSerialParametersFromFile(const IniFile &file, OperatingParameters &p) {
    p.modeByte = lowByte(file.getInt(kData, "Betriebsart", 0));
    p.cycleTimeMs = file.getInt(kData, "Zykluszeit", 1000);
    p.baudValue = file.getInt(kData, "Baudrate", 19200);
    p.requestChar = requestCharFromFile(file.getString(kData, "Aufforderung", "?"));
    p.timeoutMs = file.getInt(kData, "TimeoutRS232", 500);
    p.powerOnIndex = powerOnIndexFromFile(file.getInt(kData, "ReaderModus", 1));
    p.dtrMode = lowByte(file.getInt(kData, "DTRModus", 0));
    p.remoteIp = file.getString(kData, "RemoteIP", "");
    p.remotePort = file.getInt(kData, "RemotePort", 0);
}

namespace {

// A baud value whose rate is one the page offers (its framing code is taken
// as the page takes it).
bool supportedBaud(const std::string &text) {
    const std::string rate = std::to_string(baudRateOf(parseDecimal(text)));
    return std::find(kBaudChoices.begin(), kBaudChoices.end(), rate) != kBaudChoices.end();
}

std::string baudChoices() {
    std::string out;
    for (std::string_view choice : kBaudChoices) out += (out.empty() ? "" : ", ") + std::string(choice);
    return out;
}

// Empty (no TCP-client target) or a dotted IPv4 address.
bool supportedAddress(const std::string &text) {
    in_addr address{};
    return text.empty() || inet_pton(AF_INET, text.c_str(), &address) == 1;
}

// A text key whose value the page cannot show: it would be replaced by
// another value without a word.
struct TextRule {
    const char *key;
    bool (*supported)(const std::string &);
    std::string (*allowed)();
};
const TextRule kTextRules[] = {
    {"Baudrate", supportedBaud, baudChoices},
    {"RemoteIP", supportedAddress, [] { return std::string("a.b.c.d"); }},
};

}  // namespace

std::vector<FileMessage> checkParameterFileRanges(const IniFile &file, bool serial) {
    struct Range {
        const char *key;
        int min, max;
        bool serialOnly;
    };
    static constexpr Range kRanges[] = {
        {"Betriebsart", 0, 255, false}, {"Zykluszeit", 0, 25500, false}, {"TimeoutRS232", 0, 25500, false},
        {"ReaderModus", 0, 2, false},   {"DTRModus", 0, 1, true},        {"RemotePort", 0, 65535, true},
    };
    std::vector<FileMessage> out;
    for (const Range &r : kRanges) {
        if (r.serialOnly && !serial) continue;
        if (auto m = checkFileRange(file, kData, r.key, r.min, r.max)) out.push_back(std::move(*m));
    }
    if (!serial) return out;
    for (const TextRule &rule : kTextRules) {
        if (!file.hasKey(kData, rule.key)) continue;
        const std::string value = file.getString(kData, rule.key);
        if (value.empty()) continue;  // read as the default (no target for RemoteIP)
        if (!rule.supported(value))
            out.push_back(FileMessage{0,
                                      {value, rule.allowed()},
                                      std::string(kData) + "/" + rule.key,
                                      file_messages::kUnsupportedValue});
    }
    return out;
}

void writeHidParametersToFile(const OperatingParameters &p, IniFile &file) { writeCommon(p, file, false); }

void readHidParametersFromFile(const IniFile &file, OperatingParameters &p) {
    p.modeByte = lowByte(file.getInt(kData, "Betriebsart", 0));
    p.cycleTimeMs = file.getInt(kData, "Zykluszeit", 1000);
    p.timeoutMs = file.getInt(kData, "TimeoutRS232", 0);
    p.powerOnIndex = powerOnIndexFromFile(file.getInt(kData, "ReaderModus", 1));
}

void writeWedgeTimingToFile(const OperatingParameters &p, IniFile &file) {
    file.writeString(kData, "Verzoegerung", std::to_string(p.wedgeDelayByte));
    file.writeString(kData, "Sendefrequenz", std::to_string(p.wedgeFrequencyByte));
    file.writeString(kData, "Timeout", std::to_string(p.wedgeTimeoutByte));
}

void readWedgeTimingFromFile(const IniFile &file, OperatingParameters &p) {
    p.wedgeDelayByte = wedgeByte(file, "Verzoegerung", "10");
    p.wedgeFrequencyByte = wedgeByte(file, "Sendefrequenz", "5");
    p.wedgeTimeoutByte = wedgeByte(file, "Timeout", "5");
}

void writeWedgeDataSetToFile(const DataFormatRecord &r, IniFile &file) {
    file.writeInt(kData, "TransponderTyp", r.typeCode);
    file.writeInt(kData, "Darstellung", r.representation);
    file.writeInt(kData, "ZeichenAnzahl", r.charCount);
    for (std::size_t i = 0; i < 4; ++i) file.writeInt(kData, kRegisters[i], selectionEntry(r, i));
}

DataFormatRecord readWedgeDataSetFromFile(const IniFile &file) {
    DataFormatRecord r;
    r.typeCode = lowByte(file.getInt(kData, "TransponderTyp", 0));
    r.representation = lowByte(file.getInt(kData, "Darstellung", 1));
    r.charCount = lowByte(file.getInt(kData, "ZeichenAnzahl", 10));
    for (const char *name : kRegisters) r.selection.push_back(lowByte(file.getInt(kData, name, 255)));
    r.selection.push_back(kNoSelection);
    return r;
}

}  // namespace orvex::app
