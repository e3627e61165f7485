#include "params/content_compare.h"

#include <gtest/gtest.h>

namespace orvex::app {
namespace {

using Bytes = std::vector<std::uint8_t>;

ReaderContent fullContent() {
    ReaderContent c;
    c.prefix = Bytes{0x02};
    c.suffix = Bytes{0x0D, 0x0A};
    c.removal = Bytes{};
    c.separator = Bytes{0x2C};
    c.dataFormat = Bytes(11, 0x01);
    c.parameters = Bytes{0x00, 0x01, 0x02, 0x03};
    return c;
}

TEST(ContentCompare, SameContentHasNoDifference) {
    EXPECT_TRUE(differingBlocks(fullContent(), fullContent()).empty());
}

TEST(ContentCompare, DifferencesComeInProgrammingOrder) {
    const ReaderContent meant = fullContent();
    ReaderContent held = meant;
    held.separator = Bytes{0x3B};
    held.prefix = Bytes{0x03};
    held.parameters->back() = 0x04;
    EXPECT_EQ(differingBlocks(meant, held), (std::vector<std::string>{"Prefix", "Parameters", "Separator"}));
}

TEST(ContentCompare, UnreadBlockDiffersButUnmeantBlockIsSkipped) {
    ReaderContent meant = fullContent();
    meant.parameters.reset();  // a keyboard-wedge reader has none to compare
    ReaderContent held = fullContent();
    held.parameters = Bytes{0xFF};
    held.suffix.reset();  // the read stopped here
    held.removal.reset();
    EXPECT_EQ(differingBlocks(meant, held), (std::vector<std::string>{"Suffix", "Removal"}));
}

}  // namespace
}  // namespace orvex::app

namespace orvex::app {
namespace {

TEST(ContentCompare, PartsCoverSettingsAndWritesNobodyCanReadBack) {
    ReaderImage meant{fullContent(), {{"isoOption", {0x03}}, {"powerOn", {1}}}, {"keys"}};
    ReaderImage held{fullContent(), {{"powerOn", {1}}}, {}};
    held.blocks.suffix = std::vector<std::uint8_t>{0x0D};
    EXPECT_EQ(differingParts(meant, held), (std::vector<std::string>{"suffix", "isoOption", "keys"}));
    // After programming only what can be read back is checked.
    held = meant;
    EXPECT_TRUE(differingParts(meant, held, true).empty());
    held.settings.pop_back();  // the power-on mode did not come back
    EXPECT_EQ(differingParts(meant, held, true), std::vector<std::string>{"powerOn"});
}

}  // namespace
}  // namespace orvex::app
