// The reader core's answers per frame variant, checked against frames built from the
// protocol rules (checksum.h), without any terminal.
#include <gtest/gtest.h>

#include "host_port.h"
#include "link/frame.h"
#include "sim/frame_codec.h"
#include "params/key_table.h"
#include "sim/reader_core.h"

namespace orvex::sim::test {
namespace {

Options withVariant(int variant, std::string version = "1245") {
    Options o;
    o.variant = variant;
    o.versionAnswer = version;
    return o;
}

// Everything the core sends back for these bytes.
Bytes answer(ReaderCore &core, const Bytes &request, Clock::time_point at = Clock::now()) {
    Bytes out;
    for (const auto &t : core.receive(request.data(), request.size(), at))
        out.insert(out.end(), t.bytes.begin(), t.bytes.end());
    return out;
}

struct ExchangeCase {
    const char *name;
    int variant;
    std::string version;
    Bytes request;
    Bytes expected;
};

class Exchange : public ::testing::TestWithParam<ExchangeCase> {};

TEST_P(Exchange, AnswersWithTheVariantsFrame) {
    const auto &c = GetParam();
    ReaderCore core(withVariant(c.variant, c.version));
    EXPECT_EQ(answer(core, c.request), c.expected);
}

const Bytes kFactoryParameter = {0x00, 10, '?', 5};

INSTANTIATE_TEST_SUITE_P(
    Variants, Exchange,
    ::testing::Values(
        ExchangeCase{
            "StxVersion", 0, "1245", {0x02, 0x01, 0xF0, 0x00, 0xF1}, stxFrame(1, 0x00, text("1245"))},
        ExchangeCase{"CrcVersion", 1, "1245", crcFrame(1, 0xF0, {}), crcFrame(1, 0x00, text("1245"))},
        // Variant 2: the marker 04 05 31 35 sends the host for the full version with "FV".
        ExchangeCase{"CompactAVersionMarker",
                     2,
                     "1245",
                     {0x1E, 0x0B, 0x00},
                     compactFrame(0x0B, {0x04, 0x05, 0x31, 0x35})},
        ExchangeCase{
            "CompactAFullVersion", 2, "1245", {0x1E, 0x0B, 0x02, 'F', 'V'}, compactFrame(0x0B, text("1245"))},
        ExchangeCase{"CompactAOldFirmware",
                     2,
                     "1713",
                     {0x1E, 0x0B, 0x00},
                     compactFrame(0x0B, {0x04, 0x05, 0x31, '3'})},
        ExchangeCase{"CompactBVersion",
                     3,
                     "1172",
                     {0x1E, 0x60, 0x00},
                     compactFrame(0x60, {0x01, 0x00, 0x00, 0x00, '1', '1', '7', '2', 0x00})},
        ExchangeCase{"StxParameterRead", 0, "1245", stxFrame(1, 0x8E, {}),
                     stxFrame(1, 0x00, kFactoryParameter)},
        ExchangeCase{"CrcEmptyPrefix", 1, "1245", crcFrame(1, 0x8A, {}), crcFrame(1, 0x00, {0xFF})},
        ExchangeCase{"CompactParameterRead", 3, "1245", compactFrame(0x8E, {}),
                     compactFrame(0x8E, kFactoryParameter)},
        // Translated codes: 0x0E without data reads the device settings (0xFA).
        ExchangeCase{"CompactASettingsRead", 2, "1245", compactFrame(0x0E, {}),
                     compactFrame(0x0E, {0x01, 0x00})},
        // Power-on mode query: bit 7 marks a valid mode, factory mode 1 (reading).
        ExchangeCase{"StxPowerOnQuery", 0, "1245", stxFrame(1, 0xF4, {}), stxFrame(1, 0x00, {0x81})},
        ExchangeCase{"StxDtrQuery", 0, "1245", stxFrame(1, 0xFE, {}), stxFrame(1, 0x00, {0x00})},
        ExchangeCase{"StxOptionRead", 0, "1245", stxFrame(1, 0x24, {}), stxFrame(1, 0x00, {0x03})},
        // Refusals: unknown commands status 3 / reply 0xCC, bad data status 25.
        ExchangeCase{"StxUnknown", 0, "1245", stxFrame(1, 0x55, {}), stxFrame(1, 0x03, {})},
        ExchangeCase{"StxShortKey", 0, "1245", stxFrame(1, 0x80, {0x00, 1, 2, 3, 4, 5}), stxFrame(1, 25, {})},
        ExchangeCase{"StxBadRateCode", 0, "1245", stxFrame(1, 0xF2, {0x0B}), stxFrame(1, 25, {})},
        ExchangeCase{"CompactFieldCommandUnknown", 2, "1245", {0x1E, 0x0D, 0x00}, compactFrame(0xCC, {})},
        // Requests for another bus address, or with a wrong check, get no answer.
        ExchangeCase{"StxOtherAddress", 0, "1245", stxFrame(2, 0xF0, {}), {}},
        ExchangeCase{"CrcOtherAddress", 1, "1245", crcFrame(2, 0xF0, {}), {}},
        ExchangeCase{"StxBadBcc", 0, "1245", {0x02, 0x01, 0xF0, 0x00, 0xF0}, {}},
        ExchangeCase{"CrcBadCrc", 1, "1245", {0x01, 0xF0, 0x00, 0x00, 0x00}, {}},
        // Noise before a frame is skipped.
        ExchangeCase{"StxAfterNoise",
                     0,
                     "1245",
                     {0x55, 0x02, 0x13, 0x02, 0x01, 0xF0, 0x00, 0xF1},
                     stxFrame(1, 0x00, text("1245"))},
        ExchangeCase{"CompactAfterNoise",
                     3,
                     "1245",
                     {0x00, 0x41, 0x1E, 0x8E, 0x00},
                     compactFrame(0x8E, kFactoryParameter)}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ReaderCore, CrcReaderResynchronisesAfterAPause) {
    // A variant 0 probe reads as the start of a long frame to a variant 1 reader; the pause
    // before the next request drops it.
    ReaderCore core(withVariant(1));
    auto t0 = Clock::now();
    EXPECT_TRUE(answer(core, stxFrame(1, 0xF0, {}), t0).empty());
    EXPECT_EQ(answer(core, crcFrame(1, 0xF0, {}), t0 + std::chrono::milliseconds(300)),
              crcFrame(1, 0x00, text("1245")));
}

TEST(ReaderCore, WritesAreReadBackInEveryVariant) {
    for (int variant = 0; variant <= 3; ++variant) {
        SCOPED_TRACE(variant);
        ReaderCore core(withVariant(variant));
        Bytes prefix = {0x41, 0x42, 0x0D, 0xFF};
        std::uint8_t ok = variant <= 1 ? 0x00 : 0x82;
        EXPECT_EQ(answer(core, frameOf(variant, 0x82, prefix)), frameOf(variant, ok, {}));
        EXPECT_EQ(answer(core, frameOf(variant, 0x8A, {})),
                  frameOf(variant, variant <= 1 ? 0x00 : 0x8A, prefix));
        EXPECT_EQ(core.state().prefix, prefix);
    }
}

TEST(ReaderCore, ChainedAnswersSplitLongBlocksIntoLinks) {
    Options o = withVariant(0);
    o.chained = true;
    ReaderCore core(o);
    Bytes prefix(20);
    for (std::size_t i = 0; i < prefix.size(); ++i) prefix[i] = static_cast<std::uint8_t>(0x30 + i);
    answer(core, stxFrame(1, 0x82, prefix));

    Bytes chain = {0x02, 0x01, 0x00, 0xFF, 16};
    chain.insert(chain.end(), prefix.begin(), prefix.begin() + 16);
    chain.push_back(4);
    chain.insert(chain.end(), prefix.begin() + 16, prefix.end());
    chain.push_back(0xFF);
    chain.push_back(orvex::bcc(chain.data() + 1, chain.size() - 1));
    EXPECT_EQ(answer(core, stxFrame(1, 0x8A, {})), chain);
    // Answers that are not block reads keep the plain format.
    EXPECT_EQ(answer(core, stxFrame(1, 0xF0, {})), stxFrame(1, 0x00, text("1245")));
}

// What the host's frame code takes from a chained answer is the block the
// reader holds, without the link lengths, in every variant.
TEST(ReaderCore, ChainedAnswersReadBackAsTheBlock) {
    const Bytes blocks[] = {{0x51, 0xFF}, Bytes(20, 0x33), {0xFF}};
    for (int variant = 0; variant <= 3; ++variant) {
        for (const Bytes &block : blocks) {
            const Bytes frame = encodeResponse(variant, 1, variant <= 1 ? 0x00 : 0x8A, block, true, false);
            const auto parsed = orvex::parseResponse(static_cast<orvex::FrameVariant>(variant), 0x8A, frame);
            EXPECT_TRUE(parsed.ok) << variant;
            EXPECT_EQ(parsed.data, block) << variant;
        }
    }
}

TEST(ReaderCore, BaudChangeTakesEffectAfterTheAnswer) {
    ReaderCore core(withVariant(0));
    auto answers = core.receive(stxFrame(1, 0xF2, {0x16}).data(), 7, Clock::now());  // 115200, even parity
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].bytes, stxFrame(1, 0x00, {}));
    EXPECT_EQ(core.line().rate, 19200);
    core.transmitted(answers[0]);
    EXPECT_EQ(core.line().rate, 115200);
    EXPECT_EQ(core.line().parity, LineParity::Even);
    EXPECT_EQ(core.state().baud, 115201);
}

TEST(ReaderCore, FaultOptionsShapeTheAnswers) {
    Options o = withVariant(0);
    o.garbage = 3;
    o.dropEvery = 2;
    o.hangupAfter = 3;
    o.delayMs = 40;
    ReaderCore core(o);
    auto first = core.receive(stxFrame(1, 0xF0, {}).data(), 5, Clock::now());
    ASSERT_EQ(first.size(), 1u);
    Bytes expected = {0x00, 0x00, 0x00};
    Bytes frame = stxFrame(1, 0x00, text("1245"));
    expected.insert(expected.end(), frame.begin(), frame.end());
    EXPECT_EQ(first[0].bytes, expected);
    EXPECT_EQ(first[0].delay, std::chrono::milliseconds(40));
    EXPECT_FALSE(first[0].hangupAfter);
    EXPECT_TRUE(core.receive(stxFrame(1, 0xF0, {}).data(), 5, Clock::now()).empty());  // 2nd dropped
    auto third = core.receive(stxFrame(1, 0xF0, {}).data(), 5, Clock::now());
    ASSERT_EQ(third.size(), 1u);
    EXPECT_EQ(third[0].hangupAfter, 3 + frame.size() / 2);
}

// Faults placed at one answer: noise, bad checks and delays from the Nth on,
// a line that jumps to another rate after the Nth.
TEST(ReaderCore, FaultsStartAtTheChosenAnswer) {
    Options o = withVariant(0);
    o.garbage = 2;
    o.badCheck = true;
    o.delayMs = 30;
    o.faultsFrom = 3;
    o.rateJumpAfter = 2;
    o.rateJumpTo = 38401;
    ReaderCore core(o);
    const Bytes clean = stxFrame(1, 0x00, text("1245"));
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        auto out = core.receive(stxFrame(1, 0xF0, {}).data(), 5, Clock::now());
        ASSERT_EQ(out.size(), 1u);
        const bool faulty = n >= 3;
        EXPECT_EQ(out[0].bytes.size(), clean.size() + (faulty ? 2u : 0u));
        EXPECT_EQ(out[0].bytes == clean, !faulty);
        EXPECT_EQ(out[0].delay, std::chrono::milliseconds(faulty ? 30 : 0));
        EXPECT_EQ(out[0].lineAfter.has_value(), n == 2);
        core.transmitted(out[0]);
    }
    EXPECT_EQ(core.line().rate, 38400);
    EXPECT_EQ(core.line().parity, LineParity::Even);
    EXPECT_EQ(core.state().baud, 19200) << "the state keeps the rate it was set to";
}

