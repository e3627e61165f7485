#include "app/string_table.h"
#include "params/content_report.h"

#include <gtest/gtest.h>

namespace orvex::app {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kSequences =
    " Prefix            : 02 \r\n"
    " Suffix            : 0D 0A \r\n"
    " Abziehen          : \r\n"
    " Block Trenner     : 2C \r\n"
    " -------------------------------------------------\r\n ";

ReaderContent sequences() {
    ReaderContent c;
    c.prefix = Bytes{0x02, 0xFF, 0x41};  // the dump stops at FF
    c.suffix = Bytes{0x0D, 0x0A, 0xFF};
    c.removal = Bytes{0xFF};
    c.separator = Bytes{0x2C, 0xFF};
    return c;
}

TEST(ContentReport, LabelRule) {
    EXPECT_EQ(reportLabel(500), "Prefix            : ");
    EXPECT_EQ(reportLabel(606), "App ID            : ");
    EXPECT_EQ(reportLabel(543), "Zeichenzahl       : %d\r\n");  // already in this form
    EXPECT_EQ(reportLabel(539),
              "Einzelbl\xC3\xB6"
              "cke      : ");  // padded by characters, not bytes
    EXPECT_EQ(reportLabelOf("A very long label text: x"), "A very long label text: x");
}

TEST(ContentReport, SerialReaderWithTwoDataSets) {
    ReaderContent c = sequences();
    Bytes block(40, 0);
    // Data set 1: MIFARE single blocks 7 and 9, bytes reversed and left-aligned.
    const Bytes set1 = {0, 0xA3, 7, 9, 0xFF, 0xFF, 0xFF, 0, 10, 0, 0, 0, 0, 0, 0, 0};
    // Data set 2: DESFire file, application 12AB, file 5, ASCII without NUL bytes.
    const Bytes set2 = {0, 0x07, 0xAB, 0x12, 0x00, 0x05, 0xFF, 5, 32, 0, 0, 16, 2, 0, 0, 0};
    std::copy(set1.begin(), set1.end(), block.begin());
    std::copy(set2.begin(), set2.end(), block.begin() + 20);
    c.dataFormat = block;
    c.parameters = Bytes{0x13, 10, 0x1B, 5};

    const std::string expected = kSequences +
                                 "Datenformat       : Block Mifare gedreht\r\n "
                                 "Einzelbl\xC3\xB6"
                                 "cke      : 7 9 \r\n "
                                 "Darstellung       : Hex (0-9,ABCDEF)\r\n "
                                 "Zeichenzahl       : 10\r\n "
                                 "Benutzte Bytes    : 1 - 5\r\n "
                                 "-------------------------------------------------\r\n "
                                 "Datenformat       : File DESFire\r\n "
                                 "App ID            : 0012AB\r\n "
                                 "File ID           : 05\r\n "
                                 "Darstellung       : Unbekannt (5)\r\n "
                                 "Zeichenzahl       : 32\r\n "
                                 "Benutzte Bytes    : 2 - 16\r\n "
                                 "-------------------------------------------------\r\n "
                                 "Mode              : 3\r\n "
                                 "Sensor            : aktiv\r\n "
                                 "Zykluszeit        : 1000 Millisekunden\r\n "
                                 "Aufforderung      : ?\r\n "
                                 "Timeout           : 500 Millisekunden \r\n ";
    EXPECT_EQ(buildContentReport(c, CAP_TWO_DATA_BLOCKS), expected);
}

TEST(ContentReport, KeyboardWedgeReader) {
    ReaderContent c = sequences();
    c.dataFormat = Bytes{5, 1, 3, 12, 0xFF, 0xFF, 0xFF, 4, 8, 2, 5};
    const std::string expected = kSequences +
                                 "Verz\xC3\xB6gerung       : 2.5  Millisekunden \r\n "
                                 "Datenformat       : Bloecke \r\n "
                                 "Einzelbl\xC3\xB6"
                                 "cke      : 3 12 \r\n "
                                 "Darstellung       : Hex (0-9,abcdef)\r\n "
                                 "Zeichenzahl       : 8\r\n "
                                 "Sendefrequenz     : 13 kHz\r\n "
                                 "Timeout           : 180 Millisekunden \r\n ";
    EXPECT_EQ(buildContentReport(c, CAP_PS2), expected);

    c.dataFormat = Bytes(10, 0);
    EXPECT_EQ(buildContentReport(c, CAP_PS2), kSequences + "Parameter l\xC3\xA4nge nicht korrekt\r\n");
}

TEST(ContentReport, ReportEndsAtTheFirstFailedRead) {
    ReaderContent c;
    EXPECT_EQ(buildContentReport(c, 0), " Prefix            : ");
    c = sequences();
    c.separator.reset();
    EXPECT_EQ(buildContentReport(c, 0),
              kSequences.substr(0, kSequences.find(" Block")) + " Block Trenner     : ");
    c = sequences();
    c.dataFormat = Bytes(16, 0);
    EXPECT_EQ(buildContentReport(c, 0), kSequences);  // parameter block missing
    EXPECT_EQ(readErrorText(0x0B), "Lesefehler : 0BHex");
}

TEST(ContentReport, DataSetEdgeCases) {
    struct Case {
        const char *name;
        Bytes image;
        std::string expectedPart;
    };
    const Case cases[] = {
        {"bits reversed, left-aligned not reported",
         {0, 0x63, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 3, 4, 0, 0, 9},
         "Block Mifare Bitweise drehen\r\n Einzelbl\xC3\xB6"
         "cke      : \r\n Darstellung       : Dezimal (ohne Nullen)\r\n"},
        {"block sequence",
         {0, 0x09, 0x2C, 0x01, 0x10, 0xFF, 0xFF, 1, 4, 0, 0},
         "Startblock        : 300\r\n L\xC3\xA4nge             : 16\r\n Darstellung       : Dezimal\r\n"},
        {"unknown type",
         {0, 0x1F, 0, 0, 0, 0, 0xFF, 2, 4, 0, 0},
         "Datenformat       : Def. unkown\r\n Darstellung       : ASCII\r\n"},
        {"used bytes from the image",
         {0, 0x02, 0, 0, 0, 0, 0xFF, 0, 4, 0, 0, 7, 3},
         "Benutzte Bytes    : 3 - 7\r\n"},
    };
    for (const auto &c : cases)
        EXPECT_NE(dataSetReport(c.image).find(c.expectedPart), std::string::npos)
            << c.name << ": " << dataSetReport(c.image);

    // Short parameter block: missing bytes are reported as 0.
    const std::string serial = serialReport(Bytes(12, 0), Bytes{0x02});
    EXPECT_NE(serial.find("Mode              : 2\r\n Sensor            : inaktiv\r\n Zykluszeit        : 0 "),
              std::string::npos);
    EXPECT_EQ(serialReport(Bytes(10, 0), Bytes(4, 0)), "Parameter l\xC3\xA4nge nicht korrekt\r\n");
}

TEST(ContentReport, EnglishLabelsFollowTheSameRule) {
    auto &strings = StringTable::instance();
    ASSERT_TRUE(strings.loadEnglish(std::string(ORVEX_SOURCE_DIR) + "/resources/OrvexReaderSetupEng.ini"));
    ReaderContent c;
    c.prefix = Bytes{0x41};
    c.suffix = Bytes{};
    const std::string report = buildContentReport(c, 0);
    strings.useGerman();
    EXPECT_EQ(report, " Prefix            : 41 \r\n Suffix            : \r\n Removal           : ");
}

}  // namespace
}  // namespace orvex::app
