// A static text that keeps its own colour, font and hover cursor and can be
// made clickable (then it reports clicks). The About box uses it for the web
// and mail addresses and for the two update lines.
#pragma once

#include <QLabel>
#include <optional>

namespace orvex::gui {

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget *parent = nullptr);

    void setTextColor(const QColor &color);
    QColor textColor() const { return color_; }
    void setHoverCursor(std::optional<Qt::CursorShape> shape);
    void setItalic(bool italic);
    void setUnderline(bool underline);
    // Clickable labels take mouse clicks; others let them through to the dialog.
    void setClickable(bool clickable);
    bool clickable() const { return clickable_; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor color_;
    bool clickable_ = false;
};

}  // namespace orvex::gui
