#include "base/text_format.h"

#include "base/cp1252.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

namespace orvex::app {
namespace {

// A hostile translation must not make us allocate gigabytes.
constexpr int kMaxWidth = 1024;

struct Conversion {
    bool left = false, plus = false, space = false, zero = false, alt = false;
    int width = 0;
    int precision = -1;
    char conversion = 0;
};

bool isConversion(char c) { return std::string_view("diuxXocsfeEgG").find(c) != std::string_view::npos; }

int readNumber(std::string_view f, std::size_t &i) {
    int value = 0;
    while (i < f.size() && f[i] >= '0' && f[i] <= '9') {
        value = std::min(value * 10 + (f[i] - '0'), kMaxWidth);
        ++i;
    }
    return value;
}

// Parses the conv after '%' starting at i; on success i is past the
// conversion character.
bool parseConversion(std::string_view f, std::size_t &i, Conversion &conv) {
    std::size_t j = i;
    for (; j < f.size(); ++j) {
        const char c = f[j];
        if (c == '-')
            conv.left = true;
        else if (c == '+')
            conv.plus = true;
        else if (c == ' ')
            conv.space = true;
        else if (c == '0')
            conv.zero = true;
        else if (c == '#')
            conv.alt = true;
        else
            break;
    }
    conv.width = readNumber(f, j);
    if (j < f.size() && f[j] == '.') {
        ++j;
        conv.precision = readNumber(f, j);
    }
    if (f.substr(j, 3) == "I64") j += 3;
    while (j < f.size() && std::string_view("hlLqjzt").find(f[j]) != std::string_view::npos) ++j;
    if (j >= f.size() || !isConversion(f[j])) return false;
    conv.conversion = f[j];
    i = j + 1;
    return true;
}

std::string pad(std::string body, const Conversion &conv, bool numeric) {
    const auto length = static_cast<int>(utf8Length(body));
    if (length >= conv.width) return body;
    const std::size_t fill = static_cast<std::size_t>(conv.width - length);
    if (conv.left) return body + std::string(fill, ' ');
    if (conv.zero && numeric) {
        // Zeros go after a sign or a 0x prefix.
        std::size_t at = 0;
        if (!body.empty() && (body[0] == '-' || body[0] == '+' || body[0] == ' ')) at = 1;
        if (body.size() >= at + 2 && body[at] == '0' && (body[at + 1] == 'x' || body[at + 1] == 'X')) at += 2;
        body.insert(at, fill, '0');
        return body;
    }
    return std::string(fill, ' ') + body;
}

std::int64_t asSigned(const FormatArg &arg) {
    switch (arg.kind()) {
        case FormatArg::Kind::Text: {
            std::int64_t parsed = 0;
            const std::string &v = arg.textValue();
            std::from_chars(v.data(), v.data() + v.size(), parsed);
            return parsed;
        }
        case FormatArg::Kind::Real: {
            const double v = arg.realValue();
            if (!std::isfinite(v)) return 0;
            return static_cast<std::int64_t>(std::clamp(v, -9.2e18, 9.2e18));
        }
        case FormatArg::Kind::Unsigned:
            return static_cast<std::int64_t>(arg.unsignedValue());
        case FormatArg::Kind::Signed:
            break;
    }
    return arg.signedValue();
}

std::uint64_t asUnsigned(const FormatArg &arg) {
    if (arg.kind() == FormatArg::Kind::Unsigned) return arg.unsignedValue();
    const std::int64_t s = asSigned(arg);
    // As with a C int argument: -1 shows as FFFFFFFF.
    if (s < 0 && s >= std::numeric_limits<std::int32_t>::min()) return static_cast<std::uint32_t>(s);
    return static_cast<std::uint64_t>(s);
}

double asReal(const FormatArg &arg) {
    switch (arg.kind()) {
        case FormatArg::Kind::Real:
            return arg.realValue();
        case FormatArg::Kind::Text: {
            double parsed = 0;
            const std::string &v = arg.textValue();
            std::from_chars(v.data(), v.data() + v.size(), parsed);
            return parsed;
        }
        case FormatArg::Kind::Unsigned:
            return static_cast<double>(arg.unsignedValue());
        case FormatArg::Kind::Signed:
            break;
    }
    return static_cast<double>(arg.signedValue());
}

std::string asText(const FormatArg &arg) {
    char buf[64];
    std::to_chars_result r{};
    switch (arg.kind()) {
        case FormatArg::Kind::Text:
            return arg.textValue();
        case FormatArg::Kind::Real:
            r = std::to_chars(buf, buf + sizeof buf, arg.realValue());
            break;
        case FormatArg::Kind::Unsigned:
            r = std::to_chars(buf, buf + sizeof buf, arg.unsignedValue());
            break;
        case FormatArg::Kind::Signed:
            r = std::to_chars(buf, buf + sizeof buf, arg.signedValue());
            break;
    }
    return std::string(buf, r.ptr);
}

std::string digits(std::uint64_t value, int base, bool upper) {
    char buf[72];
    auto r = std::to_chars(buf, buf + sizeof buf, value, base);
    std::string s(buf, r.ptr);
    if (upper)
        std::transform(s.begin(), s.end(), s.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; });
    return s;
}

std::string formatInteger(const Conversion &conv, const FormatArg &arg) {
    const char c = conv.conversion;
    std::string sign;
    std::string digitText;
    std::string prefix;
    if (c == 'd' || c == 'i') {
        const std::int64_t v = asSigned(arg);
        const std::uint64_t magnitude =
            v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
        digitText = digits(magnitude, 10, false);
        sign = v < 0 ? "-" : conv.plus ? "+" : conv.space ? " " : "";
    } else {
        const std::uint64_t v = asUnsigned(arg);
        const int base = c == 'u' ? 10 : c == 'o' ? 8 : 16;
        digitText = digits(v, base, c == 'X');
        if (conv.alt && v != 0 && base == 16) prefix = c == 'X' ? "0X" : "0x";
        if (conv.alt && base == 8 && digitText[0] != '0') prefix = "0";
    }
    if (conv.precision >= 0) {
        if (conv.precision == 0 && digitText == "0") digitText.clear();
        if (static_cast<int>(digitText.size()) < conv.precision)
            digitText.insert(0, static_cast<std::size_t>(conv.precision) - digitText.size(), '0');
    }
    Conversion padding = conv;
    if (conv.precision >= 0) padding.zero = false;
    return pad(sign + prefix + digitText, padding, true);
}

std::string formatReal(const Conversion &conv, const FormatArg &arg) {
    const double v = asReal(arg);
    const int precision = conv.precision < 0 ? 6 : conv.precision;
    std::chars_format style = std::chars_format::fixed;
    if (conv.conversion == 'e' || conv.conversion == 'E') style = std::chars_format::scientific;
    if (conv.conversion == 'g' || conv.conversion == 'G') style = std::chars_format::general;
    std::vector<char> buf(static_cast<std::size_t>(precision) + 400);
    auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v, style, precision);
    std::string body = r.ec == std::errc() ? std::string(buf.data(), r.ptr) : std::string("0");
    if (conv.conversion == 'E' || conv.conversion == 'G')
        std::transform(body.begin(), body.end(), body.begin(), [](char c) { return c == 'e' ? 'E' : c; });
    if (!body.empty() && body[0] != '-') body.insert(0, conv.plus ? "+" : conv.space ? " " : "");
    return pad(body, conv, std::isfinite(v));
}

