// Commands, raw traffic and line faults against simulated readers.
#include <gtest/gtest.h>

#include <vector>

#include "sim_reader.h"

namespace orvex {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using test::OpenPort;
using test::readerOptions;

using BlockRead = int (*)(int, unsigned char *, int);

struct Block {
    BlockRead read;
    Bytes sim::ReaderState::*field;
};
const Block kBlocks[] = {
    {Orvex_ReadDataBlock, &sim::ReaderState::data},
    {Orvex_ReadPrefixBlock, &sim::ReaderState::prefix},
    {Orvex_ReadSuffixBlock, &sim::ReaderState::suffix},
    {Orvex_ReadSeparatorBlock, &sim::ReaderState::separator},
    {Orvex_ReadRemovalBlock, &sim::ReaderState::removal},
    {Orvex_ReadParameterBlock, &sim::ReaderState::parameter},
};

Bytes readBlock(int handle, BlockRead read) {
    unsigned char buffer[512];
    const int n = read(handle, buffer, sizeof buffer);
    return n < 0 ? Bytes{} : Bytes(buffer, buffer + n);
}

TEST(Commands, BlockReadsPlainAndChainedInEveryVariant) {
    for (int variant = 0; variant < 4; ++variant) {
        for (bool chained : {false, true}) {
            SCOPED_TRACE(testing::Message() << "variant " << variant << (chained ? " chained" : ""));
            sim::Options o = readerOptions(variant);
            o.chained = chained;
            sim::PtyReader reader(o);
            OpenPort port(reader.slavePath());
            ASSERT_GT(port.handle, 0);
            const sim::ReaderState state = reader.state();
            for (const auto &b : kBlocks) {
                const Bytes &expected = state.*b.field;
                // A chained answer reads as the same block: link lengths are framing.
                EXPECT_EQ(readBlock(port.handle, b.read), expected);
            }
        }
    }
}

TEST(Commands, WritesReachTheReaderWithinTheirLimits) {
    sim::PtyReader reader(readerOptions(0));
    OpenPort port(reader.slavePath());
    ASSERT_GT(port.handle, 0);
    const Bytes prefix(100, 0x41);
    EXPECT_EQ(Orvex_WritePrefixBlock(port.handle, prefix.data(), 100), 0);
    EXPECT_EQ(reader.state().prefix, prefix);

    const int seen = reader.commandsSeen();
    const Bytes tooLong(101, 0x42);
    EXPECT_EQ(Orvex_WriteSuffixBlock(port.handle, tooLong.data(), 101), ORVEX_FAILED);
    EXPECT_EQ(Orvex_GetLastError(port.handle), ORVEX_ERR_LENGTH);
    EXPECT_EQ(Orvex_WriteDataBlock(port.handle, tooLong.data(), 51), ORVEX_FAILED);
    EXPECT_EQ(Orvex_GetLastError(port.handle), ORVEX_ERR_LENGTH);
    EXPECT_EQ(Orvex_WriteKey(port.handle, 1, tooLong.data(), 5), ORVEX_FAILED);
    EXPECT_EQ(Orvex_GetLastError(port.handle), ORVEX_ERR_LENGTH);
    const Bytes overlong(256, 0x8E);
    EXPECT_EQ(Orvex_Transceive(port.handle, overlong.data(), 256, nullptr, 0), ORVEX_FAILED);
    EXPECT_EQ(Orvex_GetLastError(port.handle), ORVEX_ERR_LENGTH);
    EXPECT_EQ(Orvex_SetOutputMode(port.handle, 4), ORVEX_FAILED);
    EXPECT_EQ(Orvex_GetLastError(port.handle), ORVEX_ERR_MODE);
    EXPECT_EQ(reader.commandsSeen(), seen);

    const Bytes key = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(Orvex_WriteKey(port.handle, 2, key.data(), 6), 0);
    EXPECT_EQ(reader.state().keys.at(2), key);
    EXPECT_EQ(Orvex_SetOutputMode(port.handle, 0x83), 0);
    EXPECT_EQ(reader.state().powerOn, 3);
    int option = -1;
    EXPECT_EQ(Orvex_WriteDataOption(port.handle, 5), 0);
    EXPECT_EQ(Orvex_ReadDataOption(port.handle, &option), 0);
    EXPECT_EQ(option, 5);
    EXPECT_EQ(Orvex_FactoryReset(port.handle), 0);
    EXPECT_NE(reader.state().prefix, prefix);

    // Generic exchange and a buffer too small for the answer.
    const unsigned char request[] = {0x8E};
    unsigned char answer[2];
    EXPECT_EQ(Orvex_Transceive(port.handle, request, 1, answer, sizeof answer), ORVEX_FAILED);
    EXPECT_EQ(Orvex_GetLastError(port.handle), ORVEX_ERR_BUFFER_TOO_SMALL);
}

TEST(Commands, ReaderStatusReachesTheLastError) {
    struct Case {
        int variant;
        int status;
        int lastError;
    };
    const Case cases[] = {{0, 0x20, ORVEX_ERR_STATUS_20}, {0, 7, ORVEX_ERR_STATUS_7},
                          {0, 25, ORVEX_ERR_REPLY_CC},    {1, 9, 9},
                          {2, 0xA4, ORVEX_ERR_REPLY_A4},  {3, 0xCC, ORVEX_ERR_REPLY_CC}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "variant " << c.variant << " status " << c.status);
        sim::Options o = readerOptions(c.variant);
        o.status = c.status;
        sim::PtyReader reader(o);
        OpenPort port(reader.slavePath());
        if (c.lastError == ORVEX_ERR_STATUS_20) {
            // The answer still counts: the port opens and the data arrives.
            ASSERT_GT(port.handle, 0);
            unsigned char block[64];
            EXPECT_GE(Orvex_ReadParameterBlock(port.handle, block, sizeof block), 0);
            EXPECT_EQ(Orvex_GetLastError(port.handle), ORVEX_ERR_STATUS_20);
        } else {
            EXPECT_EQ(port.handle, ORVEX_OPEN_NO_VERSION);  // not even the version is accepted
        }
    }
}

