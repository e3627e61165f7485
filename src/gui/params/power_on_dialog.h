// "Einschaltkonfiguration": the mode the reader starts in after power-on.
// Reads and writes through liborvexapp's PowerOnModel.
#pragma once

#include <QDialog>
#include <array>

#include "params/reader_option_models.h"

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace orvex::gui {

class PowerOnModeDialog : public QDialog {
    Q_OBJECT
public:
    PowerOnModeDialog(QWidget *parent, int handle, bool silentReaderModeOffered, app::Prompts &prompts);

    int checkedIndex() const;
    QRadioButton *radio(int index) const { return radios_[std::size_t(index)]; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslate();
    void set();

    app::PowerOnModel model_;
    QGroupBox *group_ = nullptr;
    std::array<QRadioButton *, 3> radios_{};
    QPushButton *set_ = nullptr;
    QPushButton *close_ = nullptr;
};

}  // namespace orvex::gui
