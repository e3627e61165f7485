#include "sheets/config_files.h"

#include "keys/sequence_sections.h"
#include "params/data_format_file.h"
#include "params/key_table_file.h"
#include "params/parameter_file.h"

#include <cctype>
#include <optional>
#include <string_view>

namespace orvex::app {

namespace {

using namespace sequence_sections;

void collect(std::vector<FileMessage> &messages, std::optional<FileMessage> message) {
    if (message) messages.push_back(std::move(*message));
}

// The sections each kind's save writes in full; the rest of a file is not ours.
constexpr const char *kOwnedMkr[] = {kPrefix,    "Data",  "Mifare",    "Desfire", "ISO",
                                     "HID_KEYS", kSuffix, kRemovalMkr, kSeparator};
constexpr const char *kOwnedMkp[] = {kPrefix, "Data", kSuffix, kSeparator, kRemovalMkp};

bool startsWithFolded(const std::string &text, std::string_view stem) {
    if (text.size() < stem.size()) return false;
    for (std::size_t i = 0; i < stem.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(stem[i])))
            return false;
    return true;
}

// Whether a key starting with stem is in any section of that name.
bool anyKeyWithStem(const IniFile &file, std::string_view section, std::string_view stem) {
    for (const IniSection &sec : file.sections()) {
        if (sec.name.size() != section.size() || !startsWithFolded(sec.name, section)) continue;
        for (const std::string &key : sec.keys)
            if (startsWithFolded(key, stem)) return true;
    }
    return false;
}

template <std::size_t N>
ConfigFileResult saveWith(const std::string &path, const char *const (&owned)[N], const auto &write) {
    ConfigFileResult result;
    ProfileFile file(path);
    if (!file.ok()) {
        result.error = file.errorText();
        return result;
    }
    // What an older save left (a second data set, longer sequences) must not
    // survive beside the values written now.
    for (const char *section : owned) file.ClearSection(section);
    write(file);
    result.ok = file.Close();
    if (!result.ok) result.error = file.errorText();
    return result;
}

}  // namespace

void WriteMkr(IniFile &file, const MkrConfiguration &config, CapabilityFlags flags) {
    WriteAsciiSection(file, kPrefix, config.prefix);
    WriteDataSetToFile(config.set1, file, 1);
    if (HasCapability(flags, CAP_TWO_DATA_BLOCKS)) WriteDataSetToFile(config.set2, file, 2);
    if (HasCapability(flags, CAP_HID)) {
        WriteHidParametersToFile(config.parameters, file);
        SaveKeyTable(config.keyTable, file);
    } else {
        WriteSerialParametersToFile(config.parameters, file);
    }
    WriteAsciiSection(file, kSuffix, config.suffix);
    WriteAsciiSection(file, kRemovalMkr, config.removal);
    WriteAsciiSection(file, kSeparator, config.separator);
}

std::vector<FileMessage> ReadMkr(const IniFile &file, CapabilityFlags flags, MkrConfiguration &config) {
    std::vector<FileMessage> messages = CheckDataSetFileRanges(file, 1);
    if (HasCapability(flags, CAP_TWO_DATA_BLOCKS)) {
        auto more = CheckDataSetFileRanges(file, 2);
        messages.insert(messages.end(), more.begin(), more.end());
    }
    auto params = CheckParameterFileRanges(file, !HasCapability(flags, CAP_HID));
    messages.insert(messages.end(), params.begin(), params.end());
    for (CharSequence *sequence : {&config.prefix, &config.suffix, &config.removal, &config.separator})
        sequence->clear();

    collect(messages, ReadAsciiSection(file, kPrefix, config.prefix));
    config.set1 = ReadDataSetFromFile(file, 1);
    if (HasCapability(flags, CAP_TWO_DATA_BLOCKS)) config.set2 = ReadDataSetFromFile(file, 2);
    if (HasCapability(flags, CAP_HID)) {
        ReadHidParametersFromFile(file, config.parameters);
        LoadKeyTable(file, config.keyTable);
    } else {
        ReadSerialParametersFromFile(file, config.parameters);
    }
    collect(messages, ReadAsciiSection(file, kSuffix, config.suffix));
    collect(messages, ReadAsciiSection(file, kRemovalMkr, config.removal));
    collect(messages, ReadAsciiSection(file, kSeparator, config.separator));
    return messages;
}

