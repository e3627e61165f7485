// The per-user settings store: values addressed by section and key, kept in
// $XDG_CONFIG_HOME/Qel Applikationen/OrvexReaderSetup.ini (default
// ~/.config/...). Every operation reads the file anew and every write goes to
// disk at once, so the desktop program and orvexctl see each other's changes.
#pragma once

#include <map>
#include <optional>
#include <memory>
#include <string>
#include <utility>
#include <string_view>

namespace orvex::app {

// A key of the store with the default its reading call uses.
struct IntSetting {
    const char *section;
    const char *key;
    int defaultValue;
};
struct TextSetting {
    const char *section;
    const char *key;
    const char *defaultValue;
};

// Every key the program uses. "Port"/"Timeout" is read with 500 by the
// connect routine and with 300 by the interface dialog.
namespace settings {
inline constexpr TextSetting PortName{"Port", "Name", ""};
inline constexpr IntSetting PortBaudrate{"Port", "Baudrate", 19200};
inline constexpr IntSetting PortTimeoutConnect{"Port", "Timeout", 500};
inline constexpr IntSetting PortTimeoutDialog{"Port", "Timeout", 300};
inline constexpr IntSetting PortAddress{"Port", "Adresse", 1};
inline constexpr IntSetting PortEthernet{"Port", "EthernetAktiv", 0};
inline constexpr IntSetting Language{"Settings", "Sprache", 0};
inline constexpr IntSetting ShowLayoutError{"Settings", "LayoutErrorAnzeigen", 1};
inline constexpr TextSetting LastPath{"Settings", "LastPfad", ""};
inline constexpr TextSetting MkrFilePath{"Settings", "MKRFilePath", ""};
inline constexpr IntSetting WindowLeft{"Window", "left", 0};
inline constexpr IntSetting WindowTop{"Window", "top", 0};
inline constexpr IntSetting VersionUpdate{"Version", "Update", 1};
inline constexpr TextSetting BluetoothLastAddress{"Bluetooth", "LastDevAddr", ""};
inline constexpr TextSetting BluetoothLastName{"Bluetooth", "LastDevName", ""};

// The port name used when the store holds none.
inline constexpr const char *DefaultPortName = "COM1";
}  // namespace settings

class IniFile;

class SettingsStore {
public:
    // The store at path; the default is the per-user file above.
    explicit SettingsStore(std::string path = defaultPath());

    // $XDG_CONFIG_HOME (or ~/.config) + "/Qel Applikationen/OrvexReaderSetup.ini".
    static std::string defaultPath();

    const std::string &path() const { return path_; }

    // The four operations: an absent value yields the default given here.
    int readInt(std::string_view section, std::string_view key, int defaultValue) const;
    std::string readText(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // False when the file cannot be written (the folder is created as needed).
    bool writeInt(std::string_view section, std::string_view key, int value);
    bool writeText(std::string_view section, std::string_view key, std::string_view value);

    int get(const IntSetting &s) const { return readInt(s.section, s.key, s.defaultValue); }
    std::string get(const TextSetting &s) const { return readText(s.section, s.key, s.defaultValue); }
    bool set(const IntSetting &s, int value) { return writeInt(s.section, s.key, value); }
    bool set(const TextSetting &s, std::string_view value) { return writeText(s.section, s.key, value); }

    // "Port"/"Name"; an empty value is replaced by "COM1", which is stored.
    std::string portNameOrDefault();

    // A value that holds for this object only (orvexctl's --port, --baud...):
    // reads of the key give it, writes to the key change only the override.
    void override(std::string_view section, std::string_view key, std::string value);

private:
    const std::string *overrideFor(std::string_view section, std::string_view key) const;
    // The parsed file, read again only when it changed on disk (another
    // program may write it); null when it cannot be read.
    const IniFile *loaded() const;

    // Identity and change time of the file the cache was parsed from.
    struct FileStamp {
        unsigned long long device = 0, inode = 0, size = 0;
        long long seconds = 0, nanoseconds = 0;
        bool operator==(const FileStamp &) const = default;
    };
    static std::optional<FileStamp> stampOf(const std::string &path);

    std::string path_;
    mutable std::shared_ptr<IniFile> cache_;
    mutable FileStamp stamp_;
    std::map<std::pair<std::string, std::string>, std::string> overrides_;
};

}  // namespace orvex::app
