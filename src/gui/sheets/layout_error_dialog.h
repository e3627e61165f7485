// The question after a USB keyboard reader's key table was read: it differs
// from the computer's layout at N keys, take the computer's layout? The
// check box "nicht mehr anzeigen" turns the question off for the future.
#pragma once

#include <QDialog>

#include "app/settings_store.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace orvex::gui {

class LayoutErrorDialog : public QDialog {
    Q_OBJECT
public:
    LayoutErrorDialog(QWidget *parent, app::SettingsStore &settings, int differences);

    QPushButton *yesButton() const { return yes_; }
    QPushButton *noButton() const { return no_; }
    QCheckBox *dontShowAgain() const { return dontShow_; }

private:
    void finish(int result);

    app::SettingsStore &settings_;
    QLabel *text_ = nullptr;
    QCheckBox *dontShow_ = nullptr;
    QPushButton *yes_ = nullptr, *no_ = nullptr;
};

}  // namespace orvex::gui
