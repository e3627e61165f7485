// "IP-Adressen": every device that answers the LAN search, the maker's
// readers in normal text and other devices in red italics. The list and its
// rules are the model's (app/lan_search_list.h); this window shows them and
// opens the LAN settings of a listed reader.
#pragma once

#include <QDialog>
#include <optional>

#include "app/lan_search_list.h"

class QListWidget;
class QPushButton;

namespace orvex::gui {

class IpSearchDialog : public QDialog {
    Q_OBJECT
public:
    IpSearchDialog(QWidget *parent, app::LanFunctions lan, app::Prompts &prompts);

    // Searches before the window shows; closes at once when nothing answers
    // and the person cancels the retry.
    int exec() override;
    // Searches and shows the list; false when the person cancelled the retry.
    bool refreshList();

    // The maker's reader selected when the window closed.
    const std::optional<std::string> &chosenAddress() const { return chosen_; }

    QListWidget *list() const { return list_; }
    QPushButton *changeButton() const { return change_; }
    // "IP-Adresse ändern" with the window that edits the reader's settings;
    // the default opens the LAN settings dialog.
    using SettingsWindow = std::function<bool(const std::string &address)>;
    void changeSelected(const SettingsWindow &settingsWindow = {});

    void reject() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslate();
    void showList();
    std::optional<std::size_t> selectedRow() const;

    app::LanFunctions lan_;
    app::Prompts &prompts_;
    app::LanSearchModel model_;
    std::optional<std::string> chosen_;
    QListWidget *list_ = nullptr;
    QPushButton *change_ = nullptr;
    QPushButton *close_ = nullptr;
};

}  // namespace orvex::gui
