// "Die Größe des Datenbuffers ist überschritten": shown when a key would take
// a key-stroke sequence beyond what the reader holds. Releases of keys
// pressed before it appeared still go to the page, so their presses get
// their releases.
#pragma once

#include <QDialog>

class QLabel;
class QKeyEvent;
class QPushButton;

namespace orvex::gui {

class OverflowDialog : public QDialog {
    Q_OBJECT
public:
    explicit OverflowDialog(QWidget *parent = nullptr);

    QPushButton *okButton() const { return ok_; }

signals:
    void keyReleased(const QKeyEvent &event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void retranslate();

    QLabel *first_ = nullptr, *second_ = nullptr;
    QPushButton *ok_ = nullptr;
};

}  // namespace orvex::gui
