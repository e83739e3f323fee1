#include "app/LinkControl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace {

QColor ToQColor(const Rgb& colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

}  // namespace

LinkControl::LinkControl(const LinkColours& colours, QWidget* parent)
    : QLabel(parent), linkColour_(ToQColor(colours.link)), hoverColour_(ToQColor(colours.hover)) {
    // The address comes from the build, not from markup: show it as it is.
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    SetHovering(false);
}

void LinkControl::SetHovering(bool hovering) {
    hovering_ = hovering;
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, hovering ? hoverColour_ : linkColour_);
    setPalette(colours);
    QFont look = font();
    look.setUnderline(hovering);
    setFont(look);
    repaint();
}

void LinkControl::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(QPalette::Window);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

void LinkControl::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    SetHovering(true);
}

void LinkControl::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    SetHovering(false);
}

void LinkControl::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    // After a click the link looks unvisited again until the pointer moves.
    const bool inside = rect().contains(event->position().toPoint());
    if (inside != hovering_)
        SetHovering(inside);
}

void LinkControl::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void LinkControl::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (!click)
        return;
    emit Activated();
    SetHovering(false);
}

void LinkControl::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        event->accept();
        emit Activated();
        return;
    }
    QLabel::keyReleaseEvent(event);
}
