#include "keys/sequence_sections.h"

#include "keys/key_names.h"
#include "base/keyboard_layout.h"

#include <string>

namespace orvex::app {

namespace {

// The largest number of key-stroke entries a file section may give: every
// entry puts at least one byte into the reader's 32-byte block, so more
// cannot be programmed (and releases alone would never reach the byte limit).
constexpr int kMaxKeyEntries = KeySequence::kMaxBytes;

// Key-stroke sections were read through a 20-byte buffer: values are cut to
// 19 characters.
constexpr size_t kProfileValueLength = 19;

std::string indexed(const char *stem, int i) { return stem + std::to_string(i); }

std::string profileValue(const IniFile &file, std::string_view section, const std::string &key) {
    std::string value = file.getString(section, key, "0");
    if (value.size() > kProfileValueLength) value.resize(kProfileValueLength);
    return value;
}

// "e0 56" is the extended key with set-1 code 56; "56" the plain one.
struct ScanText {
    uint8_t scan;
    bool extended;
    bool inRange;  // a set-1 code fits a byte
};
ScanText parseScanText(std::string text) {
    size_t e0 = text.find("e0");
    bool extended = e0 != std::string::npos;
    if (extended) text.erase(e0, 2);
    const int value = parseDecimal(text);
    return {static_cast<uint8_t>(value & 0xFF), extended, value >= 0 && value <= 255};
}

FileMessage countOutOfRange(std::string_view section, int max) {
    return FileMessage{
        file_messages::kOutOfRange, {"0", std::to_string(max)}, std::string(section) + "/Count"};
}

}  // namespace

void writeAsciiSection(IniFile &file, std::string_view section, const CharSequence &sequence) {
    file.writeInt(section, "Count", sequence.count());
    for (int i = 0; i < sequence.count(); ++i)
        file.writeInt(section, indexed("Ascii", i), sequence.at(i).code);
}

std::optional<FileMessage> readAsciiSection(const IniFile &file, std::string_view section,
                                            CharSequence &sequence) {
    int n = file.getInt(section, "Count", 0);
    if (n > CharSequence::kMaxEntries)
        return FileMessage{file_messages::kTooManyCommandLines, {}, std::string(section)};
    // A negative count would silently read as an empty sequence.
    if (n < 0) return countOutOfRange(section, CharSequence::kMaxEntries);
    CharSequence read;
    for (int i = 0; i < n; ++i) {
        const std::string key = indexed("Ascii", i);
        const int value = parseDecimal(file.getString(section, key, "0"));
        // A code outside a byte would be cut to another character (999 to E7,
        // -1 to the block's FF terminator inside the sequence).
        if (value < 0 || value > 255)
            return FileMessage{file_messages::kOutOfRange, {"0", "255"}, std::string(section) + "/" + key};
        const auto code = static_cast<uint8_t>(value);
        read.insert(read.count(), SequenceChar{code, codeName(code)});
    }
    sequence.assign(read);
    return std::nullopt;
}

void writeKeySection(IniFile &file, std::string_view section, const KeySequence &sequence) {
    file.writeInt(section, "Count", sequence.count());
    for (int i = 0; i < sequence.count(); ++i) {
        const KeyEvent &e = sequence.at(i);
        file.writeInt(section, indexed("Keydown", i), e.down ? 1 : 0);
        // Every extended key carries its prefix, so that a navigation key does
        // not come back as the number-pad key with the same scan code.
        std::string scan = std::to_string(e.scan);
        if (isExtended(e.vk)) scan = "e0 " + scan;
        file.writeString(section, indexed("CodeSet1_", i), scan);
    }
}

std::optional<FileMessage> readKeySection(const IniFile &file, std::string_view section,
                                          KeySequence &sequence) {
    int n = parseDecimal(profileValue(file, section, "Count"));
    if (n < 0) return countOutOfRange(section, kMaxKeyEntries);
    KeySequence read;
    std::optional<FileMessage> message;
    for (int i = 0; i < n; ++i) {
        bool down = parseDecimal(profileValue(file, section, indexed("Keydown", i))) != 0;
        ScanText scan = parseScanText(profileValue(file, section, indexed("CodeSet1_", i)));
        if (!scan.inRange) {
            message = FileMessage{file_messages::kOutOfRange,
                                  {"0", "255"},
                                  std::string(section) + "/" + indexed("CodeSet1_", i)};
            break;
        }
        uint8_t vk = normaliseVk(hostKeyboardLayout().scanToVk(scan.scan), scan.extended);
        KeyEvent entry{vk, scan.scan, static_cast<uint8_t>(down ? 1 : 0)};
        if (!read.fits(entry) || read.count() >= kMaxKeyEntries) {
            message = FileMessage{file_messages::kKeyBufferExceeded, {}, std::string(section)};
            break;
        }
        read.append(entry);
    }
    sequence.assign(read);
    return message;
}

}  // namespace orvex::app
