// Whole configuration files: ".mkr" for readers with a character interface,
// ".mkp" for keyboard-wedge readers. The layout (section order as first
// written):
//   .mkr  "Prefix", the data sets ("Data", "Mifare", "Desfire", "ISO"), the
//         operating parameters ("Data"; with CAP_HID the HID form and the key
//         table "HID_KEYS"), "Suffix", "Abziehen", "Termix"
//   .mkp  "Prefix", "Data" (data set and timing), "Suffix", "Termix", "Ende"
// Saving replaces the sections the kind's layout owns (each is emptied and
// written anew); sections this program does not write stay as they are. Nothing here asks or shows anything;
// messages come back as values.
#pragma once

#include "base/capabilities.h"
#include "base/file_message.h"
#include "base/ini_file.h"
#include "keys/key_sequence.h"
#include "params/data_format.h"
#include "params/key_table.h"
#include "params/operating_parameters.h"

#include <string>
#include <vector>

namespace orvex::app {

// What the serial configuration sheet keeps in an .mkr file.
struct MkrConfiguration {
    CharSequence prefix;
    DataFormatRecord set1;
    DataFormatRecord set2;           // with CAP_TWO_DATA_BLOCKS
    OperatingParameters parameters;  // serial form, or HID form with CAP_HID
    KeyTable keyTable;               // with CAP_HID
    CharSequence suffix;
    CharSequence removal;     // "Abziehen"
    CharSequence separator;   // "Termix"
    std::string readerModel;  // written as [Reader] Model when set (see below)
};

// What the keyboard-wedge sheet keeps in an .mkp file.
struct MkpConfiguration {
    KeySequence prefix;
    DataFormatRecord data;           // typeCode, selection, representation, charCount
    OperatingParameters parameters;  // the three timing bytes
    KeySequence suffix;
    KeySequence separator;    // "Termix"
    KeySequence removal;      // "Ende"
    std::string readerModel;  // written as [Reader] Model when set (see below)
};

// Writes the configuration into a file object in the layout's order. Data
// set 2 is written only with CAP_TWO_DATA_BLOCKS.
void writeMkr(IniFile &file, const MkrConfiguration &config, CapabilityFlags flags);

// Reads a configuration from a file object. The four sequences start empty
// (a section that fails stays empty); data set 2 is read only with
// CAP_TWO_DATA_BLOCKS, the key table only with CAP_HID and when the file has
// it. Returns the messages of the sequence sections, in reading order.
std::vector<FileMessage> readMkr(const IniFile &file, CapabilityFlags flags, MkrConfiguration &config);

// Writes the keyboard-wedge configuration, including the three timing bytes
// (so that a saved file loads back with the timing it was saved with).
void writeMkp(IniFile &file, const MkpConfiguration &config);

// Reads a keyboard-wedge configuration; missing keys read as their defaults
// and missing sequences as empty ones.
std::vector<FileMessage> readMkp(const IniFile &file, MkpConfiguration &config);

enum class ConfigFileKind { None, Mkr, Mkp };

// What a file holds, judged by its content, not its name: a configuration
// has "Data" with "TransponderTyp" and the four sequence sections of its kind
// ("Abziehen" and "Ascii%d" entries for .mkr, "Ende" and key-stroke entries
// for .mkp). None for an empty or foreign file and for one that mixes both.
ConfigFileKind kindOfContent(const IniFile &file);
// Whether the file holds sections or entries of both kinds (so that
// kindOfContent cannot tell it).
bool mixesKinds(const IniFile &file);

struct ConfigFileResult {
    bool ok = false;                    // loaded / saved
    std::vector<FileMessage> messages;  // to show, in order
    std::string error;                  // system error text of a failed open or write
};

// Loads an .mkr file into config. When the file cannot be read: message 610
// and config untouched. Otherwise the sequences are replaced (see readMkr)
// and ok is true; a caller that must not act on partial values treats any
// message as a failed load.
ConfigFileResult loadMkrFile(const std::string &path, CapabilityFlags flags, MkrConfiguration &config);

// Saves into path, creating it or updating the file there. The file is
// replaced atomically; on failure the old file stays and error says why.
// The sections only the other kind writes are removed (a file of the other
// kind becomes one of this kind); foreign sections stay.
ConfigFileResult saveMkrFile(const std::string &path, const MkrConfiguration &config, CapabilityFlags flags);

// Loads an .mkp file. A file that cannot be read gives the defaults (as a
// missing key does) and ok false with error set, so a caller may tell.
ConfigFileResult loadMkpFile(const std::string &path, MkpConfiguration &config);

ConfigFileResult saveMkpFile(const std::string &path, const MkpConfiguration &config);

// The model a configuration was read from, section "Reader", key "Model":
// written with a read of the whole configuration (read-config, backups; the
// configurations' readerModel), so that programming refuses the file on a
// reader of another model. A save from a sheet drops it. Files without it
// are programmed on any reader.
inline constexpr const char *kReaderSection = "Reader";
inline constexpr const char *kReaderModelKey = "Model";
bool writeReaderModel(const std::string &path, const std::string &model);
std::string readerModelOf(const std::string &path);

}  // namespace orvex::app
