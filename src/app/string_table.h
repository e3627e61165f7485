// User-visible texts: numbered entries (and named ones where no number is
// given), German built in, English loaded at run time from
// OrvexReaderSetupEng.ini. Every text of the GUI and the CLI comes from here.
#pragma once

#include <string>
#include <string_view>

namespace orvex::app {

enum class Language { German, English };

class StringTable {
public:
    static StringTable &instance();

    // UTF-8 text of entry id (or name) in the current language; falls back to
    // German, then to "#<id>" so a missing entry is visible, never empty.
    const std::string &text(int id) const;
    const std::string &text(std::string_view name) const;

    // printf-style formatting of entry id with the given arguments.
    template <typename... Args>
    std::string format(int id, Args... args) const;

    // Loads the English table from path (default: beside the program's data).
    // False when the file is missing or unreadable; German stays active and
    // the caller shows message 545.
    bool loadEnglish(const std::string &path = {});
    void useGerman();
    Language language() const;
};

}  // namespace orvex::app