TEST(ReaderCore, ForcedStatusReplacesTheStatusAndBlocksFailedWrites) {
    struct Case {
        int variant;
        int status;
        bool writeTakesEffect;
    };
    for (Case c : {Case{0, 0x20, true}, Case{0, 0x07, false}, Case{1, 0x05, false}, Case{2, 0xA4, false},
                   Case{3, 0x82, true}}) {
        SCOPED_TRACE(c.status);
        Options o = withVariant(c.variant);
        o.status = c.status;
        ReaderCore core(o);
        Bytes prefix = {0x31, 0xFF};
        EXPECT_EQ(answer(core, frameOf(c.variant, 0x82, prefix)),
                  frameOf(c.variant, static_cast<std::uint8_t>(c.status), {}));
        EXPECT_EQ(core.state().prefix == prefix, c.writeTakesEffect);
    }
}

TEST(ReaderCore, BadCheckCorruptsBccAndCrc) {
    for (int variant : {0, 1}) {
        Options o = withVariant(variant);
        o.badCheck = true;
        ReaderCore core(o);
        Bytes good = frameOf(variant, 0x00, text("1245"));
        Bytes got = answer(core, frameOf(variant, 0xF0, {}));
        ASSERT_EQ(got.size(), good.size());
        EXPECT_TRUE(std::equal(good.begin(), good.end() - (variant == 0 ? 1 : 2), got.begin()));
        EXPECT_NE(got, good);
    }
}

