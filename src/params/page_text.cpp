#include "params/page_text.h"

#include "app/string_table.h"

namespace orvex::app {

std::string PageString(int id) { return StringTable::instance().text(id); }

std::string PageText(std::string_view name, std::string_view german) {
    const StringTable &table = StringTable::instance();
    if (table.has(name)) return table.text(name);
    return std::string(german);
}

}  // namespace orvex::app
