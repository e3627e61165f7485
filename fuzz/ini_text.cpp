// INI text parser: any bytes parse, and what a rewrite produces reads back to
// the same content (writing a parsed file twice gives the same bytes).
#include "base/ini_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string_view text(reinterpret_cast<const char *>(data), size);
    orvex::app::IniFile ini;
    ini.parseText(text);

    // Lookups with names taken from the input itself.
    for (const auto &section : ini.sections())
        for (const auto &key : section.keys) {
            ini.getString(section.name, key, "d");
            ini.getInt(section.name, key, 0);
        }

    const std::string once = ini.serialize();
    orvex::app::IniFile again;
    again.parseText(once);
    if (again.serialize() != once) std::abort();

    // Names and values from the input: whatever they hold, the result is
    // still a text of whole lines.
    ini.writeString(text.substr(0, size / 3), text.substr(size / 3, size / 3), text.substr(2 * size / 3));
    again.parseText(ini.serialize());
    return 0;
}