TEST(ReaderCore, ReadingModeTakesRawRequestRelayAndBuzzerBytes) {
    Options o = withVariant(0);
    o.emit = text("1234\r");
    o.everyMs = 100;
    ReaderCore core(o);
    // Factory: output mode 2 with power-on mode 1, i.e. reading with output.
    ASSERT_TRUE(core.spontaneousOutput());
    EXPECT_EQ(answer(core, {'?'}), text("1234\r"));
    answer(core, {0x11, 0x13, 0x07, 0x41});
    EXPECT_EQ(core.state().relay, 2);
    EXPECT_EQ(core.state().buzzer, 1);

    // Programming mode: raw bytes mean nothing and nothing is sent unasked.
    EXPECT_EQ(answer(core, stxFrame(1, 0xF4, {0x00})), stxFrame(1, 0x00, {}));
    EXPECT_FALSE(core.spontaneousOutput());
    EXPECT_TRUE(answer(core, {'?', 0x07}).empty());
    EXPECT_EQ(core.state().buzzer, 1);

    // Mode 3 reads without output: it answers the request only.
    answer(core, stxFrame(1, 0xF4, {0x03}));
    EXPECT_FALSE(core.spontaneousOutput());
    EXPECT_EQ(answer(core, {'?'}), text("1234\r"));
}

