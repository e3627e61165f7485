// "MIFARE® Block Auswahl": four rows that convert between absolute MIFARE
// block numbers and sector / block-in-sector pairs (liborvexapp's
// absoluteToSectorBlock and sectorBlockToAbsolute). The data page passes in
// its four block texts and takes them back on OK.
#pragma once

#include <QDialog>
#include <QStringList>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orvex::gui {

class BlockSelectDialog : public QDialog {
    Q_OBJECT
public:
    BlockSelectDialog(QWidget *parent, const QStringList &absoluteBlocks);

    // The four absolute texts (valid after OK).
    QStringList absoluteBlocks() const { return result_; }

    QLineEdit *absoluteEdit(int row) const { return rows_[std::size_t(row)].absolute; }
    QLineEdit *sectorEdit(int row) const { return rows_[std::size_t(row)].sector; }
    QLineEdit *blockEdit(int row) const { return rows_[std::size_t(row)].block; }

    void accept() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    struct Row {
        QLineEdit *absolute = nullptr, *sector = nullptr, *block = nullptr;
    };
    void retranslate();
    void absoluteChanged(Row &row);
    void sectorBlockChanged(Row &row);
    void write(QLineEdit *edit, const std::string &text);

    std::array<Row, 4> rows_;
    QLabel *absoluteHeader_ = nullptr, *sectorHeader_ = nullptr, *blockHeader_ = nullptr;
    QPushButton *ok_ = nullptr, *cancel_ = nullptr;
    QStringList result_;
    bool guard_ = false;
};

}  // namespace orvex::gui
