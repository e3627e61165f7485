// Windows-1252 <-> UTF-8. Texts inside the program are UTF-8; configuration
// files and reader bytes 0x80-0xFF (code names, request and type-identifier
// characters, key texts) are Windows-1252.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvex::app {

// Unicode code point of one Windows-1252 byte. The five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the
// same value, as Windows does, so every byte survives a round trip.
char32_t cp1252ToCodePoint(unsigned char byte);

// Windows-1252 byte of a code point; nullopt when the code page has none.
std::optional<unsigned char> codePointToCp1252(char32_t cp);

// UTF-8 text of one Windows-1252 byte (one to three bytes long).
std::string cp1252CharToUtf8(unsigned char byte);

std::string cp1252ToUtf8(std::string_view cp1252);

// Characters without a Windows-1252 byte and malformed UTF-8 sequences
// become `replacement`, one per character or per malformed byte.
std::string utf8ToCp1252(std::string_view utf8, char replacement = '?');

// Decodes the UTF-8 sequence at text[pos], advancing pos past it. A malformed
// or truncated sequence consumes one byte and yields nullopt.
std::optional<char32_t> nextUtf8CodePoint(std::string_view text, std::size_t &pos);

void appendUtf8(std::string &out, char32_t cp);

// Number of code points (malformed bytes count one each).
std::size_t utf8Length(std::string_view text);

}  // namespace orvex::app
