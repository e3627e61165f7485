#include "gui/app/lock_indicators.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QTimer>

namespace orvex::gui {

namespace {

struct Indicator {
    LockKey key;
    const char *ledSuffix;
    const char *text;
};
constexpr Indicator kIndicators[] = {
    {LockKey::Caps, "::capslock", "UF"},
    {LockKey::Num, "::numlock", "NUM"},
    {LockKey::Scroll, "::scrolllock", "RF"},
};

}  // namespace

bool lockKeyOn(LockKey key, const QString &ledsRoot) {
    const char *suffix = nullptr;
    for (const Indicator &i : kIndicators)
        if (i.key == key) suffix = i.ledSuffix;
    const QDir dir(ledsRoot);
    for (const QString &led : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!led.endsWith(QLatin1String(suffix))) continue;
        QFile brightness(dir.filePath(led + QStringLiteral("/brightness")));
        if (brightness.open(QIODevice::ReadOnly) && brightness.readAll().trimmed().toInt() > 0) return true;
    }
    return false;
}

LockIndicators::LockIndicators(QObject *parent) : QObject(parent) {
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        labels_[i] = new QLabel(QString::fromLatin1(kIndicators[i].text));
        labels_[i]->setAlignment(Qt::AlignCenter);
        labels_[i]->setMinimumWidth(labels_[i]->fontMetrics().horizontalAdvance(QStringLiteral("NUM")) + 12);
    }
    qApp->installEventFilter(this);
    refresh();
}

void LockIndicators::refresh() {
    for (std::size_t i = 0; i < labels_.size(); ++i) labels_[i]->setEnabled(lockKeyOn(kIndicators[i].key));
}

void LockIndicators::retranslate() { refresh(); }

bool LockIndicators::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    // The LED follows the key press a moment later: look after the event.
    if (type == QEvent::KeyRelease || type == QEvent::ApplicationActivate)
        QTimer::singleShot(0, this, &LockIndicators::refresh);
    return QObject::eventFilter(watched, event);
}

}  // namespace orvex::gui
