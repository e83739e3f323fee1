#pragma once

#include <QColor>
#include <QLabel>

#include "app/LinkColours.h"

// A line of text that behaves like a web link: drawn in the link colour, in
// the hover colour and underlined while the pointer is over it, with a
// pointing hand for a cursor and a focus rectangle when it has the keyboard
// focus. A click or releasing the space bar activates it; what activation
// does is up to whoever listens.
class LinkControl : public QLabel {
    Q_OBJECT

public:
    explicit LinkControl(const LinkColours& colours, QWidget* parent = nullptr);

    bool IsHovering() const { return hovering_; }

signals:
    void Activated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void SetHovering(bool hovering);

    QColor linkColour_;
    QColor hoverColour_;
    bool hovering_ = false;
    bool pressed_ = false;
};
