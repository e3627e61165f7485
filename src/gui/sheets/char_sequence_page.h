// Prefix, suffix, separator and removal pages of readers with a character
// interface, bound to CharSequencePage: the input field with its always
// open list of characters and control codes, and the list of the sequence.
#pragma once

#include "app/connect.h"
#include "gui/sheets/sheet_page.h"
#include "keys/char_sequence_page.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace orvex::gui {

class CharSequencePageWidget : public SheetPage {
    Q_OBJECT
public:
    CharSequencePageWidget(const std::string &id, app::CharSequencePage &model, app::ConnectContext &ctx,
                           app::CapabilityFlags flags, QWidget *parent = nullptr);

    void refresh() override;
    void retranslate() override;
    void activated() override;

    QLineEdit *inputEdit() const { return input_; }
    QListWidget *inputList() const { return choices_; }
    QTreeWidget *sequenceList() const { return list_; }
    QPushButton *insertButton() const { return insert_; }
    QPushButton *deleteButton() const { return delete_; }
    QPushButton *clearButton() const { return clear_; }
    QPushButton *upButton() const { return up_; }
    QPushButton *downButton() const { return down_; }

private:
    void insertCharacter();
    void showMessage(const std::optional<app::PageMessage> &message);

    app::CharSequencePage &model_;
    app::ConnectContext &ctx_;
    app::CapabilityFlags flags_;
    QLabel *inputLabel_ = nullptr;
    QLineEdit *input_ = nullptr;
    QListWidget *choices_ = nullptr;
    QTreeWidget *list_ = nullptr;
    QPushButton *insert_ = nullptr, *delete_ = nullptr, *clear_ = nullptr, *up_ = nullptr, *down_ = nullptr;
    QPushButton *functionTest_ = nullptr, *readContent_ = nullptr;
};

}  // namespace orvex::gui
