// A message the configuration-file layer asks its caller to show: the
// string-table number and the printf arguments of its text. The file layer
// itself never shows anything.
#pragma once

#include <string>
#include <vector>

namespace orvex::app {

struct FileMessage {
    int id = 0;
    std::vector<std::string> args;
    std::string key;  // "Section/Key" of the value the message is about, when one
    // A named string-table text (placeholders %1..%9) instead of id, when set.
    std::string name{};

    bool operator==(const FileMessage &) const = default;
};

namespace file_messages {
inline constexpr int kKeyBufferExceeded = 518;  // "Die Buffergröße für eine Keysequenz ist überschritten"
inline constexpr int kTooManyCommandLines = 531;  // "... Maximum der Befehlszeilen überschritten ..."
inline constexpr int kCannotLoad = 610;           // "Werte konnten nicht geladen werden!"
inline constexpr int kOutOfRange = 61714;         // "Geben Sie eine ganze Zahl zwischen %1 und %2 ein."
inline constexpr const char *kUnsupportedValue = "config.unsupportedValue";  // value, what is allowed
inline constexpr const char *kCutOff = "config.cutOff";                      // the file ends inside a line
}  // namespace file_messages

}  // namespace orvex::app
