// "Daten" / "Daten 1" / "Daten 2" of the serial sheet: the widgets of one data
// set, bound to DataPageSerial. Every visibility and enabling rule comes
// from the model's view state.
#pragma once

#include <array>

#include "app/connect.h"
#include "gui/sheets/sheet_page.h"
#include "params/data_page_serial.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orvex::gui {

class SerialDataPage : public SheetPage {
    Q_OBJECT
public:
    SerialDataPage(const std::string &id, app::DataPageSerial &model, app::ConnectContext &ctx,
                   app::CapabilityFlags flags, QWidget *parent = nullptr);

    void refresh() override;
    void retranslate() override;

    app::DataPageSerial &model() { return model_; }
    // The other data page: its family changes what this page offers.
    void setPartner(SerialDataPage *partner) { partner_ = partner; }

private:
    QLineEdit *edit(const std::string &name, std::string app::DataPageSerialValues::*member);
    QCheckBox *check(const std::string &name, bool app::DataPageSerialValues::*member);
    QComboBox *combo(const std::string &name, int app::DataPageSerialValues::*member);
    QLabel *label(const std::string &name);
    void changed();  // a click that the model's rules follow
    void pickBlocks();

    app::DataPageSerial &model_;
    app::ConnectContext &ctx_;
    app::CapabilityFlags flags_;
    SerialDataPage *partner_ = nullptr;

    std::array<QRadioButton *, 6> repr_{};
    std::array<QCheckBox *, 4> families_{};
    std::array<QRadioButton *, 3> selection_{};
    std::array<QLineEdit *, 4> blocks_{};
    QGroupBox *reprGroup_ = nullptr, *formatGroup_ = nullptr, *infoBox_ = nullptr, *keyGroup_ = nullptr;
    QLabel *charCountLabel_ = nullptr, *usedBytesLabel_ = nullptr, *dash_ = nullptr;
    QLabel *typeIdBeforeLabel_ = nullptr, *typeIdAfterLabel_ = nullptr;
    QLabel *mifareKeyLabel_ = nullptr, *mifareKeyTypeLabel_ = nullptr, *desfireKeyTypeLabel_ = nullptr;
    QLabel *desfireKeyLabel_ = nullptr, *appIdLabel_ = nullptr, *fileIdLabel_ = nullptr,
           *modeLabel_ = nullptr;
    QLabel *startBlockLabel_ = nullptr, *lengthLabel_ = nullptr;
    QCheckBox *byteReverse_ = nullptr, *bitReverse_ = nullptr, *leftAlign_ = nullptr, *keyActive_ = nullptr;
    QCheckBox *highDataRate_ = nullptr, *twoSubcarrier_ = nullptr;
    QComboBox *mifareKeyType_ = nullptr, *desfireKeyType_ = nullptr, *desfireMode_ = nullptr;
    QPushButton *blockSelect_ = nullptr, *functionTest_ = nullptr, *readContent_ = nullptr;
    std::vector<std::pair<QCheckBox *, bool app::DataPageSerialValues::*>> checks_;
    std::vector<std::pair<QComboBox *, int app::DataPageSerialValues::*>> combos_;
};

}  // namespace orvex::gui
