// The status bar's keyboard indicators "UF" (caps lock), "NUM" and "RF"
// (scroll lock). Linux exposes the lock states as keyboard LEDs in sysfs;
// the labels are refreshed on key presses and when the window is activated.
#pragma once

#include <QLabel>
#include <QObject>
#include <QString>
#include <array>

namespace orvex::gui {

enum class LockKey { Caps, Num, Scroll };

// True when any keyboard under ledsRoot (default /sys/class/leds) has the LED on.
bool lockKeyOn(LockKey key, const QString &ledsRoot = QStringLiteral("/sys/class/leds"));

class LockIndicators : public QObject {
    Q_OBJECT
public:
    // Creates the three labels; the caller adds them to the status bar.
    explicit LockIndicators(QObject *parent = nullptr);
    const std::array<QLabel *, 3> &labels() const { return labels_; }
    void refresh();
    void retranslate();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::array<QLabel *, 3> labels_{};
};

}  // namespace orvex::gui
