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
// A sheet's save drops the reader model: only a read of the reader itself
// may say which model the values came from.
constexpr const char *kOwnedMkr[] = {kPrefix,    "Data",  "Mifare",    "Desfire",  "ISO",
                                     "HID_KEYS", kSuffix, kRemovalMkr, kSeparator, kReaderSection};
constexpr const char *kOwnedMkp[] = {kPrefix, "Data", kSuffix, kSeparator, kRemovalMkp, kReaderSection};

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
bool ownedBy(const char *const (&owned)[N], std::string_view section) {
    for (const char *name : owned)
        if (section.size() == std::string_view(name).size() && startsWithFolded(std::string(section), name))
            return true;
    return false;
}

template <std::size_t N, std::size_t M>
ConfigFileResult saveWith(const std::string &path, const char *const (&owned)[N],
                          const char *const (&otherKind)[M], const std::string &readerModel,
                          const auto &write) {
    ConfigFileResult result;
    ProfileFile file(path);
    if (!file.ok()) {
        result.error = file.errorText();
        return result;
    }
    // What an older save left (a second data set, longer sequences) must not
    // survive beside the values written now; nor may the other kind's
    // sections, which would make the file neither kind.
    for (const char *section : owned) file.clearSection(section);
    for (const char *section : otherKind)
        if (!ownedBy(owned, section)) file.removeSection(section);
    write(file);
    // In the same write as the values: a file without its model is no file
    // from that reader.
    if (!readerModel.empty()) file.writeString(kReaderSection, kReaderModelKey, readerModel);
    result.ok = file.close();
    if (!result.ok) result.error = file.errorText();
    return result;
}

// A file whose last line has no line end was cut off while being written:
// its last value may be cut too.
FileMessage cutOffMessage() { return FileMessage{0, {}, {}, file_messages::kCutOff}; }

}  // namespace

void writeMkr(IniFile &file, const MkrConfiguration &config, CapabilityFlags flags) {
    writeAsciiSection(file, kPrefix, config.prefix);
    writeDataSetToFile(config.set1, file, 1);
    if (hasCapability(flags, CAP_TWO_DATA_BLOCKS)) writeDataSetToFile(config.set2, file, 2);
    if (hasCapability(flags, CAP_HID)) {
        writeHidParametersToFile(config.parameters, file);
        saveKeyTable(config.keyTable, file);
    } else {
        writeSerialParametersToFile(config.parameters, file);
    }
    writeAsciiSection(file, kSuffix, config.suffix);
    writeAsciiSection(file, kRemovalMkr, config.removal);
    writeAsciiSection(file, kSeparator, config.separator);
}

std::vector<FileMessage> readMkr(const IniFile &file, CapabilityFlags flags, MkrConfiguration &config) {
    std::vector<FileMessage> messages = checkDataSetFileRanges(file, 1);
    if (hasCapability(flags, CAP_TWO_DATA_BLOCKS)) {
        auto more = checkDataSetFileRanges(file, 2);
        messages.insert(messages.end(), more.begin(), more.end());
    }
    auto params = checkParameterFileRanges(file, !hasCapability(flags, CAP_HID));
    messages.insert(messages.end(), params.begin(), params.end());
    for (CharSequence *sequence : {&config.prefix, &config.suffix, &config.removal, &config.separator})
        sequence->clear();

    collect(messages, readAsciiSection(file, kPrefix, config.prefix));
    config.set1 = readDataSetFromFile(file, 1);
    if (hasCapability(flags, CAP_TWO_DATA_BLOCKS)) config.set2 = readDataSetFromFile(file, 2);
    if (hasCapability(flags, CAP_HID)) {
        readHidParametersFromFile(file, config.parameters);
        loadKeyTable(file, config.keyTable);
    } else {
        readSerialParametersFromFile(file, config.parameters);
    }
    collect(messages, readAsciiSection(file, kSuffix, config.suffix));
    collect(messages, readAsciiSection(file, kRemovalMkr, config.removal));
    collect(messages, readAsciiSection(file, kSeparator, config.separator));
    return messages;
}

void writeMkp(IniFile &file, const MkpConfiguration &config) {
    writeKeySection(file, kPrefix, config.prefix);
    writeWedgeDataSetToFile(config.data, file);
    writeWedgeTimingToFile(config.parameters, file);
    writeKeySection(file, kSuffix, config.suffix);
    writeKeySection(file, kSeparator, config.separator);
    writeKeySection(file, kRemovalMkp, config.removal);
}

