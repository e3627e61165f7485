#include "gui/app/about_dialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/desktop_open.h"
#include "app/program_files.h"
#include "app/settings_store.h"
#include "gui/app/artwork.h"
#include "gui/app/link_label.h"
#include "gui/app/ui_text.h"
#include "orvex/orvex.h"

namespace orvex::gui {

using namespace app;

namespace {

// The maker's contact block: names and addresses, the same in every language.
const char *const kMakerLines[] = {
    "Qel Applikationen GmbH",    "RFID-Systeme",
    "Am Lesegerät 12",           "D-12345 Musterstadt",
    "Tel.: +49 (0) 1234 5678-0", "Fax: +49 (0) 1234 5678-99",
};
const char *const kWebAddress = "https://www.qel-applikationen.example";
const char *const kMailAddress = "mailto:info@qel-applikationen.example";
const char *const kCopyright = "Copyright \u00a9 2026 Qel Applikationen GmbH";

constexpr int kPictureSize = 64;
const QColor kLinkBlue(0, 0, 255);
const QColor kUpdateGrey(128, 128, 128);

}  // namespace

AboutDialog::AboutDialog(QWidget *parent, ConnectContext &ctx) : QDialog(parent), ctx_(ctx) {
    picture_ = new QLabel(this);
    const qreal ratio = devicePixelRatioF();
    picture_->setPixmap(QPixmap::fromImage(
        renderArtwork(QStringLiteral("logo.svg"), QSize(kPictureSize, kPictureSize), ratio)));
    program_ = new QLabel(this);
    sdk_ = new QLabel(this);
    programUpdate_ = new LinkLabel(this);
    readerUpdate_ = new LinkLabel(this);
    for (LinkLabel *line : {programUpdate_, readerUpdate_}) {
        line->setItalic(true);
        line->setTextColor(kUpdateGrey);
    }
    autoCheck_ = new QCheckBox(this);
    autoCheck_->setChecked(ctx_.settings.Get(settings::VersionUpdate) != 0);

    auto *maker = new QVBoxLayout;
    maker->setSpacing(1);
    for (const char *line : kMakerLines) maker->addWidget(new QLabel(QString::fromUtf8(line), this));
    web_ = new LinkLabel(this);
    mail_ = new LinkLabel(this);
    web_->setText(QString::fromUtf8(kWebAddress));
    mail_->setText(QString::fromUtf8(kMailAddress));
    for (LinkLabel *link : {web_, mail_}) {
        link->setUnderline(true);
        link->setTextColor(kLinkBlue);
        link->setHoverCursor(Qt::PointingHandCursor);
        link->setClickable(true);
        connect(link, &LinkLabel::clicked, this, [this, link] { openLink(link->text()); });
        maker->addWidget(link);
    }
    maker->addWidget(new QLabel(QString::fromUtf8(kCopyright), this));

    auto *contact = new QHBoxLayout;
    contact->addWidget(picture_, 0, Qt::AlignTop);
    contact->addSpacing(12);
    contact->addLayout(maker, 1);

    ok_ = new QPushButton(this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(program_);
    layout->addWidget(sdk_);
    layout->addSpacing(6);
    layout->addWidget(programUpdate_);
    layout->addWidget(readerUpdate_);
    layout->addWidget(autoCheck_);
    layout->addSpacing(10);
    layout->addLayout(contact);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    retranslate();
}

QString AboutDialog::programLine() const {
    return uiText("about.program") + QLatin1Char(' ') + QString::fromStdString(ProductVersionString()) +
           QStringLiteral(" (") + QString::fromStdString(ProgramBuildDate()) + QLatin1Char(')');
}

void AboutDialog::retranslate() {
    setWindowTitle(uiText("about.title"));
    program_->setText(programLine());
    sdk_->setText(QStringLiteral("SDK Version %1").arg(Orvex_GetSdkVersion() / 100.0, 0, 'f', 2));
    programUpdate_->setText(uiText("about.programUpdate"));
    readerUpdate_->setText(uiText("about.readerUpdate"));
    autoCheck_->setText(uiText("about.autoCheck"));
    ok_->setText(uiText("button.ok"));
}

void AboutDialog::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

void AboutDialog::openLink(const QString &target) { DesktopOpen(target.toStdString()); }

void AboutDialog::done(int result) {
    ctx_.settings.Set(settings::VersionUpdate, autoCheck_->isChecked() ? 1 : 0);
    QDialog::done(result);
}

}  // namespace orvex::gui
