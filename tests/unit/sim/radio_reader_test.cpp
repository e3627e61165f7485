// The simulated dongle's radio readers as the command line gives them.
#include <gtest/gtest.h>

#include "sim/dongle/radio_reader.h"

namespace orvex::sim::dongle {
namespace {

TEST(RadioReader, ParsesNameAndOptions) {
    std::string error;
    auto radio =
        parseRadioReader("Orvex RT2851#7,address=0A0B0C0D0E0F,version=1541,drop=500,silent-name", 3, error);
    ASSERT_TRUE(radio) << error;
    EXPECT_EQ(radio->name, "Orvex RT2851#7");
    EXPECT_EQ(addressText(radio->address), "0A0B0C0D0E0F");
    EXPECT_EQ(radio->versionAnswer, "1541");
    EXPECT_EQ(radio->dropAfterMs, 500);
    EXPECT_TRUE(radio->silentName);

    auto plain = parseRadioReader("Phone,class=5A020C", 3, error);
    ASSERT_TRUE(plain);
    EXPECT_EQ(addressText(plain->address), "045B12258000");  // counted from the reader's index
    EXPECT_EQ(plain->deviceClass, 0x5A020Cu);
}

TEST(RadioReader, RefusesWhatIsNotValid) {
    for (const char *text : {"", ",drop=5", "R,address=0A0B", "R,address=0A0B0C0D0E0G", "R,drop=0",
                             "R,drop=x", "R,version=12", "R,class=", "R,silent-name=1", "R,colour=red"}) {
        std::string error;
        EXPECT_FALSE(parseRadioReader(text, 0, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

}  // namespace
}  // namespace orvex::sim::dongle