std::vector<FileMessage> readMkp(const IniFile &file, MkpConfiguration &config) {
    std::vector<FileMessage> messages;
    for (const char *key : {"TransponderTyp", "Darstellung", "ZeichenAnzahl", "Register1", "Register2",
                            "Register3", "Register4"})
        collect(messages, checkFileRange(file, "Data", key, 0, 255));
    collect(messages, readKeySection(file, kPrefix, config.prefix));
    config.data = readWedgeDataSetFromFile(file);
    readWedgeTimingFromFile(file, config.parameters);
    collect(messages, readKeySection(file, kSuffix, config.suffix));
    collect(messages, readKeySection(file, kSeparator, config.separator));
    collect(messages, readKeySection(file, kRemovalMkp, config.removal));
    return messages;
}

namespace {

struct KindTraces {
    bool mkr = false;
    bool mkp = false;
};

// The marks of each kind a file carries: its removal section, a key only
// its parameters have, entries of its sequence form.
KindTraces kindTraces(const IniFile &file) {
    KindTraces t;
    t.mkr = file.hasSection(kRemovalMkr) || file.hasKey("Data", "Betriebsart");
    t.mkp = file.hasSection(kRemovalMkp) || file.hasKey("Data", "Verzoegerung");
    for (const char *section : {kPrefix, kSuffix, kSeparator, kRemovalMkr, kRemovalMkp}) {
        t.mkr = t.mkr || anyKeyWithStem(file, section, "Ascii");
        t.mkp =
            t.mkp || anyKeyWithStem(file, section, "Keydown") || anyKeyWithStem(file, section, "CodeSet1_");
    }
    return t;
}

}  // namespace

bool mixesKinds(const IniFile &file) {
    const KindTraces t = kindTraces(file);
    return t.mkr && t.mkp;
}

ConfigFileKind kindOfContent(const IniFile &file) {
    const bool data = file.hasKey("Data", "TransponderTyp");
    const bool common =
        data && file.hasSection(kPrefix) && file.hasSection(kSuffix) && file.hasSection(kSeparator);
    if (!common) return ConfigFileKind::None;
    const auto [mkr, mkp] = kindTraces(file);
    if (mkr == mkp) return ConfigFileKind::None;  // neither, or parts of both
    if (mkr && !file.hasSection(kRemovalMkr)) return ConfigFileKind::None;
    if (mkp && !file.hasSection(kRemovalMkp)) return ConfigFileKind::None;
    return mkr ? ConfigFileKind::Mkr : ConfigFileKind::Mkp;
}

ConfigFileResult loadMkrFile(const std::string &path, CapabilityFlags flags, MkrConfiguration &config) {
    ConfigFileResult result;
    IniFile file;
    if (!file.open(path, false, false, true)) {
        result.error = file.errorText();
        result.messages.push_back({file_messages::kCannotLoad, {}, {}});
        return result;
    }
    if (file.endsMidLine()) {
        result.messages.push_back(cutOffMessage());
        return result;
    }
    result.messages = readMkr(file, flags, config);
    result.error = file.errorText();  // a read error after opening: what was read counts
    result.ok = true;
    return result;
}

ConfigFileResult saveMkrFile(const std::string &path, const MkrConfiguration &config, CapabilityFlags flags) {
    return saveWith(path, kOwnedMkr, kOwnedMkp, config.readerModel,
                    [&](IniFile &file) { writeMkr(file, config, flags); });
}

bool writeReaderModel(const std::string &path, const std::string &model) {
    ProfileFile file(path);
    if (!file.ok()) return false;
    file.writeString(kReaderSection, kReaderModelKey, model);
    return file.close();
}

std::string readerModelOf(const std::string &path) {
    IniFile file;
    if (!file.open(path, false, false, true)) return {};
    return file.getString(kReaderSection, kReaderModelKey);
}

ConfigFileResult loadMkpFile(const std::string &path, MkpConfiguration &config) {
    ConfigFileResult result;
    IniFile file;
    result.ok = file.open(path, false, false, true);
    result.error = file.errorText();
    result.messages = readMkp(file, config);
    if (file.endsMidLine()) {
        result.ok = false;
        result.messages.insert(result.messages.begin(), cutOffMessage());
    }
    return result;
}

ConfigFileResult saveMkpFile(const std::string &path, const MkpConfiguration &config) {
    return saveWith(path, kOwnedMkp, kOwnedMkr, config.readerModel,
                    [&](IniFile &file) { writeMkp(file, config); });
}

}  // namespace orvex::app
