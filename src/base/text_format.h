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

namespace orvex::app {

class FormatArg {
public:
    enum class Kind { Signed, Unsigned, Real, Text };

    template <typename T>
    requires std::is_integral_v<T> FormatArg(
        T v)  // NOLINT(google-explicit-constructor): used in argument packs
    {
        if constexpr (std::is_signed_v<T>) {
            kind_ = Kind::Signed;
            signed_ = static_cast<std::int64_t>(v);
        } else {
            kind_ = Kind::Unsigned;
            unsigned_ = static_cast<std::uint64_t>(v);
        }
    }
    FormatArg(double v) : kind_(Kind::Real), real_(v) {}
    FormatArg(float v) : kind_(Kind::Real), real_(static_cast<double>(v)) {}
    FormatArg(const char *v) : kind_(Kind::Text), text_(v ? v : "") {}
    FormatArg(std::string_view v) : kind_(Kind::Text), text_(v) {}
    FormatArg(const std::string &v) : kind_(Kind::Text), text_(v) {}

    Kind kind() const { return kind_; }
    std::int64_t signedValue() const { return signed_; }
    std::uint64_t unsignedValue() const { return unsigned_; }
    double realValue() const { return real_; }
    const std::string &textValue() const { return text_; }

private:
    // Plain members rather than a variant: GCC's uninitialised-use analysis
    // misreads variants holding strings inside initializer lists.
    Kind kind_ = Kind::Signed;
    std::int64_t signed_ = 0;
    std::uint64_t unsigned_ = 0;
    double real_ = 0;
    std::string text_;
};

// Conversions: %d %i %u %x %X %o %c %s %f %e %E %g %G with flags "-+ 0#",
// width, precision and length modifiers (h, l, ll, I64, z, j: all ignored),
// "%%", and the positional placeholders %1 … %9 of the standard validation
// messages. %c of a byte 0x80-0xFF is a Windows-1252 character. A missing
// argument formats as nothing.
std::string formatText(std::string_view format, std::initializer_list<FormatArg> args);

// The kinds of placeholders a text expects, for comparing a translation with
// the original: printf conversions in order ("n" number, "c" character,
// "s" text, "f" real), then the positional numbers in ascending order.
std::string formatSignature(std::string_view format);

}  // namespace orvex::app
