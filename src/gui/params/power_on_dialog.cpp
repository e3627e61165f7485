#include "gui/params/power_on_dialog.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/app/ui_text.h"

namespace orvex::gui {

namespace {
const char *const kModeNames[] = {"param.powerOn.0", "param.powerOn.1", "param.powerOn.2"};
}

PowerOnModeDialog::PowerOnModeDialog(QWidget *parent, int handle, bool silentReaderModeOffered,
                                     app::Prompts &prompts)
    : QDialog(parent), model_(handle, silentReaderModeOffered, prompts) {
    group_ = new QGroupBox(this);
    auto *groupLayout = new QVBoxLayout(group_);
    auto *exclusive = new QButtonGroup(this);
    for (std::size_t i = 0; i < radios_.size(); ++i) {
        radios_[i] = new QRadioButton(group_);
        exclusive->addButton(radios_[i], int(i));
        groupLayout->addWidget(radios_[i]);
    }
    set_ = new QPushButton(this);
    close_ = new QPushButton(this);
    set_->setDefault(true);
    connect(set_, &QPushButton::clicked, this, &PowerOnModeDialog::set);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(set_);
    buttons->addWidget(close_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    retranslate();

    // Read before the dialog appears; an unreadable mode leaves no radio chosen.
    model_.show();
    radios_[2]->setEnabled(model_.silentOptionEnabled());
    if (model_.selectedIndex() >= 0 && model_.selectedIndex() < 3)
        radios_[std::size_t(model_.selectedIndex())]->setChecked(true);
}

int PowerOnModeDialog::checkedIndex() const {
    for (std::size_t i = 0; i < radios_.size(); ++i)
        if (radios_[i]->isChecked()) return int(i);
    return -1;
}

void PowerOnModeDialog::retranslate() {
    setWindowTitle(uiText("param.powerOn"));

    for (std::size_t i = 0; i < radios_.size(); ++i) radios_[i]->setText(uiText(kModeNames[i]));
    set_->setText(uiText("button.set"));
    close_->setText(uiText("button.schliessen"));
}

void PowerOnModeDialog::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

void PowerOnModeDialog::set() {
    if (model_.set(checkedIndex())) accept();
}

}  // namespace orvex::gui
