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
#include "update/update_key.h"
#include "update/update_url.h"

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
const QColor kUpdateRed(255, 0, 0);
const QColor kUpdateDarkRed(192, 0, 0);

constexpr int kTextProgramTitle = 57344;
constexpr int kTextNewVersion = 600;
constexpr int kTextUpToDate = 601;
constexpr int kTextNoConnection = 602;
constexpr int kTextNoFile = 603;
constexpr int kTextUpdateStarting = 604;

void showLine(LinkLabel *line, const QString &text, const QColor &color, bool offersUpdate) {
    line->setText(text);
    line->setTextColor(color);
    line->setHoverCursor(offersUpdate ? std::optional(Qt::PointingHandCursor) : std::nullopt);
    line->setClickable(offersUpdate);
}

}  // namespace

AboutDialog::AboutDialog(QWidget *parent, ConnectContext &ctx, update::UpdateChecks *updates)
    : QDialog(parent), ctx_(ctx), updates_(updates) {
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
    autoCheck_->setChecked(ctx_.settings.get(settings::VersionUpdate) != 0);

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

    for (LinkLabel *line : {programUpdate_, readerUpdate_})
        connect(line, &LinkLabel::clicked, this, [this, line] { startUpdate(line); });
    if (updates_) {
        // Called from a fetch worker: only a queued call reaches the box.
        auto arrived = [this] {
            QMetaObject::invokeMethod(
                this, [this] { refreshUpdateLines(); }, Qt::QueuedConnection);
        };
        programListener_ = updates_->program().start(arrived);
        deviceListener_ = updates_->device().start(arrived);
    }
}

AboutDialog::~AboutDialog() {
    if (updates_) {
        updates_->program().removeListener(programListener_);
        updates_->device().removeListener(deviceListener_);
    }
    download_.reset();  // stops a running download; its partial file goes
}

QString AboutDialog::programLine() const {
    return uiText("about.program") + QLatin1Char(' ') + QString::fromStdString(update::programVersion()) +
           QStringLiteral(" (") + QString::fromStdString(update::programBuild()) + QLatin1Char(')');
}

void AboutDialog::retranslate() {
    setWindowTitle(uiText("about.title"));
    program_->setText(programLine());
    sdk_->setText(QStringLiteral("SDK Version %1").arg(Orvex_GetSdkVersion() / 100.0, 0, 'f', 2));
    programUpdate_->setText(uiText("about.programUpdate"));
    readerUpdate_->setText(uiText("about.readerUpdate"));
    if (updatesArrived_) refreshUpdateLines();
    autoCheck_->setText(uiText("about.autoCheck"));
    ok_->setText(uiText("button.ok"));
}

void AboutDialog::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

void AboutDialog::openLink(const QString &target) { desktopOpen(target.toStdString()); }

void AboutDialog::refreshUpdateLines() {
    if (!updates_ || download_) return;
    updatesArrived_ = true;
    // Called when a fetch has ended: nothing to wait for.
    constexpr std::chrono::milliseconds kNoWait{0};
    programStatus_ = updates_->programNow(kNoWait);
    const QString title = uiText(kTextProgramTitle);
    switch (programStatus_.state) {
        case update::UpdateState::Pending:
            break;
        case update::UpdateState::NoConnection:
            showLine(programUpdate_, uiText(kTextNoConnection), kUpdateRed, false);
            break;
        case update::UpdateState::Unusable:  // an error page or garbage is no version file
        case update::UpdateState::NoEntry:
            showLine(programUpdate_, uiText(kTextNoFile), kUpdateRed, false);
            break;
        case update::UpdateState::Newer:
            showLine(programUpdate_,
                     uiText(kTextNewVersion) + title + QStringLiteral(" => V ") +
                         QString::fromStdString(programStatus_.newest.version) + QStringLiteral(" (") +
                         QString::fromStdString(programStatus_.newest.build) + QLatin1Char(')'),
                     kUpdateDarkRed, true);
            break;
        case update::UpdateState::Current:
            showLine(programUpdate_, title + uiText(kTextUpToDate), kUpdateGrey, false);
            break;
    }

    const DeviceIdentity &reader = ctx_.identity;
    if (reader.modelName.empty()) {
        showLine(readerUpdate_, QString(), kUpdateGrey, false);
        return;
    }
    deviceStatus_ = updates_->deviceNow(reader, kNoWait);
    const QString name = QString::fromStdString(reader.modelName);
    const QString current = QString::fromStdString(reader.versionText);
    const QString known = name + QStringLiteral(" V") + current + QLatin1Char(' ');
    switch (deviceStatus_.state) {
        case update::UpdateState::Pending:
            break;
        case update::UpdateState::Newer:
            showLine(readerUpdate_,
                     QStringLiteral("Update ") + name + QStringLiteral(" V") + current +
                         QStringLiteral(" => V") + QString::fromStdString(deviceStatus_.newest.version),
                     kUpdateDarkRed, true);
            break;
        // Without the firmware file nothing is known: never "ist aktuell".
        case update::UpdateState::NoConnection:
            showLine(readerUpdate_, known + uiText(kTextNoConnection), kUpdateRed, false);
            break;
        case update::UpdateState::Unusable:
            showLine(readerUpdate_, known + uiText(kTextNoFile), kUpdateRed, false);
            break;
        case update::UpdateState::NoEntry:  // a reader type the file does not know
        case update::UpdateState::Current:
            showLine(readerUpdate_, known + uiText(kTextUpToDate), kUpdateGrey, false);
            break;
    }
}

void AboutDialog::startUpdate(LinkLabel *line) {
    if (!updates_ || download_ || !line->clickable()) return;
    const bool program = line == programUpdate_;
    const update::UpdateSource &source = program ? updates_->program() : updates_->device();
    const std::string installer = program ? programStatus_.newest.installer : deviceStatus_.newest.installer;
    textBeforeDownload_ = line->text();
    downloadLine_ = line;
    line->setText(uiText(kTextUpdateStarting));
    line->repaint();
    setCursor(Qt::BusyCursor);
    // The download runs beside the event loop: the box stays responsive, and
    // closing it stops the download.
    download_ = std::make_unique<update::InstallerDownload>(
        installer, source.url(), update::installerFolder(), update::resolvePublicKey(ctx_.settings),
        source.options(), [this](update::InstallerDownloadResult result) {
            QMetaObject::invokeMethod(
                this, [this, result = std::move(result)] { installerDownloaded(result); },
                Qt::QueuedConnection);
        });
}

void AboutDialog::installerDownloaded(const update::InstallerDownloadResult &result) {
    download_.reset();
    unsetCursor();
    std::string failure = result.message;
    if (result.ok) {
        const auto start = update::startInstaller(result.path, update::resolvePublicKey(ctx_.settings));
        if (start.started) {
            downloadLine_->setText(textBeforeDownload_);
            emit exitRequested();
            accept();
            return;
        }
        failure = start.message;
    }
    downloadLine_->setText(textBeforeDownload_);
    ctx_.prompts.showMessage(failure, MessageIcon::Error);
}

void AboutDialog::done(int result) {
    ctx_.settings.set(settings::VersionUpdate, autoCheck_->isChecked() ? 1 : 0);
    QDialog::done(result);
}

}  // namespace orvex::gui
