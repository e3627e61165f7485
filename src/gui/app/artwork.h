// Our own pictures, kept as SVG in the program's resources and rendered at
// the size the screen needs.
#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>

namespace orvex::gui {

// name is the file name inside the artwork resources, e.g. "view.svg".
QSize artworkSize(const QString &name);
// Rendered at size (logical pixels) × devicePixelRatio; transparent background.
QImage renderArtwork(const QString &name, QSize size, qreal devicePixelRatio = 1.0);
QIcon artworkIcon(const QString &name);

}  // namespace orvex::gui