TEST(ReaderCore, FactoryKeyTableTypesLikeTheHostLayout) {
    // Read the whole table as the key-table page does, one query per character; a factory
    // reader on a German host shows no difference.
    ReaderCore core(withVariant(0));
    orvex::app::KeyTable read;
    for (unsigned ch = orvex::app::kFirstKeyChar; ch <= orvex::app::kLastKeyChar; ++ch) {
        Bytes frame = answer(core, stxFrame(1, 0x11, {static_cast<std::uint8_t>(ch)}));
        ASSERT_EQ(frame.size(), 9u) << ch;
        orvex::app::applyKeyQueryAnswer(read, static_cast<std::uint8_t>(ch),
                                        Bytes(frame.begin() + 4, frame.end() - 1));
    }
    std::vector<std::string> differences;
    EXPECT_EQ(orvex::app::countLayoutDifferences(read, orvex::app::hostKeyTable(), &differences), 0)
        << ::testing::PrintToString(differences);

    // A changed key is typed from then on; ESC closes the series without changing anything.
    EXPECT_EQ(answer(core, stxFrame(1, 0x12, {'y', 0x00, 0x1C})), stxFrame(1, 0x00, {}));
    EXPECT_EQ(answer(core, stxFrame(1, 0x12, {0x1B, 0x00, 0x29})), stxFrame(1, 0x00, {}));
    EXPECT_EQ(answer(core, stxFrame(1, 0x11, {'y'})), stxFrame(1, 0x00, {'y', 0x00, 0x00, 0x1C}));
    EXPECT_EQ(answer(core, stxFrame(1, 0x11, {' '})), stxFrame(1, 0x00, {' ', 0x00, 0xFF, 0xFF}));
}

}  // namespace
}  // namespace orvex::sim::test
