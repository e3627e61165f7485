// The main window's view: one picture, drawn at the top centre and scaled by
// the window's DPI, on the colour of its top-left pixel. The view also keeps
// the main window at the size that gives it a 720 × 450 (at 96 DPI) client area.
#pragma once

#include <QImage>
#include <QWidget>

namespace orvex::gui {

class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget *parent = nullptr);

    // False when the picture could not be loaded; the program does not start then.
    bool hasPicture() const { return !pictureSize_.isEmpty(); }

    // DPI of the window, 96 when the system reports none.
    int dpi() const;
    // 720 × 450 scaled by dpi / 96, rounded to whole pixels.
    QSize fittedClientSize() const;
    // Resizes the main window (normal state only) so this view gets its fitted size.
    void fitMainWindow();

    QSize sizeHint() const override { return fittedClientSize(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QSize scaled(QSize size) const;

    QSize pictureSize_;
    QImage rendered_;
    QColor background_;
};

}  // namespace orvex::gui
