#include "gui/app/picture_view.h"

#include <QPainter>
#include <QTimer>
#include <cmath>

#include "gui/app/artwork.h"

namespace orvex::gui {

namespace {
const QString kPicture = QStringLiteral("view.svg");
constexpr QSize kClientSize(720, 450);
}  // namespace

PictureView::PictureView(QWidget *parent) : QWidget(parent) {
    pictureSize_ = artworkSize(kPicture);
    setAutoFillBackground(false);
}

int PictureView::dpi() const {
    const int value = logicalDpiX();
    return value > 0 ? value : 96;
}

QSize PictureView::scaled(QSize size) const {
    const double factor = dpi() / 96.0;
    return QSize(int(std::lround(size.width() * factor)), int(std::lround(size.height() * factor)));
}

QSize PictureView::fittedClientSize() const { return scaled(kClientSize); }

void PictureView::fitMainWindow() {
    QWidget *frame = window();
    if (frame == this || !frame->isVisible()) return;
    const Qt::WindowStates state = frame->windowState();
    if (state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) return;
    const QSize delta = fittedClientSize() - size();
    if (delta.isNull()) return;
    frame->resize(frame->size() + delta);
}

void PictureView::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    QTimer::singleShot(0, this, &PictureView::fitMainWindow);
}

void PictureView::paintEvent(QPaintEvent *) {
    // Fitting from inside a paint would resize during painting; queue it.
    if (size() != fittedClientSize()) QTimer::singleShot(0, this, &PictureView::fitMainWindow);

    const QSize target = scaled(pictureSize_);
    const qreal ratio = devicePixelRatioF();
    if (rendered_.isNull() || rendered_.size() != target * ratio) {
        rendered_ = renderArtwork(kPicture, target, ratio);
        background_ = rendered_.isNull() ? palette().window().color() : rendered_.pixelColor(0, 0);
    }
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    if (!rendered_.isNull()) painter.drawImage(QPoint((width() - target.width()) / 2, 0), rendered_);
}

}  // namespace orvex::gui
