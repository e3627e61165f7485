// printf-style formatting of string-table texts with type-safe arguments.
// Texts come partly from a file loaded at run time, so a conversion that does
// not match its argument must never read the wrong type: every argument
// carries its kind and each conversion converts what it gets. Output is
// independent of the C locale (a decimal point is always ".").
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace orvex::app {

class FormatArg {
public:
    template <typename T>
        requires std::is_integral_v<T>
    FormatArg(T v)  // NOLINT(google-explicit-constructor): used in argument packs
    {
        if constexpr (std::is_signed_v<T>)
            value_ = static_cast<std::int64_t>(v);
        else
            value_ = static_cast<std::uint64_t>(v);
    }
    FormatArg(double v) : value_(v) {}
    FormatArg(float v) : value_(static_cast<double>(v)) {}
    FormatArg(const char *v) : value_(std::string(v ? v : "")) {}
    FormatArg(std::string_view v) : value_(std::string(v)) {}
    FormatArg(const std::string &v) : value_(v) {}

    const std::variant<std::int64_t, std::uint64_t, double, std::string> &value() const { return value_; }

private:
    std::variant<std::int64_t, std::uint64_t, double, std::string> value_;
};

// Conversions: %d %i %u %x %X %o %c %s %f %e %E %g %G with flags "-+ 0#",
// width, precision and length modifiers (h, l, ll, I64, z, j: all ignored),
// "%%", and the positional placeholders %1 … %9 of the standard validation
// messages. %c of a byte 0x80-0xFF is a Windows-1252 character. A missing
// argument formats as nothing.
std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args);

// The kinds of placeholders a text expects, for comparing a translation with
// the original: printf conversions in order ("n" number, "c" character,
// "s" text, "f" real), then the positional numbers in ascending order.
std::string FormatSignature(std::string_view format);

}  // namespace orvex::app