std::string formatOne(const Conversion &conv, const FormatArg &arg) {
    switch (conv.conversion) {
        case 'c': {
            std::string body;
            if (arg.kind() == FormatArg::Kind::Text) {
                const std::string &s = arg.textValue();
                std::size_t pos = 0;
                if (!s.empty()) {
                    nextUtf8CodePoint(s, pos);
                    body = s.substr(0, pos);
                }
            } else {
                const auto byte = static_cast<unsigned char>(asSigned(arg) & 0xFF);
                if (byte != 0) body = cp1252CharToUtf8(byte);
            }
            return pad(body, conv, false);
        }
        case 's': {
            std::string body = asText(arg);
            if (conv.precision >= 0) {
                std::size_t pos = 0;
                for (int n = 0; n < conv.precision && pos < body.size(); ++n) nextUtf8CodePoint(body, pos);
                body.resize(pos);
            }
            return pad(body, conv, false);
        }
        case 'f':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
            return formatReal(conv, arg);
        default:
            return formatInteger(conv, arg);
    }
}

}  // namespace

std::string formatText(std::string_view f, std::initializer_list<FormatArg> args) {
    const FormatArg *argv = args.begin();
    const std::size_t argc = args.size();
    std::size_t next = 0;
    std::string out;
    out.reserve(f.size() + 16);
    for (std::size_t i = 0; i < f.size();) {
        if (f[i] != '%') {
            out += f[i++];
            continue;
        }
        if (i + 1 < f.size() && f[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        std::size_t j = i + 1;
        Conversion conv;
        if (parseConversion(f, j, conv)) {
            if (next < argc) out += formatOne(conv, argv[next]);
            ++next;
            i = j;
        } else if (i + 1 < f.size() && f[i + 1] >= '1' && f[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(f[i + 1] - '1');
            if (index < argc) out += asText(argv[index]);
            i += 2;
        } else {
            out += f[i++];
        }
    }
    return out;
}

std::string formatSignature(std::string_view f) {
    std::string ordered;
    std::string positional;
    for (std::size_t i = 0; i < f.size();) {
        if (f[i] != '%') {
            ++i;
            continue;
        }
        if (i + 1 < f.size() && f[i + 1] == '%') {
            i += 2;
            continue;
        }
        std::size_t j = i + 1;
        Conversion conv;
        if (parseConversion(f, j, conv)) {
            const char c = conv.conversion;
            ordered += c == 'c'                                                      ? 'c'
                       : c == 's'                                                    ? 's'
                       : std::string_view("feEgG").find(c) != std::string_view::npos ? 'f'
                                                                                     : 'n';
            i = j;
        } else if (i + 1 < f.size() && f[i + 1] >= '1' && f[i + 1] <= '9') {
            positional += f[i + 1];
            i += 2;
        } else {
            ++i;
        }
    }
    std::sort(positional.begin(), positional.end());
    return ordered + (positional.empty() ? "" : "|" + positional);
}

}  // namespace orvex::app
