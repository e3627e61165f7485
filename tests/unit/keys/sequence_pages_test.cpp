#include <gtest/gtest.h>

#include "keys/char_sequence_page.h"
#include "keys/key_stroke_page.h"

namespace orvex::app {
namespace {

TEST(CharSequencePage, TypedInputKinds) {
    struct Case {
        const char *typed;
        int code;
        const char *listText;  // 0: message 529
    };
    const Case cases[] = {
        {"1B", 0x1B, "1B H     ESC"}, {"1b", 0x1B, "1B H     ESC"},  {"a", 0x61, "61 H     a"},
        {" ", 0x20, "20 H     SP"},   {"nul", 0x00, "00 H     NUL"}, {"wait 100", 0x8F, "8F H     Wait 100"},
        {"ä", 0xE4, "E4 H     ä"},    {"G7", -1, nullptr},
    };
    for (const Case &c : cases) {
        CharSequencePage page(SequenceKind::Prefix);
        page.setInput(c.typed);
        auto msg = page.insertCharacter();
        if (!c.listText) {
            EXPECT_EQ(msg, PageMessage{529}) << c.typed;
            EXPECT_EQ(page.getSequence().count(), 0);
            continue;
        }
        ASSERT_FALSE(msg) << c.typed;
        ASSERT_EQ(page.getSequence().count(), 1);
        EXPECT_EQ(page.getSequence().at(0).code, c.code);
        EXPECT_EQ(page.rebuildList()[0], c.listText);
        EXPECT_TRUE(page.modified());
    }
}

TEST(CharSequencePage, InsertBeforeSelectionAndLimit) {
    CharSequencePage page(SequenceKind::Suffix);
    for (const char *t : {"A", "B", "C"}) {
        page.setInput(t);
        ASSERT_FALSE(page.insertCharacter());
    }
    page.selectItem(2);
    page.setInput("X");
    ASSERT_FALSE(page.insertCharacter());
    EXPECT_EQ(page.getSequence().at(2).code, 'X');
    EXPECT_EQ(page.selectedItem(), 2);
    page.selectItem(-1);
    while (page.getSequence().count() < 15) {
        page.setInput("Z");
        ASSERT_FALSE(page.insertCharacter());
    }
    page.setInput("Z");
    EXPECT_EQ(page.insertCharacter(), PageMessage{530});
    EXPECT_EQ(page.deleteCharacter(), PageMessage{528});
    page.selectItem(0);
    EXPECT_FALSE(page.deleteCharacter());
    page.setInput("Z");
    EXPECT_FALSE(page.insertCharacter());
    EXPECT_EQ(page.getSequence().toBlock().size(), 16u);
}

TEST(CharSequencePage, MoveUpAndDown) {
    CharSequencePage page(SequenceKind::Removal);
    for (const char *t : {"A", "B"}) {
        page.setInput(t);
        page.insertCharacter();
    }
    page.setModified(false);
    page.selectItem(1);
    page.moveUp();
    EXPECT_EQ(page.getSequence().at(0).code, 'B');
    EXPECT_EQ(page.selectedItem(), 0);
    page.moveUp();
    EXPECT_EQ(page.getSequence().at(0).code, 'B');
    page.moveDown();
    EXPECT_EQ(page.getSequence().at(1).code, 'B');
    page.moveDown();
    EXPECT_EQ(page.selectedItem(), 1);
    EXPECT_TRUE(page.modified());
}

CapturedKey key(uint8_t vk, uint8_t scan, bool extended = false, bool control = false) {
    return {vk, scan, extended, control};
}

std::vector<std::string> texts(const KeyStrokePage &page) {
    std::vector<std::string> out;
    for (const auto &item : page.rebuildList()) out.push_back(item.text);
    return out;
}

TEST(KeyStrokePage, ShiftAAndKeyRepeat) {
    KeyStrokePage page(SequenceKind::Prefix);
    EXPECT_EQ(page.recordPress(key(0x10, 0x2A), true), RecordResult::Recorded);
    EXPECT_EQ(page.recordPress(key(0x10, 0x2A), true), RecordResult::Ignored) << "key repeat";
    page.recordPress(key(0x41, 0x1E), true);
    page.recordRelease(key(0x41, 0x1E));
    page.recordRelease(key(0x10, 0x2A));
    EXPECT_EQ(page.count(), 4);
    EXPECT_EQ(texts(page), (std::vector<std::string>{"Shift", "A", "Shift - "}));
    EXPECT_EQ(page.getSequence().toBlock(),
              (std::vector<std::uint8_t>{0x12, 0x1C, 0xF0, 0x1C, 0xF0, 0x12, 0xFF}));
    EXPECT_EQ(page.recordPress(key(0x42, 0x30), false), RecordResult::Ignored)
        << "only while the capture box has the focus";
}

TEST(KeyStrokePage, AltGrDropsTheDriversControl) {
    KeyStrokePage page(SequenceKind::Suffix);
    page.recordPress(key(0x11, 0x1D), true);              // driver's Control
    page.recordPress(key(0x12, 0x38, true, true), true);  // right Alt
    page.recordRelease(key(0x11, 0x1D));
    page.recordRelease(key(0x12, 0x38, true));
    ASSERT_EQ(page.count(), 2);
    EXPECT_EQ(page.getSequence().at(0), (KeyEvent{0x89, 0x38, 1}));
    EXPECT_EQ(page.getSequence().at(1), (KeyEvent{0x89, 0x38, 0}));
    EXPECT_EQ(page.getSequence().byteSize(), 5);
}

TEST(KeyStrokePage, OverflowAtThirtyOneBytes) {
    KeyStrokePage page(SequenceKind::Separator);
    const uint8_t letters[] = {0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B};
    const uint8_t scans[] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25};
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(page.recordPress(key(letters[i], scans[i]), true), RecordResult::Recorded);
        page.recordRelease(key(letters[i], scans[i]));
    }
    EXPECT_EQ(page.getSequence().byteSize(), 30);
    EXPECT_EQ(page.recordPress(key(letters[10], scans[10]), true), RecordResult::Overflow);
    EXPECT_EQ(page.recordRelease(key(letters[10], scans[10])), RecordResult::Ignored);
    EXPECT_EQ(page.count(), 20);
}

