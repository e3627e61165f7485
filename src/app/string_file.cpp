#include "app/string_file.h"

#include <charconv>

namespace orvex::app {
namespace {

std::string unescape(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case '\\':
                out += '\\';
                break;
            case '"':
                out += '"';
                break;
            default:
                out += '\\';
                out += value[i];
                break;
        }
    }
    return out;
}

enum class Section { None, Strings, Named };

}  // namespace

std::size_t parseStringFile(std::string_view text, StringTable::Table &table) {
    // A UTF-8 byte order mark is allowed.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    Section section = Section::None;
    std::size_t count = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos || line[first] == ';' || line[first] == '#') continue;
        if (line[first] == '[') {
            const std::string_view name = line.substr(first);
            section = name.starts_with("[Strings]") ? Section::Strings
                      : name.starts_with("[Named]") ? Section::Named
                                                    : Section::None;
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || section == Section::None) continue;
        std::string_view key = line.substr(first, eq - first);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.remove_suffix(1);
        if (key.empty()) continue;
        std::string value = unescape(line.substr(eq + 1));
        if (section == Section::Strings) {
            int id = 0;
            const auto r = std::from_chars(key.data(), key.data() + key.size(), id);
            if (r.ec != std::errc() || r.ptr != key.data() + key.size()) continue;
            table.numbered[id] = std::move(value);
        } else {
            table.named[std::string(key)] = std::move(value);
        }
        ++count;
    }
    return count;
}

std::string escapeStringValue(std::string_view value) {
    std::string out;
    for (char c : value) {
        switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                out += c;
                break;
        }
    }
    const bool needsQuotes =
        !value.empty() && (value.front() == ' ' || value.back() == ' ' || value.front() == '"');
    return needsQuotes ? '"' + out + '"' : out;
}

}  // namespace orvex::app