void WriteMkp(IniFile &file, const MkpConfiguration &config) {
    WriteKeySection(file, kPrefix, config.prefix);
    WriteWedgeDataSetToFile(config.data, file);
    WriteWedgeTimingToFile(config.parameters, file);
    WriteKeySection(file, kSuffix, config.suffix);
    WriteKeySection(file, kSeparator, config.separator);
    WriteKeySection(file, kRemovalMkp, config.removal);
}

std::vector<FileMessage> ReadMkp(const IniFile &file, MkpConfiguration &config) {
    std::vector<FileMessage> messages;
    for (const char *key : {"TransponderTyp", "Darstellung", "ZeichenAnzahl", "Register1", "Register2",
                            "Register3", "Register4"})
        collect(messages, CheckFileRange(file, "Data", key, 0, 255));
    collect(messages, ReadKeySection(file, kPrefix, config.prefix));
    config.data = ReadWedgeDataSetFromFile(file);
    ReadWedgeTimingFromFile(file, config.parameters);
    collect(messages, ReadKeySection(file, kSuffix, config.suffix));
    collect(messages, ReadKeySection(file, kSeparator, config.separator));
    collect(messages, ReadKeySection(file, kRemovalMkp, config.removal));
    return messages;
}

ConfigFileKind KindOfContent(const IniFile &file) {
    const bool data = file.HasKey("Data", "TransponderTyp");
    const bool common =
        data && file.HasSection(kPrefix) && file.HasSection(kSuffix) && file.HasSection(kSeparator);
    if (!common) return ConfigFileKind::None;
    bool mkr = file.HasSection(kRemovalMkr) || file.HasKey("Data", "Betriebsart");
    bool mkp = file.HasSection(kRemovalMkp) || file.HasKey("Data", "Verzoegerung");
    for (const char *section : {kPrefix, kSuffix, kSeparator, kRemovalMkr, kRemovalMkp}) {
        mkr = mkr || anyKeyWithStem(file, section, "Ascii");
        mkp = mkp || anyKeyWithStem(file, section, "Keydown") || anyKeyWithStem(file, section, "CodeSet1_");
    }
    if (mkr == mkp) return ConfigFileKind::None;  // neither, or parts of both
    if (mkr && !file.HasSection(kRemovalMkr)) return ConfigFileKind::None;
    if (mkp && !file.HasSection(kRemovalMkp)) return ConfigFileKind::None;
    return mkr ? ConfigFileKind::Mkr : ConfigFileKind::Mkp;
}

ConfigFileResult LoadMkrFile(const std::string &path, CapabilityFlags flags, MkrConfiguration &config) {
    ConfigFileResult result;
    IniFile file;
    if (!file.Open(path, false, false, true)) {
        result.error = file.errorText();
        result.messages.push_back({file_messages::kCannotLoad, {}, {}});
        return result;
    }
    result.messages = ReadMkr(file, flags, config);
    result.error = file.errorText();  // a read error after opening: what was read counts
    result.ok = true;
    return result;
}

ConfigFileResult SaveMkrFile(const std::string &path, const MkrConfiguration &config, CapabilityFlags flags) {
    return saveWith(path, kOwnedMkr, [&](IniFile &file) { WriteMkr(file, config, flags); });
}

ConfigFileResult LoadMkpFile(const std::string &path, MkpConfiguration &config) {
    ConfigFileResult result;
    IniFile file;
    result.ok = file.Open(path, false, false, true);
    result.error = file.errorText();
    result.messages = ReadMkp(file, config);
    return result;
}

ConfigFileResult SaveMkpFile(const std::string &path, const MkpConfiguration &config) {
    return saveWith(path, kOwnedMkp, [&](IniFile &file) { WriteMkp(file, config); });
}

}  // namespace orvex::app
