// "Parameter" of readers in USB keyboard mode: the operating parameters
// (ParamPageHid) and the drawn keyboard of the reader's key table, with the
// keys marked where the reader types something else than the computer's
// layout; "Computer Einstellung" takes the computer's layout, "Aus Gerät
// laden" reads the reader's table again.
#pragma once

#include <QAbstractButton>
#include <array>
#include <functional>
#include <vector>

#include "app/connect.h"
#include "gui/sheets/sheet_page.h"
#include "params/key_table.h"
#include "params/param_page_hid.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orvex::gui {

// One key of the drawn keyboard: shift character top left, normal bottom
// left, AltGr bottom right.
class KeyCapButton : public QAbstractButton {
    Q_OBJECT
public:
    KeyCapButton(std::uint8_t scan, QWidget *parent = nullptr);
    std::uint8_t scan() const { return scan_; }
    void setEntry(const app::KeyEntry &entry, bool differs);
    bool differs() const { return differs_; }
    QSize sizeHint() const override { return {40, 40}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::uint8_t scan_;
    app::KeyEntry entry_;
    bool differs_ = false;
};

class HidParamPage : public SheetPage {
    Q_OBJECT
public:
    HidParamPage(app::ParamPageHid &model, app::KeyTable &table, app::ConnectContext &ctx,
                 app::CapabilityFlags flags, QWidget *parent = nullptr);

    void refresh() override;
    void retranslate() override;

    // "Aus Gerät laden"; unset while the program cannot read a reader's table.
    std::function<void()> loadFromReader;

    KeyCapButton *key(std::uint8_t scan) const;
    QPushButton *hostLayoutButton() const { return host_; }
    QPushButton *loadButton() const { return load_; }
    QCheckBox *warningBox() const { return warn_; }

private:
    QLineEdit *edit(const std::string &name, std::string app::ParamPageHidValues::*member);

    app::ParamPageHid &model_;
    app::KeyTable &table_;
    app::ConnectContext &ctx_;
    app::CapabilityFlags flags_;
    std::array<QRadioButton *, 3> modes_{};
    std::array<QRadioButton *, 3> powerOn_{};
    QGroupBox *modeGroup_ = nullptr, *powerOnGroup_ = nullptr, *layoutGroup_ = nullptr;
    QCheckBox *sensor_ = nullptr, *warn_ = nullptr;
    QLabel *cycleLabel_ = nullptr, *timeoutLabel_ = nullptr;
    QPushButton *host_ = nullptr, *load_ = nullptr, *functionTest_ = nullptr, *readContent_ = nullptr;
    std::vector<KeyCapButton *> keys_;
};

// After a reader's table was read into table: asks the layout question when
// it differs from the computer's layout and the warning is on; Yes takes the
// computer's layout.
void askLayoutTakeover(QWidget *parent, app::SettingsStore &settings, app::KeyTable &table);

}  // namespace orvex::gui