TEST(Commands, BaudChangeMovesBothEnds) {
    sim::PtyReader reader(readerOptions(0));
    OpenPort port(reader.slavePath());
    ASSERT_GT(port.handle, 0);
    ASSERT_EQ(Orvex_SetBaudRate(port.handle, 115200, 1), 0);
    EXPECT_EQ(reader.state().baud, 115201);
    char version[8];
    EXPECT_EQ(Orvex_ReadVersion(port.handle, version, sizeof version), 4);

    // 14400 has no rate code: the reader goes to 19200, the host to 14400,
    // and they no longer understand each other.
    ASSERT_EQ(Orvex_SetBaudRate(port.handle, 14400, 0), 0);
    EXPECT_EQ(reader.state().baud, 19200);
    EXPECT_EQ(Orvex_ReadVersion(port.handle, version, sizeof version), ORVEX_FAILED);
    EXPECT_EQ(Orvex_GetLastError(port.handle), ORVEX_ERR_TIMEOUT);
}

TEST(Commands, HangUpMidAnswerInvalidatesTheHandle) {
    sim::Options o = readerOptions(0);
    o.hangupAfter = 2;  // the version answer of the open is the first
    sim::PtyReader reader(o);
    OpenPort port(reader.slavePath(), 19200, 5000);
    ASSERT_GT(port.handle, 0);
    const auto start = std::chrono::steady_clock::now();
    unsigned char block[64];
    EXPECT_EQ(Orvex_ReadParameterBlock(port.handle, block, sizeof block), ORVEX_FAILED);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5000ms);
    EXPECT_EQ(Orvex_GetLastError(port.handle), ORVEX_ERR_INVALID_HANDLE);
    EXPECT_EQ(Orvex_ReadRaw(port.handle, block, sizeof block), ORVEX_FAILED);
    EXPECT_EQ(Orvex_ClosePort(port.handle), ORVEX_FAILED);
}

TEST(RawIo, ReaderOutputAndHostBytes) {
    sim::Options o = readerOptions(0);
    o.emit = {'4', '7', '1', '1', '\r'};
    sim::PtyReader reader(o);
    OpenPort port(reader.slavePath());
    ASSERT_GT(port.handle, 0);
    ASSERT_EQ(Orvex_SetOutputMode(port.handle, 1), 0);  // reading

    const unsigned char relayOn = 0x11, requestChar = '?';
    EXPECT_EQ(Orvex_WriteRaw(port.handle, &relayOn, 1), 0);
    EXPECT_TRUE(test::eventually([&] { return reader.state().relay == 1; }));
    EXPECT_EQ(Orvex_WriteRaw(port.handle, &requestChar, 1), 0);

    Bytes got;
    EXPECT_TRUE(test::eventually([&] {
        unsigned char part[2];
        const int n = Orvex_ReadRaw(port.handle, part, sizeof part);
        EXPECT_LE(n, 2);
        if (n > 0) got.insert(got.end(), part, part + n);
        return got.size() >= 5;
    }));
    EXPECT_EQ(got, o.emit);
    unsigned char rest[8];
    EXPECT_EQ(Orvex_ReadRaw(port.handle, rest, sizeof rest), 0);
}

}  // namespace
}  // namespace orvex
