// Model of a character sequence page (prefix, suffix, separator and removal):
// the sequence, the input combo box ("HEX oder Zeichen:") and the list, with the commands of the
// page's buttons.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "keys/key_sequence.h"
#include "keys/sequence_page_kind.h"

namespace orvex::app {

class CharSequencePage {
public:
    static constexpr int kMaxEntries = CharSequence::kMaxEntries;

    explicit CharSequencePage(SequenceKind kind) : kind_(kind) {}

    SequenceKind kind() const { return kind_; }
    std::string title() const { return sequencePageTitle(kind_); }
    std::string columnCaption() const { return sequenceColumnCaption(kind_, false); }

    // The input combo box: typed text (UTF-8) and the selected list position
    // (-1 when no item of its list is selected).
    void setInput(const std::string &text, int listPosition = -1);
    const std::string &inputText() const { return inputText_; }
    int inputListPosition() const { return inputListPos_; }
    // Position the combo's list was scrolled to by the last insertion (-1 none).
    int inputScrollPosition() const { return scrollPos_; }
    // The insertion selected the whole input text.
    bool inputTextSelected() const { return inputSelected_; }

    // Selected list item, -1 for none.
    int selectedItem() const { return selected_; }
    void selectItem(int item);

    // ">>" and a double click in the combo's list. A message when nothing
    // was inserted (529 unknown text, 530 list full).
    std::optional<PageMessage> insertCharacter();
    // "Zeichen Löschen": 528 without a selected item.
    std::optional<PageMessage> deleteCharacter();
    void clearPage();  // "Seite Löschen"
    void moveUp();
    void moveDown();

    // The sheet's access; setSequence leaves the modified flag alone.
    void setSequence(const CharSequence &sequence);
    const CharSequence &getSequence() const { return seq_; }
    bool modified() const { return modified_; }
    void setModified(bool on) { modified_ = on; }
    // Selects the HID function test for "Funktionstest".
    bool hidFunctionTest = false;

    // The list texts ("41 H     A"), UTF-8.
    std::vector<std::string> rebuildList() const;

private:
    SequenceKind kind_;
    CharSequence seq_;
    bool modified_ = false;
    int selected_ = -1;
    std::string inputText_;
    int inputListPos_ = -1;
    int scrollPos_ = -1;
    bool inputSelected_ = false;
};

// "%02X H     " and the entry's text, UTF-8.
std::string charListText(const SequenceChar &entry);

}  // namespace orvex::app
