#include "gui/sheets/layout_error_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/app/ui_text.h"

namespace orvex::gui {

namespace {
constexpr int kDiffers = 611;
constexpr int kClose = 503;
}  // namespace

LayoutErrorDialog::LayoutErrorDialog(QWidget *parent, app::SettingsStore &settings, int differences)
    : QDialog(parent), settings_(settings) {
    setWindowTitle(uiText("layout.title"));
    text_ = new QLabel(this);
    text_->setWordWrap(true);
    dontShow_ = new QCheckBox(uiText("layout.dontShowAgain"), this);
    dontShow_->setChecked(settings_.get(app::settings::ShowLayoutError) == 0);
    yes_ = new QPushButton(uiText("layout.yes"), this);
    no_ = new QPushButton(uiText("layout.no"), this);
    if (differences > 0) {
        text_->setText(messageText(app::StringTable::instance().format(kDiffers, differences)));
    } else {
        text_->setText(uiText("layout.noDifference"));
        yes_->hide();
        no_->setText(uiText(kClose));
    }
    connect(yes_, &QPushButton::clicked, this, [this] { finish(Accepted); });
    connect(no_, &QPushButton::clicked, this, [this] { finish(Rejected); });
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(dontShow_);
    buttons->addStretch();
    buttons->addWidget(yes_);
    buttons->addWidget(no_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addLayout(buttons);
}

void LayoutErrorDialog::finish(int result) {
    settings_.set(app::settings::ShowLayoutError, dontShow_->isChecked() ? 0 : 1);
    done(result);
}

}  // namespace orvex::gui
