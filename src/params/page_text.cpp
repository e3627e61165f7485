#include "params/page_text.h"

#include "app/string_table.h"

namespace orvex::app {

std::string pageString(int id) { return StringTable::instance().text(id); }

std::string pageText(std::string_view name, std::string_view german) {
    const StringTable &table = StringTable::instance();
    if (table.has(name)) return table.text(name);
    return std::string(german);
}

}  // namespace orvex::app
