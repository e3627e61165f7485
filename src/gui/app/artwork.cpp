#include "gui/app/artwork.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

static void initArtworkResources() { Q_INIT_RESOURCE(orvexgui); }

namespace orvex::gui {

namespace {

QString resourcePath(const QString &name) {
    static const bool loaded = (initArtworkResources(), true);
    (void)loaded;
    return QStringLiteral(":/artwork/") + name;
}

// Renders the SVG at whatever size a toolbar or menu asks for, so icons stay
// sharp at any scale.
class SvgIconEngine : public QIconEngine {
public:
    explicit SvgIconEngine(QString name) : name_(std::move(name)) {}
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override {
        QSvgRenderer renderer(resourcePath(name_));
        if (mode == QIcon::Disabled) painter->setOpacity(0.35);
        renderer.render(painter, rect);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter painter(&pm);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }
    QIconEngine *clone() const override { return new SvgIconEngine(name_); }

private:
    QString name_;
};

}  // namespace

QSize artworkSize(const QString &name) {
    QSvgRenderer renderer(resourcePath(name));
    return renderer.isValid() ? renderer.defaultSize() : QSize();
}

QImage renderArtwork(const QString &name, QSize size, qreal devicePixelRatio) {
    QSvgRenderer renderer(resourcePath(name));
    if (!renderer.isValid() || size.isEmpty()) return {};
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

QIcon artworkIcon(const QString &name) { return QIcon(new SvgIconEngine(name)); }

}  // namespace orvex::gui
