#include "base/cp1252.h"

#include <gtest/gtest.h>

namespace orvex::app {
namespace {

TEST(Cp1252, EveryByteSurvivesARoundTrip) {
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(one)), one) << b;
    }
}

TEST(Cp1252, KnownCharacters) {
    EXPECT_EQ(cp1252ToUtf8("\x80\xE4\x9F\xFF"), "\xE2\x82\xAC\xC3\xA4\xC5\xB8\xC3\xBF");  // € ä Ÿ ÿ
    EXPECT_EQ(cp1252CharToUtf8(0x81), "\xC2\x81");
    EXPECT_EQ(utf8ToCp1252("Gr\xC3\xB6\xC3\x9F"
                           "e \xE2\x82\xAC"),
              "Gr\xF6\xDF"
              "e \x80");
}

TEST(Cp1252, UnmappableAndMalformedInputBecomesReplacement) {
    EXPECT_EQ(utf8ToCp1252("\xE2\x86\x92"), "?");         // arrow: no Windows-1252 byte
    EXPECT_EQ(utf8ToCp1252("a\xC3"), "a?");               // truncated sequence
    EXPECT_EQ(utf8ToCp1252("\xC0\xAF"), "??");            // overlong encoding
    EXPECT_EQ(utf8ToCp1252("\xED\xA0\x80", '_'), "___");  // surrogate
    EXPECT_EQ(utf8Length("a\xC3\xA4\xFF"), 3u);
}

}  // namespace
}  // namespace orvex::app
