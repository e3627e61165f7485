#include "keys/key_sequence.h"

#include <gtest/gtest.h>

using namespace orvex::app;
using Bytes = std::vector<uint8_t>;

namespace {

KeySequence keys(std::initializer_list<KeyEvent> entries) {
    KeySequence a;
    for (const KeyEvent &e : entries) a.append(e);
    return a;
}

}  // namespace

TEST(CharacterSequence, Blocks) {
    CharSequence a;
    EXPECT_EQ(a.toBlock(), Bytes{0xFF});
    a.insert(0, {0x42, "B"});
    a.insert(0, {0x41, "A"});
    a.insert(5, {0x43, "C"});  // out of range: ignored
    EXPECT_EQ(a.toBlock(), (Bytes{0x41, 0x42, 0xFF}));

    CharSequence back;
    EXPECT_TRUE(back.fromBlock(Bytes{0x41, 0x42, 0xFF}).terminated);
    EXPECT_EQ(back, a);

    Bytes full(15, 0x8F);
    full.push_back(0xFF);
    EXPECT_EQ(back.fromBlock(full).terminated, true);
    EXPECT_EQ(back.count(), 15);
    EXPECT_EQ(back.at(3).text, "Wait 100");
    EXPECT_EQ(back.toBlock(), full);

    for (const Bytes &tiny : {Bytes{}, Bytes{0xFF}, Bytes{0x41}}) {
        back.fromBlock(tiny);
        EXPECT_EQ(back.count(), 0);
    }
    EXPECT_FALSE(back.fromBlock(Bytes{0x41, 0x42}).terminated);  // last byte taken as terminator
    EXPECT_EQ(back.count(), 1);
}

TEST(KeySequence, ByteSizeAndBlocks) {
    struct Case {
        KeySequence seq;
        int size;
        Bytes block;
    } cases[] = {
        {{}, 0, {0xFF}},
        {keys({{0x10, 0x2A, 1}, {0x41, 0x1E, 1}, {0x41, 0x1E, 0}, {0x10, 0x2A, 0}}),
         6,
         {0x12, 0x1C, 0xF0, 0x1C, 0xF0, 0x12, 0xFF}},
        {keys({{0x89, 0x38, 1}, {0x89, 0x38, 0}}), 5, {0xE0, 0x11, 0xE0, 0xF0, 0x11, 0xFF}},
        {keys({{0x6F, 0x35, 1}, {0x6F, 0x35, 0}}), 5, {0xE0, 0x4A, 0xE0, 0xF0, 0x4A, 0xFF}},
        {keys({{0x10, 0x36, 1}}), 3, {0x00, 0xFF}},                   // right Shift has no set-2 code here
        {keys({{0x41, 0xFF, 1}, {0x41, 0x1E, 1}}), 6, {0x1C, 0xFF}},  // unknown scan left out
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.seq.byteSize(), c.size);
        EXPECT_EQ(c.seq.toBlock(), c.block);
    }
}

TEST(KeySequence, Limits) {
    KeySequence a;
    for (int i = 0; i < 10; ++i) {
        KeyEvent press{0x41, 0x1E, 1};
        ASSERT_TRUE(a.fits(press));
        a.append(press);
        a.append({0x41, 0x1E, 0});
    }
    EXPECT_EQ(a.byteSize(), 30);
    EXPECT_FALSE(a.fits({0x42, 0x30, 1}));
    EXPECT_TRUE(a.fits({0x42, 0x30, 0}));  // releases are free
    a.remove(1);
    EXPECT_EQ(a.byteSize(), 30);
    EXPECT_EQ(a.toBlock().size(), 29u);  // 10 makes, 9 breaks, 0xFF

    KeySequence ext;
    for (int i = 0; i < 6; ++i) ext.append({0x26, 0x48, 1});
    EXPECT_EQ(ext.byteSize(), 30);
    EXPECT_FALSE(ext.fits({0x26, 0x48, 1}));
}

TEST(KeySequence, RoundTrip) {
    KeySequence seqs[] = {
        keys({{0x10, 0x2A, 1}, {0x41, 0x1E, 1}, {0x41, 0x1E, 0}, {0x10, 0x2A, 0}}),
        keys({{0x89, 0x38, 1}, {0x51, 0x10, 1}, {0x51, 0x10, 0}, {0x89, 0x38, 0}}),  // @
        keys({{0x26, 0x48, 1}, {0x26, 0x48, 0}, {0x68, 0x48, 1}, {0x68, 0x48, 0}}),  // Up vs number pad 8
        keys({{0x6F, 0x35, 1}, {0xBD, 0x35, 1}, {0x0D, 0x1C, 1}, {0x11, 0x1D, 0}}),
    };
    for (const KeySequence &seq : seqs) {
        KeySequence back;
        BlockDecodeReport r = back.fromBlock(seq.toBlock());
        EXPECT_TRUE(r.terminated);
        EXPECT_EQ(r.unknownCodes, 0u);
        EXPECT_EQ(back, seq);
    }
}

TEST(KeySequence, OddBlocks) {
    KeySequence a;
    BlockDecodeReport r = a.fromBlock(Bytes{0x11});
    EXPECT_EQ(a, keys({{0x12, 0x38, 1}}));  // left Alt down
    EXPECT_FALSE(r.terminated);

    a.fromBlock(Bytes{0xE0, 0xF0, 0x11});
    EXPECT_EQ(a, keys({{0x89, 0x38, 0}}));  // Alt Gr up

    r = a.fromBlock(Bytes{0x59, 0x00, 0xFF, 0x1C, 0x1C});
    EXPECT_EQ(a.count(), 2);
    EXPECT_EQ(a.at(0).scan, 0xFF);  // right Shift's set-2 code is unknown
    EXPECT_EQ(a.at(0).vk, 0x00);
    EXPECT_EQ(a.at(1).scan, 0x00);
    EXPECT_EQ(r.unknownCodes, 1u);
    EXPECT_EQ(r.ignoredBytes, 2u);

    r = a.fromBlock(Bytes{0x1C, 0xE0});
    EXPECT_EQ(a.count(), 1);
    EXPECT_TRUE(r.danglingPrefix);

    EXPECT_FALSE(a.fromBlock(Bytes{}).terminated);
    EXPECT_EQ(a.count(), 0);
}