TEST(KeyStrokePage, TabButtonFillsToThirtyOne) {
    KeyStrokePage page(SequenceKind::Removal);
    for (uint8_t d = 0; d < 9; ++d) {  // 9 digits: 27 bytes
        page.recordPress(key(0x31 + d, 0x02 + d), true);
        page.recordRelease(key(0x31 + d, 0x02 + d));
    }
    EXPECT_EQ(page.addKey(KeyStrokePage::kVkTab, KeyStrokePage::kScanTab), RecordResult::Recorded);
    EXPECT_EQ(page.getSequence().byteSize(), 30);
    EXPECT_EQ(page.captureText(), "TAB");
    EXPECT_EQ(page.addKey(KeyStrokePage::kVkTab, KeyStrokePage::kScanTab), RecordResult::Overflow);
}

TEST(KeyStrokePage, DeleteRemovesThePartner) {
    KeyStrokePage page(SequenceKind::Prefix);
    page.recordPress(key(0x10, 0x2A), true);
    page.recordPress(key(0x41, 0x1E), true);
    page.recordRelease(key(0x41, 0x1E));
    page.recordRelease(key(0x10, 0x2A));
    EXPECT_EQ(page.deleteKey(), PageMessage{528});
    page.selectItem(1);  // "A" press
    ASSERT_FALSE(page.deleteKey());
    EXPECT_EQ(page.count(), 2);
    page.selectItem(1);  // "Shift - " release
    ASSERT_FALSE(page.deleteKey());
    EXPECT_EQ(page.count(), 0);
}

TEST(KeyStrokePage, EnterInTheCaptureBoxReplacesTheButtonCommand) {
    KeyStrokePage page(SequenceKind::Prefix);
    EXPECT_FALSE(page.commandIsEnter(false));
    EXPECT_TRUE(page.commandIsEnter(true));
    page.recordRelease(key(0x0D, 0x1C));
    EXPECT_EQ(texts(page), (std::vector<std::string>{"CR", "CR - "}));
    EXPECT_EQ(page.getSequence().at(0), (KeyEvent{0x0D, 0x1C, 1}));
}

}  // namespace
}  // namespace orvex::app
