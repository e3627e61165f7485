// The INI file object: configuration files (.mkr, .mkp), the per-user settings
// file and INI text fetched from the network all go through it.
//
// The content is held in memory as sections of key/value lines; the file is
// read once on Open and rewritten (atomically) on Close/Flush when something
// changed. Bytes are kept as they are (configuration files hold Windows-1252
// text); lines are written with CR LF on every platform.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvex::app {

// The decimal value of a text as values have always been read (atoi): leading
// blanks, an optional sign, the digits up to the first other character; no
// digits give 0; values beyond the int range clamp.
int parseDecimal(std::string_view text);

// One section of an INI text. keys and values are parallel arrays; a comment
// line and a line without "=" are kept as one entry whose key is the whole
// line (verbatim[i] set), so they are written back exactly as read.
struct IniSection {
    std::string name;
    std::vector<std::string> keys;
    std::vector<std::string> values;
    std::vector<bool> verbatim;
    // Letter-case-folded key -> index of its last entry, so lookups in large
    // sections (the 384 keys of a key table) do not scan. Built on the first
    // lookup: parsing a large file must not pay for sections nobody asks.
    mutable std::unordered_map<std::string, size_t> lastEntry;
    mutable bool indexed = false;

    void append(std::string key, std::string value, bool isVerbatim);
    void clear();
    // Index of the last entry whose folded key is foldedKey, or -1.
    int lastIndexOf(const std::string &foldedKey) const;
};

class IniFile {
public:
    IniFile() = default;
    virtual ~IniFile();
    IniFile(const IniFile &) = delete;
    IniFile &operator=(const IniFile &) = delete;
    // A move hands over the content and the pending rewrite; the source is
    // left empty with no file.
    IniFile(IniFile &&other) noexcept;
    IniFile &operator=(IniFile &&other) noexcept;

    // Closes any open file first (writing it back when due), then reads and
    // parses path. writable: Close/Flush rewrite the file when modified.
    // create: a missing file is no failure; it starts empty and is written on
    // the first rewrite. False when the file cannot be opened (missing without
    // create, a directory, no permission) or is larger than sizeLimit(). A
    // read error after opening leaves what was read, sets errorText() and
    // still returns true.
    bool open(const std::string &path, bool writable, bool create, bool ignoreCase);

    // Configuration and key-table files are a few kilobytes; a larger file is
    // refused before it is read, so a wrong file cannot take the memory.
    static constexpr std::size_t kDefaultSizeLimit = std::size_t{1} << 20;
    std::size_t sizeLimit() const { return sizeLimit_; }
    // 0: no limit (the settings file, which holds whatever other programs add).
    void setSizeLimit(std::size_t bytes) { sizeLimit_ = bytes; }

    // Parses INI text held in memory, exactly as Open parses a file; the
    // text replaces the content held (path and flags stay). A UTF-8 byte
    // order mark before the first line is skipped.
    bool parseText(std::string_view text);

    // Whether the text read ended inside a line (no line break after its
    // last line): a file cut off while being written.
    bool endsMidLine() const { return endsMidLine_; }

    // Value of the last key named key in the first section named section;
    // def when either is missing.
    std::string getString(std::string_view section, std::string_view key, std::string_view def = {}) const;
    // Decimal value (leading blanks and a sign allowed, digits up to the first
    // other character, "abc" is 0, clamped to the int range); def when the
    // key is missing or its value is empty.
    int getInt(std::string_view section, std::string_view key, int def) const;

    // Appends the section at the end when missing, the key at the end of the
    // section when missing, else replaces the value of its last occurrence.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInt(std::string_view section, std::string_view key, int value);

    bool hasSection(std::string_view section) const;
    // Removes every key of every section with that name; the headers stay
    // where they are, so rewriting the section keeps the file's order.
    void clearSection(std::string_view section);
    bool hasKey(std::string_view section, std::string_view key) const;
    // Removes every section with that name, header and keys.
    void removeSection(std::string_view section);

    // Writes the content back now when the object is writable and modified.
    // True when nothing was due or the file was replaced; false (errorText()
    // set, modified kept) when the rewrite failed; the old file is untouched.
    bool flush();
    // Flush, then drops the content and forgets the path. Returns Flush's result.
    bool close();

    // The text a rewrite produces: CR LF line ends, sections and keys in order.
    std::string serialize() const;

    const std::vector<IniSection> &sections() const { return sections_; }
    const std::string &path() const { return path_; }
    bool ignoreCase() const { return ignoreCase_; }
    void setIgnoreCase(bool on) { ignoreCase_ = on; }
    bool writeBack() const { return writeBack_; }
    bool modified() const { return modified_; }
    const std::string &errorText() const { return errorText_; }

protected:
    std::vector<IniSection> sections_{IniSection{}};
    int currentSection_ = 0;
    std::string path_;
    bool ignoreCase_ = true;
    bool writeBack_ = false;
    bool modified_ = false;
    bool endsMidLine_ = false;
    std::size_t sizeLimit_ = kDefaultSizeLimit;
    std::string errorText_;

private:
    bool sameName(std::string_view a, std::string_view b) const;
    int findSection(std::string_view name) const;
    int findKey(const IniSection &section, std::string_view key) const;
    void setError(std::string text);
    void reset();
};

// An INI file opened for reading and writing, created when missing, names
// compared without regard to letter case. ok() tells whether Open succeeded.
class ProfileFile : public IniFile {
public:
    explicit ProfileFile(const std::string &path);
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

}  // namespace orvex::app
