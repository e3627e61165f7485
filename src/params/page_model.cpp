#include "params/page_model.h"

#include <cctype>
#include <cstdlib>

#include "app/string_table.h"

namespace orvex::app {

std::string ValidationFailure::text() const {
    return insertArguments(StringTable::instance().text(messageId), args);
}

std::string insertArguments(const std::string &pattern, const std::vector<std::string> &args) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            std::size_t n = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (n < args.size()) {
                out += args[n];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

namespace {
std::string trim(const std::string &text) {
    std::size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
    return text.substr(b, e - b);
}
}  // namespace

std::optional<long> parseIntegerText(const std::string &text) {
    std::string t = trim(text);
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
    if (i == t.size()) return std::nullopt;
    long value = 0;
    for (std::size_t k = i; k < t.size(); ++k) {
        if (!std::isdigit(static_cast<unsigned char>(t[k]))) return std::nullopt;
        if (value < 100000000L) value = value * 10 + (t[k] - '0');
    }
    return t[0] == '-' ? -value : value;
}

std::optional<double> parseNumberText(const std::string &text) {
    std::string t = trim(text);
    for (char &c : t)
        if (c == ',') c = '.';
    if (t.empty()) return std::nullopt;
    char *end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (end == t.c_str() || *end != '\0') return std::nullopt;
    return v;
}

long leadingDecimal(const std::string &text) {
    long value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) break;
        if (value < 100000000L) value = value * 10 + (c - '0');
    }
    return value;
}

Validation checkIntegerField(const std::string &field, const std::string &text, long min, long max,
                             long *value) {
    auto v = parseIntegerText(text);
    if (!v) return ValidationFailure{MsgEnterInteger, {}, field, 0};
    if (*v < min || *v > max)
        return ValidationFailure{MsgIntegerBetween, {std::to_string(min), std::to_string(max)}, field, 0};
    if (value) *value = *v;
    return std::nullopt;
}

}  // namespace orvex::app
