#include "gui/app/link_label.h"

#include <QMouseEvent>

namespace orvex::gui {

LinkLabel::LinkLabel(QWidget *parent) : QLabel(parent) {
    color_ = palette().color(QPalette::WindowText);
    setClickable(false);
}

void LinkLabel::setTextColor(const QColor &color) {
    color_ = color;
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
}

void LinkLabel::setHoverCursor(std::optional<Qt::CursorShape> shape) {
    if (shape)
        setCursor(*shape);
    else
        unsetCursor();
}

void LinkLabel::setItalic(bool italic) {
    QFont f = font();
    f.setItalic(italic);
    setFont(f);
}

void LinkLabel::setUnderline(bool underline) {
    QFont f = font();
    f.setUnderline(underline);
    setFont(f);
}

void LinkLabel::setClickable(bool clickable) {
    clickable_ = clickable;
    setAttribute(Qt::WA_TransparentForMouseEvents, !clickable);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event) {
    if (clickable_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

}  // namespace orvex::gui
