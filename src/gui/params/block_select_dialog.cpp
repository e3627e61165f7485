#include "gui/params/block_select_dialog.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "gui/app/ui_text.h"
#include "params/reader_option_models.h"

namespace orvex::gui {

BlockSelectDialog::BlockSelectDialog(QWidget *parent, const QStringList &absoluteBlocks)
    : QDialog(parent), result_(absoluteBlocks) {
    absoluteHeader_ = new QLabel(this);
    sectorHeader_ = new QLabel(this);
    blockHeader_ = new QLabel(this);
    auto *grid = new QGridLayout;
    grid->addWidget(absoluteHeader_, 0, 0, Qt::AlignBottom);
    grid->addWidget(sectorHeader_, 0, 1, Qt::AlignBottom);
    grid->addWidget(blockHeader_, 0, 2, Qt::AlignBottom);
    const QRegularExpression digits(QStringLiteral("[0-9]{0,3}"));
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        Row &row = rows_[i];
        for (QLineEdit **edit : {&row.absolute, &row.sector, &row.block}) {
            *edit = new QLineEdit(this);
            (*edit)->setValidator(new QRegularExpressionValidator(digits, *edit));
            (*edit)->setMaximumWidth(90);
        }
        grid->addWidget(row.absolute, int(i) + 1, 0);
        grid->addWidget(row.sector, int(i) + 1, 1);
        grid->addWidget(row.block, int(i) + 1, 2);
        connect(row.absolute, &QLineEdit::textChanged, this, [this, &row] { absoluteChanged(row); });
        connect(row.sector, &QLineEdit::textChanged, this, [this, &row] { sectorBlockChanged(row); });
        connect(row.block, &QLineEdit::textChanged, this, [this, &row] { sectorBlockChanged(row); });
    }
    auto *buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    ok_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &BlockSelectDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &BlockSelectDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    retranslate();

    for (std::size_t i = 0; i < rows_.size(); ++i)
        rows_[i].absolute->setText(i < std::size_t(absoluteBlocks.size()) ? absoluteBlocks[int(i)]
                                                                          : QString());
}

void BlockSelectDialog::retranslate() {
    setWindowTitle(uiText("blockSelect.title"));
    absoluteHeader_->setText(uiText("blockSelect.absolute"));
    sectorHeader_->setText(uiText("blockSelect.sector"));
    blockHeader_->setText(uiText("blockSelect.block"));
    ok_->setText(uiText("button.ok"));
    cancel_->setText(uiText(507));
}

void BlockSelectDialog::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

void BlockSelectDialog::write(QLineEdit *edit, const std::string &text) {
    edit->setText(QString::fromStdString(text));
}

void BlockSelectDialog::absoluteChanged(Row &row) {
    if (guard_) return;
    const app::SectorBlock converted = app::absoluteToSectorBlock(row.absolute->text().toStdString());
    if (QString::fromStdString(converted.block) != row.block->text() ||
        QString::fromStdString(converted.sector) != row.sector->text()) {
        guard_ = true;
        write(row.sector, converted.sector);
        write(row.block, converted.block);
        guard_ = false;
    }
}

void BlockSelectDialog::sectorBlockChanged(Row &row) {
    if (guard_) return;
    const std::string absolute =
        app::sectorBlockToAbsolute(row.sector->text().toStdString(), row.block->text().toStdString());
    if (QString::fromStdString(absolute) != row.absolute->text()) {
        guard_ = true;
        write(row.absolute, absolute);
        guard_ = false;
    }
}

void BlockSelectDialog::accept() {
    result_.clear();
    for (const Row &row : rows_) result_ << row.absolute->text();
    QDialog::accept();
}

}  // namespace orvex::gui
