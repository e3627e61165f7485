#include "gui/app/ip_search_dialog.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/app/lan_config_dialog.h"
#include "gui/app/ui_text.h"

namespace orvex::gui {

using namespace app;

namespace {

void styleItem(QListWidgetItem *item, int value) {
    item->setData(Qt::UserRole, value);
    if (value != LanOtherDevice) return;
    // Selected rows keep the highlight colours; the delegate applies them over this.
    item->setForeground(QColor(255, 0, 0));
    QFont font = item->font();
    font.setItalic(true);
    item->setFont(font);
}

}  // namespace

IpSearchDialog::IpSearchDialog(QWidget *parent, LanFunctions lan, Prompts &prompts)
    : QDialog(parent), lan_(lan), prompts_(prompts), model_(std::move(lan), prompts) {
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setMinimumSize(320, 180);
    auto *buttons = new QDialogButtonBox(this);
    change_ = buttons->addButton(QString(), QDialogButtonBox::ActionRole);
    close_ = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    close_->setDefault(true);
    connect(change_, &QPushButton::clicked, this, [this] { changeSelected(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &IpSearchDialog::reject);
    connect(list_, &QListWidget::itemSelectionChanged, this,
            [this] { change_->setEnabled(model_.canChange(selectedRow())); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
    retranslate();
    showList();
    adjustSize();
    setMinimumSize(sizeHint());
}

void IpSearchDialog::retranslate() {
    setWindowTitle(uiText("ipSearch.title"));
    change_->setText(uiText("ipSearch.change"));
    close_->setText(uiText("button.schliessen"));
}

void IpSearchDialog::changeEvent(QEvent *event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

int IpSearchDialog::exec() {
    if (!refreshList()) return Rejected;
    return QDialog::exec();
}

bool IpSearchDialog::refreshList() {
    setEnabled(false);
    const bool found = model_.refresh();
    setEnabled(true);
    showList();
    return found;
}

void IpSearchDialog::showList() {
    list_->clear();
    for (const LanListItem &item : model_.items()) {
        auto *row = new QListWidgetItem(QString::fromStdString(item.text), list_);
        styleItem(row, item.value);
    }
    change_->setEnabled(model_.canChange(selectedRow()));
}

std::optional<std::size_t> IpSearchDialog::selectedRow() const {
    const QList<QListWidgetItem *> selected = list_->selectedItems();
    if (selected.isEmpty()) return std::nullopt;
    return std::size_t(list_->row(selected.first()));
}

void IpSearchDialog::changeSelected(const SettingsWindow &settingsWindow) {
    const std::optional<std::size_t> row = selectedRow();
    if (!row) return;
    const SettingsWindow open = settingsWindow ? settingsWindow : [this](const std::string &address) {
        LanConfigDialog dialog(this, address, lan_, prompts_);
        return dialog.exec() == Accepted;
    };
    const bool listed = model_.change(*row, open);
    showList();
    if (!listed) QDialog::reject();
}

// "Schliessen" is the dialog's cancel button and returns the selected maker's reader.
void IpSearchDialog::reject() {
    chosen_ = model_.close(selectedRow());
    QDialog::reject();
}

}  // namespace orvex::gui
