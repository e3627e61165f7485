#include "sheets/config_files.h"

#include "keys/sequence_sections.h"
#include "params/data_format_file.h"
#include "params/key_table_file.h"
#include "params/parameter_file.h"

#include <optional>

namespace orvex::app {

namespace {

using namespace sequence_sections;

void collect(std::vector<FileMessage> &messages, std::optional<FileMessage> message) {
    if (message) messages.push_back(std::move(*message));
}

ConfigFileResult saveWith(const std::string &path, const auto &write) {
    ConfigFileResult result;
    ProfileFile file(path);
    if (!file.ok()) {
        result.error = file.errorText();
        return result;
    }
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
    std::vector<FileMessage> messages;
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
    collect(messages, ReadKeySection(file, kPrefix, config.prefix));
    config.data = ReadWedgeDataSetFromFile(file);
    ReadWedgeTimingFromFile(file, config.parameters);
    collect(messages, ReadKeySection(file, kSuffix, config.suffix));
    collect(messages, ReadKeySection(file, kSeparator, config.separator));
    collect(messages, ReadKeySection(file, kRemovalMkp, config.removal));
    return messages;
}

ConfigFileResult LoadMkrFile(const std::string &path, CapabilityFlags flags, MkrConfiguration &config) {
    ConfigFileResult result;
    IniFile file;
    if (!file.Open(path, false, false, true)) {
        result.error = file.errorText();
        result.messages.push_back({file_messages::kCannotLoad, {}});
        return result;
    }
    result.messages = ReadMkr(file, flags, config);
    result.error = file.errorText();  // a read error after opening: what was read counts
    result.ok = true;
    return result;
}

ConfigFileResult SaveMkrFile(const std::string &path, const MkrConfiguration &config, CapabilityFlags flags) {
    return saveWith(path, [&](IniFile &file) { WriteMkr(file, config, flags); });
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
    return saveWith(path, [&](IniFile &file) { WriteMkp(file, config); });
}

}  // namespace orvex::app
