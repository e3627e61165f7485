#include "cli/terminal_text.h"

#include <cctype>

namespace orvex::cli {

std::string terminalLines(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string visibleControls(std::string_view utf8) {
    std::string out;
    for (unsigned char c : utf8) {
        if (c < 0x20 || c == 0x7F) {
            const char32_t symbol = c == 0x7F ? 0x2421 : 0x2400 + c;
            out += static_cast<char>(0xE0 | (symbol >> 12));
            out += static_cast<char>(0x80 | ((symbol >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (symbol & 0x3F));
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool parseHexBytes(std::string_view text, std::string &bytes) {
    bytes.clear();
    int pending = -1;
    auto digit = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    for (char c : text) {
        if (c == ' ' || c == ',' || c == ':' || c == '\t') {
            if (pending >= 0) return false;  // half a byte before a separator
            continue;
        }
        const int d = digit(c);
        if (d < 0) return false;
        if (pending < 0) {
            pending = d;
        } else {
            bytes += static_cast<char>(pending * 16 + d);
            pending = -1;
        }
    }
    return pending < 0 && !bytes.empty();
}

}  // namespace orvex::cli
