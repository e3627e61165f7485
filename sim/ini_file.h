// A small INI text object for the simulator's state file: sections and keys keep their
// first-write order, keys are case-sensitive, values are trimmed text.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvex::sim {

class IniFile {
public:
    // Parses INI text. Lines outside a section, and lines that are neither "[section]",
    // "key=value", blank nor comments (';' or '#') are errors: line number in `error`.
    static std::optional<IniFile> parse(const std::string &text, std::string *error = nullptr);

    std::optional<std::string> get(const std::string &section, const std::string &key) const;
    void set(const std::string &section, const std::string &key, const std::string &value);
    std::vector<std::string> keys(const std::string &section) const;

    std::string toText() const;

    // Loads a file; nullopt when it is missing or malformed (reason in `error`).
    static std::optional<IniFile> load(const std::string &path, std::string *error = nullptr);
    // Writes to a temporary file beside `path` and renames it over `path`, so a reader
    // of the file never sees a half-written state.
    bool saveAtomically(const std::string &path, std::string *error = nullptr) const;

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> entries;
    };
    Section *find(const std::string &name);
    const Section *find(const std::string &name) const;

    std::vector<Section> sections_;
};

}  // namespace orvex::sim
