// User-visible texts: numbered entries (and named ones where no number is
// given), German built in, English loaded at run time from
// OrvexReaderSetupEng.ini. Every text of the GUI and the CLI comes from here.
// Texts are UTF-8. Lookups are thread-safe, and a returned reference stays
// valid for the whole run, also across language switches.
#pragma once

#include "base/text_format.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvex::app {

enum class Language { German, English };

class StringTable {
public:
    static StringTable &instance();

    // UTF-8 text of entry id (or name) in the current language; falls back to
    // German, then to "#<id>" so a missing entry is visible, never empty.
    const std::string &text(int id) const;
    const std::string &text(std::string_view name) const;

    // True when the German table has the entry.
    bool has(int id) const;
    bool has(std::string_view name) const;

    // printf-style formatting of entry id with the given arguments (see
    // formatText: type-safe, locale-independent, %1 … %9 positional).
    template <typename... Args>
    std::string format(int id, const Args &...args) const {
        return formatText(text(id), {FormatArg(args)...});
    }
    template <typename... Args>
    std::string format(std::string_view name, const Args &...args) const {
        return formatText(text(name), {FormatArg(args)...});
    }

    // Loads the English table from path (default: defaultEnglishPath()) and
    // switches to English. False when the file is missing, unreadable or holds
    // no entry; German stays active and the caller shows message 545.
    // A translated entry whose placeholders differ from the German text's is
    // dropped (the German text is used), so a faulty file cannot garble a
    // formatted message.
    bool loadEnglish(const std::string &path = {});
    void useGerman();
    Language language() const;

    // $ORVEX_ENGLISH_STRINGS when set; else OrvexReaderSetupEng.ini in the
    // installed data folder, or in the source tree's resources/ when the
    // program runs uninstalled from its build folder.
    static std::string defaultEnglishPath();

    struct Table {
        std::unordered_map<int, std::string> numbered;
        std::map<std::string, std::string, std::less<>> named;
    };

private:
    StringTable();

    const std::string *lookup(const Table &table, int id) const;
    const std::string *lookup(const Table &table, std::string_view name) const;

    mutable std::mutex mutex_;
    Table german_;
    std::unique_ptr<Table> english_;
    // Tables replaced by a reload stay alive: callers may hold references.
    std::vector<std::unique_ptr<Table>> retired_;
    mutable Table missing_;
    Language language_ = Language::German;
};

// Shorthands for the current language.
inline const std::string &text(int id) { return StringTable::instance().text(id); }
inline const std::string &text(std::string_view name) { return StringTable::instance().text(name); }

}  // namespace orvex::app
