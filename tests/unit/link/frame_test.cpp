// Request bytes and response parsing of the four frame variants.
#include <gtest/gtest.h>

#include <string>

#include "link/checksum.h"
#include "link/frame.h"
#include "orvex/orvex.h"

namespace orvex {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr auto V0 = FrameVariant::StxBcc;
constexpr auto V1 = FrameVariant::AddrCrc16;
constexpr auto V2 = FrameVariant::CompactA;
constexpr auto V3 = FrameVariant::CompactB;

Bytes withBcc(Bytes f) {
    f.push_back(bcc(f.data() + 1, f.size() - 1));
    return f;
}
Bytes withCrc(Bytes f) {
    const auto c = crc16Modbus(f.data(), f.size());
    f.push_back(static_cast<std::uint8_t>(c & 0xFF));
    f.push_back(static_cast<std::uint8_t>(c >> 8));
    return f;
}

TEST(Checksum, Crc16ModbusCheckValue) {
    const std::string check = "123456789";
    EXPECT_EQ(crc16Modbus(reinterpret_cast<const std::uint8_t *>(check.data()), check.size()), 0x4B37);
}

struct RequestCase {
    const char *what;
    FrameVariant variant;
    std::uint8_t address;
    Bytes request;
    Bytes frame;
    std::uint8_t lastCommand;
};

TEST(BuildFrame, ExactBytes) {
    const RequestCase cases[] = {
        {"version, STX", V0, 1, {0xF0}, {0x02, 0x01, 0xF0, 0x00, 0xF1}, 0xF0},
        {"version, CRC", V1, 1, {0xF0}, {0x01, 0xF0, 0x00, 0x64, 0x00}, 0xF0},
        {"data and address, STX",
         V0,
         5,
         {0x81, 0xAA, 0xBB},
         withBcc({0x02, 0x05, 0x81, 0x02, 0xAA, 0xBB}),
         0x81},
        {"data and address, CRC", V1, 7, {0x82, 0x10}, withCrc({0x07, 0x82, 0x01, 0x10}), 0x82},
        {"version, compact A", V2, 1, {0xF0}, {0x1E, 0x0B, 0x00}, 0x0B},
        {"version, compact B", V3, 1, {0xF0}, {0x1E, 0x60, 0x00}, 0x60},
        {"F5 0 -> 0D", V2, 1, {0xF5, 0x00}, {0x1E, 0x0D, 0x00}, 0x0D},
        {"F5 1 -> 0C", V2, 1, {0xF5, 0x01}, {0x1E, 0x0C, 0x00}, 0x0C},
        {"F5 in B", V3, 1, {0xF5, 0x00, 0x33}, {0x1E, 0x0D, 0x01, 0x33}, 0x0D},
        {"20 long family A", V2, 1, {0x20, 0x00, 0x21}, {0x1E, 0x28, 0x03, 0x01, 0x00, 0x21}, 0x28},
        {"20 other family A", V2, 1, {0x20, 0x00, 0x30}, {0x1E, 0x28, 0x03, 0x00, 0x00, 0x30}, 0x28},
        {"20 long family B", V3, 1, {0x20, 0x05, 0x29}, {0x1E, 0x21, 0x03, 0x08, 0x05, 0x29}, 0x21},
        {"20 other family B", V3, 1, {0x20, 0x05, 0x23}, {0x1E, 0x21, 0x03, 0x04, 0x05, 0x23}, 0x21},
        {"21", V3, 1, {0x21}, {0x1E, 0x29, 0x00}, 0x29},
        {"restart", V2, 1, {0xF6, 0, 0}, {0x1E, 0x07, 0x02, 0, 0}, 0x07},
        {"F9 A", V2, 1, {0xF9, 0x01}, {0x1E, 0x0E, 0x01, 0x01}, 0x0E},
        {"F9 B unchanged", V3, 1, {0xF9, 0x01}, {0x1E, 0xF9, 0x01, 0x01}, 0xF9},
        {"FF A", V2, 1, {0xFF, 0x02}, {0x1E, 0x0F, 0x01, 0x02}, 0x0F},
        {"FF B unchanged", V3, 1, {0xFF, 0x02}, {0x1E, 0xFF, 0x01, 0x02}, 0xFF},
        {"untranslated code", V2, 1, {0x89}, {0x1E, 0x89, 0x00}, 0x89},
    };
    for (const auto &c : cases) {
        const BuiltFrame f = buildFrame(c.variant, c.address, c.request);
        EXPECT_EQ(f.error, ORVEX_ERR_NONE) << c.what;
        EXPECT_EQ(f.bytes, c.frame) << c.what;
        EXPECT_EQ(f.lastCommand, c.lastCommand) << c.what;
    }
}

TEST(BuildFrame, RefusesEmptyAndOverlongRequests) {
    EXPECT_EQ(buildFrame(V0, 1, {}).error, ORVEX_ERR_EMPTY_REQUEST);
    Bytes longest(255, 0x11);  // command + 254 data bytes
    EXPECT_EQ(buildFrame(V0, 1, longest).error, ORVEX_ERR_NONE);
    EXPECT_EQ(buildFrame(V0, 1, longest).bytes[3], 254);
    longest.push_back(0);
    EXPECT_EQ(buildFrame(V0, 1, longest).error, ORVEX_ERR_LENGTH);
    // The compact selector byte counts too.
    Bytes block(255, 0x00);  // 254 data bytes
    block[0] = 0x20;
    EXPECT_EQ(buildFrame(V1, 1, block).error, ORVEX_ERR_NONE);
    EXPECT_EQ(buildFrame(V2, 1, block).error, ORVEX_ERR_LENGTH);
}

struct ResponseCase {
    const char *what;
    FrameVariant variant;
    std::uint8_t lastCommand;
    Bytes frame;
    bool ok;
    int error;
    Bytes data;
};

TEST(ParseResponse, StatusChecksAndStripping) {
    const Bytes version = {'1', '2', '4', '5'};
    const ResponseCase cases[] = {
        {"STX ok", V0, 0xF0, withBcc({0x02, 0x01, 0x00, 0x04, '1', '2', '4', '5'}), true, ORVEX_ERR_NONE,
         version},
        {"STX 0x20 accepted",
         V0,
         0xF0,
         withBcc({0x02, 0x01, 0x20, 0x01, 0x07}),
         true,
         ORVEX_ERR_STATUS_20,
         {0x07}},
        {"STX status 3", V0, 0xF0, withBcc({0x02, 0x01, 0x03, 0x00}), false, ORVEX_ERR_REPLY_CC, {}},
        {"STX status 25", V0, 0xF0, withBcc({0x02, 0x01, 25, 0x00}), false, ORVEX_ERR_REPLY_CC, {}},
        {"STX status 7", V0, 0xF0, withBcc({0x02, 0x01, 0x07, 0x00}), false, ORVEX_ERR_STATUS_7, {}},
        {"STX other status", V0, 0xF0, withBcc({0x02, 0x01, 0x05, 0x00}), false, 5, {}},
        {"STX bad BCC", V0, 0xF0, {0x02, 0x01, 0x00, 0x01, 0x07, 0x00}, false, ORVEX_ERR_CHECK, {}},
        {"CRC ok", V1, 0xF0, withCrc({0x01, 0x00, 0x04, '1', '2', '4', '5'}), true, ORVEX_ERR_NONE, version},
        {"CRC status", V1, 0xF0, withCrc({0x01, 0x09, 0x00}), false, 9, {}},
        {"CRC bad", V1, 0xF0, {0x01, 0x00, 0x00, 0x12, 0x34}, false, ORVEX_ERR_CHECK, {}},
        {"compact ok", V2, 0x0B, {0x1E, 0x0B, 0x04, '1', '2', '4', '5'}, true, ORVEX_ERR_NONE, version},
        {"compact host code as reply", V2, 0x0B, {0x1E, 0xF0, 0x00}, false, ORVEX_ERR_WRONG_REPLY, {}},
        {"compact A0", V2, 0x0B, {0x1E, 0xA0, 0x00}, false, ORVEX_ERR_REPLY_A0, {}},
        {"compact A4", V3, 0x60, {0x1E, 0xA4, 0x00}, false, ORVEX_ERR_REPLY_A4, {}},
        {"compact 88", V3, 0x60, {0x1E, 0x88, 0x00}, false, ORVEX_ERR_REPLY_88, {}},
        {"compact CC", V2, 0x0B, {0x1E, 0xCC, 0x00}, false, ORVEX_ERR_REPLY_CC, {}},
        {"compact C4", V2, 0x0B, {0x1E, 0xC4, 0x00}, false, ORVEX_ERR_REPLY_C4, {}},
        {"compact C5", V2, 0x0B, {0x1E, 0xC5, 0x00}, false, ORVEX_ERR_REPLY_C4, {}},
        {"STX chained",
         V0,
         0x89,
         withBcc({0x02, 0x01, 0x00, 0xFF, 0x02, 0xAA, 0xBB, 0x01, 0xCC, 0xFF}),
         true,
         ORVEX_ERR_NONE,
         {0xAA, 0xBB, 0xCC}},
        {"CRC chained",
         V1,
         0x89,
         withCrc({0x01, 0x00, 0xFF, 0x01, 0xAA, 0xFF}),
         true,
         ORVEX_ERR_NONE,
         {0xAA}},
        // A prefix block 51 FF in one link: the link length is no data byte.
        {"STX chained prefix",
         V0,
         0x8A,
         withBcc({0x02, 0x01, 0x00, 0xFF, 0x02, 0x51, 0xFF, 0xFF}),
         true,
         ORVEX_ERR_NONE,
         {0x51, 0xFF}},
        {"compact chained",
         V2,
         0x89,
         {0x1E, 0x89, 0xFF, 0x01, 0xAA, 0x00, 0xFF},
         true,
         ORVEX_ERR_NONE,
         {0xAA}},
        {"empty", V0, 0xF0, {}, false, ORVEX_ERR_EMPTY_RESPONSE, {}},
        {"truncated", V0, 0xF0, {0x02, 0x01, 0x00, 0x04, '1'}, false, ORVEX_ERR_CHECK, {}},
    };
    for (const auto &c : cases) {
        const ParsedResponse r = parseResponse(c.variant, c.lastCommand, c.frame);
        EXPECT_EQ(r.ok, c.ok) << c.what;
        EXPECT_EQ(r.error, c.error) << c.what;
        if (c.ok) {
            EXPECT_EQ(r.data, c.data) << c.what;
        }
    }
}

TEST(ScanFrame, SynchronisesOnStartByteExceptInCrcVariant) {
    const Bytes stx = withBcc({0x02, 0x01, 0x00, 0x01, 0x07});
    Bytes noisy = {0x55, 0x1E, 0x00};
    noisy.insert(noisy.end(), stx.begin(), stx.end());
    FrameScan s = scanFrame(V0, noisy);
    EXPECT_EQ(s.skip, 3u);
    EXPECT_EQ(s.length, stx.size());

    s = scanFrame(V2, Bytes{0x02, 0x99, 0x1E, 0x0B, 0x01, 0x35});
    EXPECT_EQ(s.skip, 2u);
    EXPECT_EQ(s.length, 4u);

    // Variant 1 has no start byte: garbage is read as the frame and fails its check.
    Bytes crc = {0x55};
    const Bytes good = withCrc({0x01, 0x00, 0x01, 0x07});
    crc.insert(crc.end(), good.begin(), good.end());
    s = scanFrame(V1, crc);
    EXPECT_EQ(s.skip, 0u);
    ASSERT_NE(s.length, 0u);
    EXPECT_EQ(parseResponse(V1, 0xF0, std::span(crc).first(s.length)).error, ORVEX_ERR_CHECK);
}

TEST(ScanFrame, HeaderAndCompletion) {
    const Bytes frame = withBcc({0x02, 0x01, 0x00, 0x02, 0x10, 0x20});
    for (std::size_t n = 0; n <= frame.size(); ++n) {
        const FrameScan s = scanFrame(V0, std::span(frame).first(n));
        EXPECT_EQ(s.header, n >= 4) << n;
        EXPECT_EQ(s.length, n == frame.size() ? frame.size() : 0u) << n;
    }
    // A chain is complete only with its closing 255 and the whole trailer.
    const Bytes chain = withCrc({0x01, 0x00, 0xFF, 0x01, 0xAA, 0xFF});
    for (std::size_t n = 0; n <= chain.size(); ++n)
        EXPECT_EQ(scanFrame(V1, std::span(chain).first(n)).length, n == chain.size() ? chain.size() : 0u)
            << n;
    // A length byte of 255 inside a chain block's data is data, not the end.
    const Bytes inner = {0x1E, 0x89, 0xFF, 0x02, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(scanFrame(V2, std::span(inner).first(6)).length, 0u);
    EXPECT_EQ(scanFrame(V2, inner).length, 7u);
    // Bytes after a complete frame are not part of it.
    Bytes extra = frame;
    extra.push_back(0x33);
    EXPECT_EQ(scanFrame(V0, extra).length, frame.size());
}

TEST(ScanFrame, DataLength250IsAPlainFrame) {
    Bytes f = {0x02, 0x01, 0x00, 250};
    f.resize(4 + 250, 0x00);
    f = withBcc(f);
    EXPECT_EQ(scanFrame(V0, f).length, 255u);
    EXPECT_TRUE(parseResponse(V0, 0x89, f).ok);
}

}  // namespace
}  // namespace orvex
