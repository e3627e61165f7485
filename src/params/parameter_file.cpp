#include "params/parameter_file.h"

#include "params/data_format_file.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace orvex::app {
namespace {

constexpr const char *kData = "Data";
constexpr const char *kRegisters[] = {"Register1", "Register2", "Register3", "Register4"};
constexpr std::size_t kWedgeTextLimit = 9;

std::uint8_t LowByte(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

std::int8_t PowerOnIndexFromFile(int value) {
    return value >= 0 && value <= 2 ? static_cast<std::int8_t>(value) : -1;
}

char RequestCharFromFile(const std::string &text) {
    if (text.empty() || static_cast<unsigned char>(text[0]) < 32) return '?';
    return text[0];
}

// Decimal value of the first nine characters, as the wedge keys are read:
// leading blanks and a sign allowed, digits up to the first other character.
std::uint8_t WedgeByte(const IniFile &file, const char *key, const char *fallback) {
    std::string text = file.GetString(kData, key, fallback).substr(0, kWedgeTextLimit);
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return 0;
    std::string_view digits(text.data() + start, text.size() - start);
    if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
    long value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return static_cast<std::uint8_t>(std::clamp<long>(value, 0, 255));
}

void WriteCommon(const OperatingParameters &p, IniFile &file, bool serial) {
    file.WriteInt(kData, "Betriebsart", p.modeByte);
    file.WriteInt(kData, "Zykluszeit", p.cycleTimeMs);
    if (serial) {
        file.WriteInt(kData, "Baudrate", p.baudValue);
        file.WriteString(kData, "Aufforderung",
                         p.requestChar ? std::string(1, p.requestChar) : std::string());
    }
    file.WriteInt(kData, "TimeoutRS232", p.timeoutMs);
    if (p.powerOnIndex != -1) file.WriteInt(kData, "ReaderModus", p.powerOnIndex);
}

}  // namespace

void WriteSerialParametersToFile(const OperatingParameters &p, IniFile &file) {
    WriteCommon(p, file, true);
    file.WriteInt(kData, "DTRModus", p.dtrMode);
    file.WriteString(kData, "RemoteIP", p.remoteIp);
    file.WriteInt(kData, "RemotePort", p.remotePort);
}

void ReadSerialParametersFromFile(const IniFile &file, OperatingParameters &p) {
    p.modeByte = LowByte(file.GetInt(kData, "Betriebsart", 0));
    p.cycleTimeMs = file.GetInt(kData, "Zykluszeit", 1000);
    p.baudValue = file.GetInt(kData, "Baudrate", 19200);
    p.requestChar = RequestCharFromFile(file.GetString(kData, "Aufforderung", "?"));
    p.timeoutMs = file.GetInt(kData, "TimeoutRS232", 500);
    p.powerOnIndex = PowerOnIndexFromFile(file.GetInt(kData, "ReaderModus", 1));
    p.dtrMode = LowByte(file.GetInt(kData, "DTRModus", 0));
    p.remoteIp = file.GetString(kData, "RemoteIP", "");
    p.remotePort = file.GetInt(kData, "RemotePort", 0);
}

std::vector<FileMessage> CheckParameterFileRanges(const IniFile &file, bool serial) {
    struct Range {
        const char *key;
        int min, max;
        bool serialOnly;
    };
    static constexpr Range kRanges[] = {
        {"Betriebsart", 0, 255, false}, {"Zykluszeit", 0, 25500, false}, {"TimeoutRS232", 0, 25500, false},
        {"DTRModus", 0, 1, true},       {"RemotePort", 0, 65535, true},
    };
    std::vector<FileMessage> out;
    for (const Range &r : kRanges) {
        if (r.serialOnly && !serial) continue;
        if (auto m = CheckFileRange(file, kData, r.key, r.min, r.max)) out.push_back(std::move(*m));
    }
    return out;
}

void WriteHidParametersToFile(const OperatingParameters &p, IniFile &file) { WriteCommon(p, file, false); }

void ReadHidParametersFromFile(const IniFile &file, OperatingParameters &p) {
    p.modeByte = LowByte(file.GetInt(kData, "Betriebsart", 0));
    p.cycleTimeMs = file.GetInt(kData, "Zykluszeit", 1000);
    p.timeoutMs = file.GetInt(kData, "TimeoutRS232", 0);
    p.powerOnIndex = PowerOnIndexFromFile(file.GetInt(kData, "ReaderModus", 1));
}

void WriteWedgeTimingToFile(const OperatingParameters &p, IniFile &file) {
    file.WriteString(kData, "Verzoegerung", std::to_string(p.wedgeDelayByte));
    file.WriteString(kData, "Sendefrequenz", std::to_string(p.wedgeFrequencyByte));
    file.WriteString(kData, "Timeout", std::to_string(p.wedgeTimeoutByte));
}

void ReadWedgeTimingFromFile(const IniFile &file, OperatingParameters &p) {
    p.wedgeDelayByte = WedgeByte(file, "Verzoegerung", "10");
    p.wedgeFrequencyByte = WedgeByte(file, "Sendefrequenz", "5");
    p.wedgeTimeoutByte = WedgeByte(file, "Timeout", "5");
}

void WriteWedgeDataSetToFile(const DataFormatRecord &r, IniFile &file) {
    file.WriteInt(kData, "TransponderTyp", r.typeCode);
    file.WriteInt(kData, "Darstellung", r.representation);
    file.WriteInt(kData, "ZeichenAnzahl", r.charCount);
    for (std::size_t i = 0; i < 4; ++i) file.WriteInt(kData, kRegisters[i], SelectionEntry(r, i));
}

DataFormatRecord ReadWedgeDataSetFromFile(const IniFile &file) {
    DataFormatRecord r;
    r.typeCode = LowByte(file.GetInt(kData, "TransponderTyp", 0));
    r.representation = LowByte(file.GetInt(kData, "Darstellung", 1));
    r.charCount = LowByte(file.GetInt(kData, "ZeichenAnzahl", 10));
    for (const char *name : kRegisters) r.selection.push_back(LowByte(file.GetInt(kData, name, 255)));
    r.selection.push_back(kNoSelection);
    return r;
}

}  // namespace orvex::app
