// The English string table is a file loaded at run time, and its texts are
// used as message formats: parsing any text and formatting any entry with
// any arguments must stay in bounds.
#include "app/string_file.h"
#include "base/text_format.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace orvex::app;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    StringTable::Table table;
    parseStringFile(text, table);
    for (const auto &[id, value] : table.numbered) {
        formatSignature(value);
        formatText(value, {id, -1, 2.5, "text", static_cast<char>(0xE4)});
        formatText(value, {});
    }
    for (const auto &[name, value] : table.named) formatText(value, {name, 0u});
    formatText(text, {1, "x", 0.1});
    return 0;
}
