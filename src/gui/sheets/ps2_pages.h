// "Daten" and "Parameter" of the keyboard-wedge sheet, bound to DataPagePs2
// and ParamPagePs2.
#pragma once

#include <array>

#include "app/connect.h"
#include "gui/sheets/sheet_page.h"
#include "params/data_page_ps2.h"
#include "params/param_page_ps2.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orvex::gui {

class Ps2DataPage : public SheetPage {
    Q_OBJECT
public:
    Ps2DataPage(app::DataPagePs2 &model, app::ConnectContext &ctx, QWidget *parent = nullptr);
    void refresh() override;
    void retranslate() override;

private:
    app::DataPagePs2 &model_;
    app::ConnectContext &ctx_;
    std::array<QRadioButton *, 5> repr_{};
    std::array<QRadioButton *, 2> selection_{};
    std::array<QLineEdit *, 4> blocks_{};
    QLineEdit *charCount_ = nullptr;
    QLabel *charCountLabel_ = nullptr;
    QGroupBox *reprGroup_ = nullptr, *formatGroup_ = nullptr;
    QPushButton *readContent_ = nullptr;
};

class Ps2ParamPage : public SheetPage {
    Q_OBJECT
public:
    explicit Ps2ParamPage(app::ParamPagePs2 &model, QWidget *parent = nullptr);
    void refresh() override;
    void retranslate() override;

private:
    app::ParamPagePs2 &model_;
    QLineEdit *delay_ = nullptr, *frequency_ = nullptr, *timeout_ = nullptr;
    QLabel *delayLabel_ = nullptr, *frequencyLabel_ = nullptr, *timeoutLabel_ = nullptr;
};

}  // namespace orvex::gui
